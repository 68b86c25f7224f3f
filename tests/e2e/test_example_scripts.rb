# The example scripts of examples/scripts, each run by the real host on a
# project of the test's own, as a user would run them: what each left in the
# clipboard, the output file or the saved project.
require "items_support"

class TestExampleScripts < E2E::Case
  include ItemScripts

  EXAMPLES = File.expand_path("../../examples/scripts", __dir__)
  DAY = 24 * 60 * 60

  def install_example(name) = write_script(name, File.read(File.join(EXAMPLES, name)))

  # A date n days from now, at noon of the host's calendar.
  def in_days(count) = (Time.now + count * DAY).strftime("%Y-%m-%dT12:00:00")

  def task(title, progress: 0, due: nil, children: [])
    { "kind" => "task", "title" => title, "progress" => progress, "children" => children }
      .merge(due ? { "dates" => { "due" => in_days(due) } } : {})
  end

  def folder(title, children) = { "kind" => "folder", "title" => title, "children" => children }

  def write_projects(*projects)
    projects = projects.map { |title, children| { "kind" => "project", "title" => title, "children" => children } }
    File.write(File.join(user_folder, "default.json"),
               JSON.generate("format" => "zentrella-projects", "version" => 1, "projects" => projects))
  end

  def saved_project(title) = saved_projects.find { |p| p["title"] == title }
  def titles(items) = items.to_a.map { |i| i["title"] }

  def test_every_example_starts_with_its_interpreter_and_description
    Dir.glob(File.join(EXAMPLES, "*.rb")).each do |path|
      next if %w[hello.rb current_item.rb].include?(File.basename(path))
      first, second = File.readlines(path, chomp: true)
      assert_equal "#! ruby", first, path
      assert_match(/\A# \S/, second, path)
    end
  end

  # Only unfinished tasks due from today to six days on, soonest first,
  # from every loaded project, nested ones too.
  def test_due_this_week_puts_the_tasks_due_soon_on_the_clipboard
    write_projects(["家", [task("牛乳を買う", due: 2), task("来月の計画", due: 10), task("遅れた件", due: -3),
                           task("済んだ件", progress: 100, due: 1), task("期限なし"),
                           folder("書類", [task("請求書", due: 1, children: [task("控え", due: 4)])])]],
                   ["仕事", [task("報告書", due: 3)]])
    install_example("due_this_week.rb")
    host_ok("run", "due_this_week.rb", "--clipboard")
    lines = clipboard.force_encoding(Encoding::UTF_8).split(/\r?\n/)
    assert_equal ["請求書  (家)", "牛乳を買う  (家)", "報告書  (仕事)", "控え  (家)"],
                 lines.map { |l| l.sub(/\A\d{4}-\d\d-\d\d \d\d:\d\d  /, "") }
    assert lines.all? { |l| l.match?(/\A\d{4}-\d\d-\d\d \d\d:\d\d  /) }, lines.inspect
  end

  # Finished tasks move with their children into the archive folder, which
  # is made when missing; unfinished ones stay where they were.
  def test_archive_done_moves_finished_tasks_into_the_archive_folder
    write_projects(["家", [task("済", progress: 100, children: [task("済の下")]), task("途中", progress: 50),
                           folder("書類", [task("出した", progress: 100), task("まだ")])]])
    install_example("archive_done.rb")
    run = host_ok("run", "archive_done.rb", "--output", scratch("out.txt"))
    assert_equal "moved: 済\nmoved: 出した\n2 finished task(s) in アーカイブ\n",
                 File.read(scratch("out.txt")).delete("\r"), run.describe
    project = saved_project("家")
    assert_equal %w[途中 書類 アーカイブ], titles(project["children"])
    archive = project["children"].last
    assert_equal "folder", archive["kind"]
    assert_equal %w[済 出した], titles(archive["children"])
    assert_equal [100, 100], archive["children"].map { |t| t["progress"] }
    assert_equal %w[済の下], titles(archive["children"].first["children"])
    assert_equal %w[まだ], titles(project["children"][1]["children"])

    # A second run finds the archive by its name and has nothing to move.
    host_ok("run", "archive_done.rb", "--output", scratch("again.txt"))
    assert_equal "0 finished task(s) in アーカイブ\n", File.read(scratch("again.txt")).delete("\r")
    assert_equal %w[途中 書類 アーカイブ], titles(saved_project("家")["children"])
  end

  # Under code page 932 the folder's name from the script (UTF-8) still finds
  # and makes the folder, and the output is in the host's code page.
  def test_archive_done_speaks_the_hosts_code_page
    write_projects(["家", [task("済", progress: 100), folder("アーカイブ", [])]])
    install_example("archive_done.rb")
    host_ok("run", "archive_done.rb", "--output", scratch("out.txt"), host_options: ["--codepage", "932"])
    said = File.binread(scratch("out.txt")).force_encoding(Encoding::Windows_31J).encode(Encoding::UTF_8)
    assert_equal "moved: 済\n1 finished task(s) in アーカイブ\n", said.delete("\r")
    assert_equal %w[アーカイブ], titles(saved_project("家")["children"])
  end

  def test_clipboard_to_tasks_adds_one_task_per_line
    write_projects(["家", [task("既存")]])
    File.binwrite(clipboard_file, "卵\r\n\r\n  パン  \nジャム")
    install_example("clipboard_to_tasks.rb")
    run = host_ok("run", "clipboard_to_tasks.rb", "--output", scratch("out.txt"))
    assert_equal "3 task(s) added\n", File.read(scratch("out.txt")).delete("\r"), run.describe
    children = saved_project("家")["children"]
    assert_equal %w[既存 卵 パン ジャム], titles(children)
    assert_equal ["task"] * 4, children.map { |c| c["kind"] }
  end

  def test_project_markdown_writes_headings_and_a_check_list
    write_projects(["家", [task("牛乳", progress: 100), task("卵", children: [task("十個")]),
                           folder("書類", [task("請求書"), folder("古い", [task("領収書", progress: 100)])])]])
    install_example("project_markdown.rb")
    host_ok("run", "project_markdown.rb", "--output", scratch("home.md"))
    assert_equal <<~MARKDOWN, File.read(scratch("home.md")).delete("\r")
      # 家

      - [x] 牛乳
      - [ ] 卵
        - [ ] 十個

      ## 書類

      - [ ] 請求書

      ### 古い

      - [x] 領収書
    MARKDOWN
  end
end
