# Items under code page 932 as well as UTF-8, and a project a script changed,
# saved by one host run and read back by the next.
require "items_support"

class TestItemsSaved < E2E::Case
  include ItemScripts

  SJIS = "Windows-31J".freeze

  # The host keeps texts in code page 932: a script's UTF-8 text is sent in
  # it, binary bytes go as they are, and what comes back is tagged with it.
  def run_under_932(code, how, project: nil)
    options = how == :option ? ["--codepage", "932"] : []
    options += ["--project", project] if project
    env = how == :env ? { "ZTL_CODEPAGE" => "932" } : {}
    run_items_script(code, host_options: options, env: env)
  end

  def code_page_932_script
    <<~RUBY
      holder = ztl_projects.first
      task = holder.add_task
      set = task.send(:title=, "テスト　表")
      title = task.title
      raw = holder.add_task
      raw.title = "\\x83\\x8D\\x81\\x5B\\x83\\x4A\\x83\\x8B".b
      long = holder.add_task
      long.title = "a" + "表" * 3000
      long_title = long.title
      long.title = "長い"
      unrepresentable = begin
        raw.title = "絵😀"
        :none
      rescue EncodingError => e
        e.class.name
      end
      task.user_categories = { "担当" => "鈴木", "種別" => "ソ" * 200 }
      categories = task.user_categories
      { "set" => set, "title" => [title.encoding.name, title.bytes, title.encode("UTF-8")],
        "raw" => raw.title.encode("UTF-8"), "long" => [long_title.bytesize, long_title.valid_encoding?],
        "unrepresentable" => [unrepresentable, raw.title.encode("UTF-8")],
        "categories" => categories.map { |k, v| [k.encoding.name, k.encode("UTF-8"), v.bytesize, v.valid_encoding?] },
        "specials" => [ztl_recycled.title.encoding.name, ztl_recycled.title.valid_encoding?],
        "tree" => holder.children.map { |c| c.title.encode("UTF-8") } }
    RUBY
  end

  def check_code_page_932(got, project)
    assert_equal true, got["set"]
    encoding, bytes, text = got["title"]
    assert_equal SJIS, encoding
    assert_equal "テスト　表".encode(SJIS).bytes, bytes
    assert_equal "テスト　表", text
    assert_equal "ローカル", got["raw"]
    # 1 + 2 * 2559 = 5119: a whole character of two bytes would pass 5120.
    assert_equal [5119, true], got["long"]
    assert_equal ["Encoding::UndefinedConversionError", "ローカル"], got["unrepresentable"],
                 "a text the code page cannot hold is refused before it is sent"
    assert_equal [[SJIS, "担当", 4, true], [SJIS, "種別", 254, true]], got["categories"],
                 "category values are cut at 255 bytes on a whole character"
    assert_equal [SJIS, true], got["specials"]
    assert_equal ["既存", "テスト　表", "ローカル", "長い"], got["tree"]
    saved = JSON.parse(File.read(project))["projects"].first["children"].map { |c| c["title"] }
    assert_equal ["既存", "テスト　表", "ローカル", "長い"], saved, "the file holds UTF-8 whatever the code page"
  end

  def test_texts_under_code_page_932_by_the_host_option
    project = categories_project(scratch("cp932.json"))
    check_code_page_932(run_under_932(code_page_932_script, :option, project: project), project)
  end

  def test_texts_under_code_page_932_by_the_environment
    project = categories_project(scratch("cp932-env.json"))
    check_code_page_932(run_under_932(code_page_932_script, :env, project: project), project)
  end

  # Under UTF-8 the same text is sent as it is, and a Shift-JIS String of the
  # script is converted to UTF-8 before it reaches the host.
  def test_texts_under_utf8
    got = run_items_script(<<~RUBY)
      task = ZtlItem.new_project.add_task
      task.title = "テスト　表".encode("Windows-31J")
      converted = task.title
      task.title = "絵😀"
      { "converted" => [converted.encoding.name, converted], "emoji" => task.title }
    RUBY
    assert_equal ["UTF-8", "テスト　表"], got["converted"]
    assert_equal "絵😀", got["emoji"]
  end

  # One run changes a project file through a script; the next run of the host
  # on the same file finds every change.
  def test_a_project_changed_by_a_script_is_saved_and_read_back_by_the_next_run
    project = categories_project(scratch("reload.json"))
    run_items_script(<<~RUBY, host_options: ["--project", project])
      holder = ztl_projects.first
      holder.title = "改名"
      old = holder.first_child
      old.progress = 90
      old.priority = 5
      old.due_time = Time.at(1_000_000)
      old.start_time = Time.at(1)
      old.user_categories = { "担当" => "高橋", "種別" => "" }
      old.set_alarm(false, 3, AU_HOUR)
      folder = holder.add_folder
      folder.title = "新しい箱"
      inner = folder.add_task
      inner.title = "中身"
      inner.selected = true
      doomed = holder.add_task
      doomed.title = "消える"
      doomed.delete
      true
    RUBY
    got = run_items_script(<<~RUBY, host_options: ["--project", project])
      holder = ztl_projects.first
      old, folder = holder.children
      { "projects" => ztl_projects.size, "title" => holder.title,
        "tree" => holder.children.map { |c| [c.title, c.kind, c.children.map(&:title)] },
        "old" => [old.progress, old.priority, old.due_time, old.start_time, old.end_time, old.user_categories,
                  old.alarm?, old.alarm_due_time?, old.alarm_count, old.alarm_count_unit],
        "inner" => folder.first_child.user_categories,
        "bin" => ztl_recycled.children.map(&:title) }
    RUBY
    assert_equal 1, got["projects"]
    assert_equal "改名", got["title"]
    assert_equal [["既存", 0, []], ["新しい箱", 2, ["中身"]]], got["tree"]
    assert_equal [90, 5, Time.at(1_000_000), Time.at(1), nil, { "担当" => "高橋", "種別" => "" },
                  true, false, 3, 1], got["old"]
    assert_equal({ "担当" => "", "種別" => "" }, got["inner"])
    assert_equal ["消える"], got["bin"], "the recycle bin is saved with the special projects"
  end
end
