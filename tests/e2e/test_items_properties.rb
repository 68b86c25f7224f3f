# Every property of an item a script made, written and read back through the
# real host, and what the host saved of it.
require "items_support"

class TestItemsProperties < E2E::Case
  include ItemScripts

  def test_title_progress_priority_and_message_id
    got = run_items_script(<<~RUBY)
      task = ZtlItem.new_project.add_task
      fresh = [task.title, task.progress, task.priority, task.message_id]
      set = [task.send(:title=, "見出し\0hidden"), task.title, task.title.encoding.name]
      task.progress = 55
      task.priority = 4
      numbers = [task.progress, task.priority]
      long = "x" + "あ" * 2000
      task.title = long
      cut = task.title
      task.title = "最終"
      errors = [[:title=, 5], [:title=, nil], [:progress=, "5"]].map do |name, value|
        task.send(name, value)
        :none
      rescue TypeError
        :type_error
      end
      { "fresh" => fresh, "set" => set, "numbers" => numbers, "cut" => [cut.bytesize, cut.valid_encoding?,
        long.start_with?(cut)], "errors" => errors, "after_errors" => [task.title, task.progress] }
    RUBY
    assert_equal ["", 0, 0, ""], got["fresh"]
    assert_equal [true, "見出し", "UTF-8"], got["set"], "a text is sent up to its NUL"
    assert_equal [55, 4], got["numbers"]
    # 1 + 3 * 1706 = 5119: the 1707th character would pass the 5120-byte field.
    assert_equal [5119, true, true], got["cut"]
    assert_equal %i[type_error type_error type_error], got["errors"]
    assert_equal ["最終", 55], got["after_errors"]
    saved = saved_item("最終")
    assert_equal [55, 4], [saved["progress"], saved["priority"]]
  end

  # The four dates of the user: unset reads nil, the channel's first second
  # (1970-01-01 09:00:01 on the host's scale) is the earliest a script can
  # write, nil clears, and a fraction of a second is dropped.
  def test_the_six_times_with_nil_and_the_epoch_edge
    got = run_items_script(<<~RUBY)
      task = ZtlItem.new_project.add_task
      task.title = "timed"
      readers = %i[start_time planned_start_time end_time due_time]
      unset = readers.map { |r| task.send(r) }
      made = [task.create_time, task.last_modify_time]
      writes = [task.send(:start_time=, Time.at(1)), task.send(:planned_start_time=, 86_400),
                task.send(:end_time=, Time.at(2_000_000_000, 999_999)), task.send(:due_time=, Time.at(1_700_000_000.75))]
      back = readers.map { |r| task.send(r) }
      errors = [Time.at(0), -5, Time.at(2**31), "tomorrow"].map do |bad|
        task.due_time = bad
        :none
      rescue RangeError
        :range_error
      rescue TypeError
        :type_error
      end
      after_errors = task.due_time
      task.end_time = nil
      { "unset" => unset, "made" => made, "writes" => writes, "back" => back, "errors" => errors,
        "after_errors" => after_errors, "cleared" => task.end_time, "times" => [task.create_time, task.last_modify_time] }
    RUBY
    assert_equal [nil] * 4, got["unset"]
    got["made"].each { |t| assert_in_delta host_now.to_f, t.to_f, 120, "a new item is created now" }
    assert_equal [true] * 4, got["writes"]
    assert_equal [Time.at(1), Time.at(86_400), Time.at(2_000_000_000), Time.at(1_700_000_000)], got["back"]
    assert_equal %i[range_error range_error range_error type_error], got["errors"]
    assert_equal Time.at(1_700_000_000), got["after_errors"]
    assert_nil got["cleared"]
    create, modify = got["times"]
    assert_equal got["made"][0], create
    assert_operator modify, :>=, create
    saved = saved_item("timed")
    assert_equal "1970-01-01T09:00:01", saved.dig("dates", "start")
    assert_equal "1970-01-02T09:00:00", saved.dig("dates", "planned_start")
    refute saved.fetch("dates").key?("end"), "a cleared date is not saved: #{saved['dates']}"
  end

  # Category values are matched to the item's categories by position, in
  # the project's order, whatever the order of the Hash.
  def test_user_categories_in_a_project_that_defines_them
    project = categories_project(scratch("categories.json"))
    got = run_items_script(<<~RUBY, host_options: ["--project", project])
      holder = ztl_projects.first
      old = holder.first_child
      task = holder.add_task
      task.title = "分類する"
      fresh = task.user_categories
      set = task.send(:user_categories=, { "種別" => "文書", "余分" => "無視", "担当" => "佐藤" })
      after_set = task.user_categories
      missing = begin
        task.user_categories = { "担当" => "だけ" }
        :none
      rescue TypeError
        :type_error
      end
      not_string = begin
        task.user_categories = { "担当" => "x", "種別" => 3 }
        :none
      rescue TypeError
        :type_error
      end
      no_hash = begin
        task.user_categories = nil
        :none
      rescue Ztl::Error => e
        e.message
      end
      long = "長" * 100
      task.user_categories = { "担当" => long, "種別" => "文書" }
      cut = task.user_categories["担当"]
      task.user_categories = { "担当" => "佐藤", "種別" => "文書" }
      bare = ZtlItem.new_project.add_task
      { "old" => old.user_categories, "fresh" => fresh, "keys" => fresh.keys, "set" => set,
        "after_set" => after_set, "errors" => [missing, not_string, no_hash], "after_errors" => task.user_categories,
        "cut" => [cut.bytesize, long.start_with?(cut)],
        "bare" => [bare.user_categories, bare.send(:user_categories=, {}), bare.user_categories] }
    RUBY
    assert_equal({ "担当" => "担当の値", "種別" => "種別の値" }, got["old"])
    assert_equal({ "担当" => "", "種別" => "" }, got["fresh"], "a new item has every category of its project")
    assert_equal %w[担当 種別], got["keys"]
    assert_equal true, got["set"]
    assert_equal({ "担当" => "佐藤", "種別" => "文書" }, got["after_set"])
    assert_equal [:type_error, :type_error, "Hash is nil"], got["errors"]
    assert_equal({ "担当" => "佐藤", "種別" => "文書" }, got["after_errors"], "a refused Hash changes nothing")
    assert_equal [255, true], got["cut"], "85 characters of 3 bytes fit in 255"
    assert_equal [nil, true, nil], got["bare"], "a project made by a script has no categories"
    saved = saved_item("分類する", project)
    assert_equal [{ "name" => "担当", "value" => "佐藤" }, { "name" => "種別", "value" => "文書" }], saved["categories"]
  end

  def test_the_alarm_and_its_unit
    got = run_items_script(<<~RUBY)
      task = ZtlItem.new_project.add_task
      task.title = "alarmed"
      read = -> { [task.alarm?, task.alarm_due_time?, task.alarm_count, task.alarm_count_unit] }
      none = read.call
      steps = [[true, 30, AU_MIN], [1, 2, AU_DAY], [false, 7, AU_HOUR]].map { |args| [task.set_alarm(*args), read.call] }
      refused = [task.set_alarm(true, 1, 3), task.set_alarm(true, 1, 257), task.set_alarm(true, -1, AU_MIN)]
      after_refused = read.call
      cleared = [task.clear_alarm, read.call]
      task.set_alarm(true, 45, AU_MIN)
      { "none" => none, "steps" => steps, "refused" => refused, "after_refused" => after_refused, "cleared" => cleared }
    RUBY
    assert_equal [false, false, 0, 0], got["none"]
    # Units: 0 minutes (AU_MIN), 1 hours (AU_HOUR), 2 days (AU_DAY); only true sets the due-time flag.
    assert_equal [[true, [true, true, 30, 0]], [true, [true, false, 2, 2]], [true, [true, false, 7, 1]]], got["steps"]
    assert_equal [false, false, false], got["refused"], "units above 2 and negative counts are refused"
    assert_equal [true, false, 7, 1], got["after_refused"]
    assert_equal [true, [false, false, 0, 0]], got["cleared"]
    assert_equal({ "enabled" => true, "due_time" => true, "count" => 45, "unit" => 0 }, saved_item("alarmed")["alarm"])
  end
end
