# Project options from scripts: snapshots read all five at once, every writer
# sends all five back, and what the host took is saved with the project.
require "items_support"

class TestProjectOptions < E2E::Case
  include ItemScripts

  NAMES = %w[save_caret_pos station_and_query_save add_item_to_bottom folder_behind relative_path].freeze

  def options_project(path, options)
    project = { "format" => "zentrella-projects", "version" => 1,
                "projects" => [{ "kind" => "project", "title" => "設定つき",
                                 "children" => [{ "kind" => "folder", "title" => "箱",
                                                  "children" => [{ "kind" => "task", "title" => "奥" }] }] }] }
    project["projects"][0]["options"] = options if options
    File.write(path, JSON.generate(project))
    path
  end

  def saved_options(path) = JSON.parse(File.read(path))["projects"].first["options"]

  # Each writer changes its own option only; an item deep in the project
  # stands for it, and the readers show the snapshot and its own writes.
  def test_every_writer_through_an_item_that_stands_for_its_project
    project = options_project(scratch("writers.json"), nil)
    got = run_items_script(<<~RUBY, host_options: ["--project", project])
      deep = ztl_projects.first.first_child.first_child
      names = #{NAMES.inspect}
      steps = names.map do |name|
        option = deep.project_option
        written = option.send("\#{name}=", true)
        fresh = ztl_projects.first.project_option
        [written, option.send(name), names.map { |n| fresh.send(n) }]
      end
      { "class" => deep.project_option.class.name, "steps" => steps }
    RUBY
    assert_equal "Ztl::ZtlProjectOption", got["class"]
    expected = NAMES.each_index.map do |i|
      [true, true, NAMES.each_index.map { |j| j <= i || NAMES[j] == "add_item_to_bottom" }]
    end
    assert_equal expected, got["steps"]
    assert_equal NAMES.to_h { |n| [n, true] }, saved_options(project)
  end

  # Only the object true switches an option on: 1, nil and texts switch it off,
  # as for every truth argument of the extension.
  def test_only_true_switches_on
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      option = project.project_option
      option.relative_path = true
      on = project.project_option.relative_path
      option.relative_path = 1
      after_one = [option.relative_path, project.project_option.relative_path]
      option.folder_behind = true
      option.folder_behind = "yes"
      option.add_item_to_bottom = nil
      again = project.project_option
      [on, after_one, again.folder_behind, again.add_item_to_bottom]
    RUBY
    assert_equal [true, [false, false], false, false], got
  end

  # A writer sends all five values of its own snapshot: of two snapshots of
  # one project, a write through the older takes back what the other changed.
  def test_two_snapshots_overwrite_each_other
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      a = project.project_option
      b = project.project_option
      a.save_caret_pos = true
      b.add_item_to_bottom = false
      now = project.project_option
      [a.save_caret_pos, b.save_caret_pos, now.save_caret_pos, now.add_item_to_bottom, a.add_item_to_bottom]
    RUBY
    assert_equal [true, false, false, false, true], got
  end

  # Handle 0 and an item deleted for good have no options; a write through a
  # snapshot of a project that went away is refused, and the snapshot keeps
  # what the host last held.
  def test_no_item_and_gone_items
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      task = project.add_task
      stale = project.children.last
      option = stale.project_option
      task.delete
      deleted_wrapper = task.project_option
      in_bin = stale.project_option.add_item_to_bottom
      ztl_recycled.children.last.delete
      gone = stale.project_option
      written = option.send(:relative_path=, true)
      [deleted_wrapper, in_bin, gone, written, option.relative_path]
    RUBY
    assert_equal [nil, true, nil, false, false], got
  end

  # Options are kept in the project file: a second run of the host reads what
  # the first wrote; a file from before options were kept loads with the
  # defaults, and one that names some keeps the defaults of the others.
  def test_options_survive_a_save_and_reload_and_older_files_load
    project = options_project(scratch("reload.json"), nil)
    run_items_script(<<~RUBY, host_options: ["--project", project])
      option = ztl_projects.first.project_option
      option.folder_behind = true
      option.add_item_to_bottom = false
      true
    RUBY
    assert_equal({ "save_caret_pos" => false, "station_and_query_save" => false, "add_item_to_bottom" => false,
                   "folder_behind" => true, "relative_path" => false }, saved_options(project))
    reader = "option = ztl_projects.first.first_child.project_option\n#{NAMES.inspect}.map { |n| option.send(n) }"
    assert_equal [false, false, false, true, false], run_items_script(reader, host_options: ["--project", project])

    older = options_project(scratch("older.json"), nil)
    assert_equal [false, false, true, false, false], run_items_script(reader, host_options: ["--project", older])
    partial = options_project(scratch("partial.json"), { "relative_path" => true })
    assert_equal [false, false, true, false, true], run_items_script(reader, host_options: ["--project", partial])
  end
end
