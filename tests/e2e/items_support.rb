# What the item tests share: a script run under the real host whose last
# expression comes back to the test as a Ruby value (through Marshal, so texts
# keep their encoding and times stay Times), and project files of their own.
require "e2e_support"

module ItemScripts
  # A project file with user categories, which the host API cannot define.
  def categories_project(path, names: %w[担当 種別])
    project = {
      "format" => "zentrella-projects", "version" => 1,
      "projects" => [{
        "kind" => "project", "title" => "分類つき",
        "categories" => names.map { |n| { "name" => n, "value" => "" } },
        "children" => [{ "kind" => "task", "title" => "既存", "categories" =>
                         names.map { |n| { "name" => n, "value" => "#{n}の値" } } }]
      }]
    }
    File.write(path, JSON.generate(project))
    path
  end

  # Runs code (the body of a script that has required ztl and included Ztl)
  # under the host; returns the value of its last expression.
  def run_items_script(code, host_options: [], env: {})
    name = "items-#{SecureRandom.hex(3)}.rb"
    result = scratch("#{name}.result")
    output = scratch("#{name}.out")
    write_script(name, "# encoding: utf-8\nrequire 'ztl'\ninclude Ztl\nfacts = begin\n#{code}\nend\n" \
                       "File.binwrite(#{result.inspect}, Marshal.dump(facts))\n")
    run = host_ok("run", name, "--output", output, host_options: host_options, env: env)
    said = File.exist?(output) ? File.read(output) : ""
    flunk "the script gave no result:\n#{said}\n#{run.describe}" unless File.exist?(result)
    Marshal.load(File.binread(result))
  end

  def saved_items(path = File.join(user_folder, "default.json"))
    items = []
    each_saved_item(JSON.parse(File.read(path))["projects"]) { |item| items << item }
    items
  end

  def saved_item(title, path = File.join(user_folder, "default.json"))
    found = saved_items(path).select { |item| item["title"] == title }
    assert_equal 1, found.size, "one saved item titled #{title.inspect}"
    found.first
  end

  # The host's scale: seconds on the channel count from 1970-01-01 09:00 of
  # the host's local time, so "now" reads as now shifted by the zone's offset.
  def host_now = Time.now + Time.now.utc_offset - (9 * 3600)
end
