# Messages around the chunk size through the real channel: long requests
# (a host command with a long argument, checked in the project the host saves)
# and long replies (item lists of many loaded projects).
require "e2e_support"

class TestChannelSizes < E2E::Case
  CHUNK = 8172
  # "NewTask", its NUL, the title and its NUL, eight empty arguments and the
  # closing empty one.
  NEW_TASK_OVERHEAD = "NewTask".bytesize + 1 + 1 + 8 + 1

  # A text whose every position is recognisable, so a lost, doubled or shifted
  # chunk cannot go unnoticed.
  def self.patterned(prefix, length)
    body = (0...(length - prefix.bytesize)).map { |i| (97 + (i / 7) % 26).chr }.join
    prefix + body
  end

  def test_long_requests_arrive_whole
    sizes = [CHUNK - 1, CHUNK, CHUNK + 1, 2 * CHUNK, 2 * CHUNK + 1, 20_000, 256 * 1024 + 1]
    titles = sizes.map { |size| self.class.patterned("#{size}:", size - NEW_TASK_OVERHEAD) }
    write_script("long.rb", <<~RUBY)
      require "ztl"
      #{titles.inspect}.each do |title|
        raise "command refused" unless Ztl.ztl_exec_command("NewTask", title)
      end
      print Ztl.ztl_version
    RUBY
    result = host_ok("run", "long.rb", "--clipboard")
    assert_equal printed_versions.first.to_s, clipboard, "the channel is still in step after the long requests\n#{result.err}"
    saved = []
    each_saved_item { |item| saved << item["title"] if item["title"] =~ /\A\d+:/ }
    assert_equal titles.map(&:bytesize), saved.map(&:bytesize)
    titles.zip(saved).each { |want, got| assert want == got, "title of #{want[/\A\d+/]} bytes differs" }
  end

  def projects_file(count)
    path = scratch("many-#{count}.json")
    projects = (1..count).map { |i| { "kind" => "project", "title" => "p#{i}" } }
    File.write(path, JSON.generate("format" => "zentrella-projects", "version" => 1, "projects" => projects))
    path
  end

  # n projects make a list reply of (n + 1) * 4 bytes: 2042 fill one chunk
  # exactly, 2043 spill 4 bytes into a second, 4999 make 20000 bytes.
  def test_long_replies_arrive_whole
    write_script("count.rb", <<~RUBY)
      require "ztl"
      first = Ztl.ztl_projects.size
      Ztl.ztl_begin_update
      Ztl.ztl_end_update
      print [first, Ztl.ztl_projects.size, Ztl.ztl_version].join(" ")
    RUBY
    version = printed_versions.first
    [2042, 2043, 4999].each do |count|
      host_ok("run", "count.rb", "--clipboard", host_options: ["--project", projects_file(count)])
      assert_equal "#{count} #{count} #{version}", clipboard, "#{count} projects"
    end
  end
end
