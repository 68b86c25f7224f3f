# File links through the whole chain: lists, fields, the address test, and
# execute as the desktop opener sees it (through ZTL_SHELL_OPEN_LOG), with
# names that a shell would take for commands.
require "items_support"

class TestFileLinks < E2E::Case
  include ItemScripts

  def test_lists_fields_and_the_address_test
    got = run_items_script(<<~RUBY)
      item = ztl_projects.first.add_task
      empty = item.filelinks
      link = item.add_filelink
      lone = item.delete_filelink(0)
      front = item.insert_filelink(0)
      link.title = "計画"
      link.option = "-v"
      link.workdir = "w" * 300
      urls = ["https://example.invalid/", "notes at www.example.invalid", "HTTP://example.invalid", "Www.x", ""].map do |name|
        link.filename = name
        link.url?
      end
      front.assign(link)
      link.delete
      { "empty" => empty, "lone" => lone, "classes" => item.filelinks.map { |l| l.class.name },
        "fields" => [front.title, front.option, front.workdir.bytesize], "urls" => urls,
        "stale" => [link.title, link.url?, link.execute, link.delete],
        "cross" => (front.assign(item.add_document) rescue $!.class.name) }
    RUBY
    assert_equal [], got["empty"]
    assert_equal false, got["lone"]
    assert_equal ["Ztl::ZtlFileLink"], got["classes"]
    assert_equal ["計画", "-v", 260], got["fields"]
    assert_equal [true, true, false, false, false], got["urls"], "markers count anywhere, in small letters only"
    assert_equal ["", false, false, false], got["stale"]
    assert_equal "TypeError", got["cross"]
  end

  def test_execute_opens_the_target_in_its_folder_and_runs_no_shell
    folder = scratch("links")
    Dir.mkdir(folder)
    name = File.join(folder, "a;touch pwned;$(touch pwned2)`touch pwned3`|x&.txt")
    File.write(name, "x")
    got = run_items_script(<<~RUBY)
      link = ztl_projects.first.add_task.add_filelink
      link.filename = #{name.inspect}
      link.option = "; touch pwned4 && echo $HOME"
      link.workdir = #{folder.inspect}
      opened = link.execute
      link.filename = ""
      empty = link.execute
      link.filename = #{File.join(folder, "missing.txt").inspect}
      missing = link.execute
      [opened, empty, missing]
    RUBY
    assert_equal [true, false, false], got
    assert_equal ["#{name}\t#{folder}\t; touch pwned4 && echo $HOME"], shell_opened
    assert_equal [], Dir.glob(File.join(folder, "pwned*")) + Dir.glob(File.join(script_folder, "pwned*"))
  end

  def test_links_survive_a_save_and_a_reload
    project = categories_project(scratch("links.json"))
    run_items_script(<<~RUBY, host_options: ["--project", project])
      link = ztl_projects.first.first_child.add_filelink
      link.title = "手順"
      link.filename = "docs/手順.txt"
      link.option = "--read-only"
      link.workdir = "docs"
      true
    RUBY
    got = run_items_script(<<~RUBY, host_options: ["--project", project])
      ztl_projects.first.first_child.filelinks.map { |l| [l.title, l.filename, l.option, l.workdir] }
    RUBY
    assert_equal [["手順", "docs/手順.txt", "--read-only", "docs"]], got
  end
end
