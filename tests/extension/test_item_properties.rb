# ZtlItem's properties: title, progress, priority, message id, times, user
# categories and alarm; their requests, conversions and code pages.
require "fake_host"

class TestItemProperties < Minitest::Test
  include FakeHostSupport

  def test_title_progress_priority_and_message_id
    replies = ["text Plan", "words 1", "words 0", "words 40", "empty", "words -1", "empty", "text  "]
    out, sent = run_on_item(<<~RUBY, replies)
      show { item.title }
      show { item.send(:title=, "New\\0cut") }
      show { item.send(:title=, "") }
      show { item.progress }
      show { item.send(:progress=, 50) }
      show { item.priority }
      show { item.send(:priority=, -3) }
      show { item.message_id }
      show { item.title = :sym }
      show { item.progress = 2.5 }
      show { item.priority = "1" }
    RUBY
    assert_equal ['"Plan"', "true", "false", "40", "true", "-1", "true", '" "',
                  "ERR TypeError: no implicit conversion of Symbol into String",
                  "ERR TypeError: wrong argument type Float (expected Integer)",
                  "ERR TypeError: wrong argument type String (expected Integer)"], out
    # A text goes up to its first NUL, with one NUL; nothing is sent for a
    # refused argument.
    assert_equal [[18, 7, ""], [19, 7, "New\0"], [19, 7, "\0"], [20, 7, ""], [21, 7, words(50)], [22, 7, ""],
                  [23, 7, words(-3)], [24, 7, ""]], sent
  end

  # Short payloads are built without an object, longer ones in a String: a
  # text either side of the change (and one of many kilobytes) arrives whole.
  def test_titles_of_every_length_arrive_whole
    lengths = [94, 95, 96, 5000] # with the NUL: 95, 96 (the most kept inline), 97 bytes
    out, sent = run_on_item(<<~RUBY, ["words 1"] * lengths.size)
      #{lengths.inspect}.each { |n| show { item.send(:title=, "t" * n) } }
    RUBY
    assert_equal ["true"] * lengths.size, out
    assert_equal(lengths.map { |n| [19, 7, "t" * n + "\0"] }, sent)
  end

  def test_category_names_are_frozen_and_shared_between_items
    two = reply_bytes(categories("A" => "x", "B" => "y"))
    out, = run_on_item(<<~RUBY, [two, two])
      first = item.user_categories
      second = item.user_categories
      show { first.keys.map(&:frozen?) + first.values.map(&:frozen?) }
      show { first.keys.zip(second.keys).all? { |a, b| a.equal?(b) } }
      show { first.values.first << "!" }
    RUBY
    assert_equal ["[true, true, false, false]", "true", '"x!"'], out
  end

  TIMES = { "start_time" => 26, "planned_start_time" => 28, "end_time" => 30, "due_time" => 32 }.freeze

  def test_time_readers_and_writers_use_their_codes
    readers = TIMES.keys + %w[last_modify_time create_time]
    script = readers.map { |name| "show { t = item.#{name}; t && [t.class, t.to_i] }\n" }.join +
             TIMES.keys.map { |name| "show { item.send(:#{name}=, Time.at(1000)) }\n" }.join
    out, sent = run_on_item(script, readers.map { |name| "words #{1000 + name.size}" })
    assert_equal readers.map { |name| "[Time, #{1000 + name.size}]" } + ["true"] * 4, out
    codes = TIMES.values + [34, 35]
    assert_equal codes.map { |code| [code, 7, ""] } + TIMES.values.map { |code| [code + 1, 7, words(1000)] }, sent
  end

  def test_times_at_the_edges_of_the_channels_word
    out, sent = run_on_item(<<~RUBY, ["words 0", "words -5", "words 1", "words 2147483647", "empty"])
      4.times { show { t = item.due_time; t && [t.to_i, t == Time.at(t.to_i)] } }
      show { item.due_time }
      show { item.send(:due_time=, nil) }
      show { item.send(:due_time=, Time.at(1, 999999)) }
      show { item.send(:due_time=, 2**31 - 1) }
      show { item.send(:due_time=, Time.at(1.5)) }
      show { item.due_time = Time.at(0) }
      show { item.due_time = Time.at(-1) }
      show { item.due_time = Time.utc(1969, 12, 31, 23) }
      show { item.due_time = Time.at(2**31) }
      show { item.due_time = "2020-01-01" }
    RUBY
    # 0 and less are no date; whole seconds are sent, fractions dropped; what
    # the word cannot carry (0 is "no date") is refused before anything is sent.
    assert_equal ["nil", "nil", "[1, true]", "[2147483647, true]", "nil", "true", "true", "true", "true"] +
                 ["ERR RangeError: time out of range for Zentrella"] * 4 +
                 ["ERR TypeError: can't convert String into time"], out
    assert_equal [[32, 7, ""]] * 5 + [[33, 7, words(0)], [33, 7, words(1)], [33, 7, words(2**31 - 1)],
                                      [33, 7, words(1)]], sent
  end

  # The host answers a stored value and a deleted item alike, with nothing: a
  # wrapper whose item was deleted through it reports false, not success.
  def test_writers_without_a_result_report_false_once_the_item_is_deleted
    out, sent = run_on_item(<<~RUBY, ["empty", "empty", "words 1"])
      show { item.send(:start_time=, Time.at(5)) }
      show { item.send(:progress=, 5) }
      item.delete
      show { item.send(:start_time=, Time.at(5)) }
      show { item.send(:progress=, 5) }
      show { item.send(:priority=, 5) }
    RUBY
    assert_equal %w[true true false false false], out
    assert_equal [[27, 7, words(5)], [21, 7, words(5)], [13, 7, ""], [27, 0, words(5)], [21, 0, words(5)],
                  [23, 0, words(5)]], sent
  end

  def test_reading_user_categories
    replies = [reply_bytes(categories("A" => "x", "Bee" => "")), reply_bytes("\0"), "empty",
               reply_bytes("A\0x\0B\0y")]
    out, sent = run_on_item(<<~RUBY, replies)
      4.times { show { item.user_categories } }
    RUBY
    # A list cut short ends where its bytes end.
    assert_equal ['{"A"=>"x", "Bee"=>""}', "nil", "nil", '{"A"=>"x", "B"=>"y"}'], out
    assert_equal [[70, 7, ""]] * 4, sent
  end

  # Pairs go into the Hash a few at a time: a long list keeps every pair and
  # its order, and a name the host lists twice keeps its last value.
  def test_reading_many_user_categories
    many = (1..19).to_h { |i| ["name#{i}", "value#{i}"] }
    twice = reply_bytes("A\0x\0B\0y\0A\0z\0\0")
    out, = run_on_item(<<~RUBY, [reply_bytes(categories(many)), twice])
      show { item.user_categories.to_a }
      show { item.user_categories }
    RUBY
    assert_equal [many.to_a.inspect, '{"A"=>"z", "B"=>"y"}'], out
  end

  def test_writing_user_categories_follows_the_items_own_list
    two = reply_bytes(categories("A" => "x", "B" => "y"))
    replies = [two, two, "words 1", two, reply_bytes("\0"), "words 0", two]
    out, sent = run_on_item(<<~RUBY, replies)
      show { item.user_categories = { "A" => "w" } }
      show { item.send(:user_categories=, { "C" => "q", "B" => "z", "A" => "w\\0cut" }) }
      show { item.user_categories = Hash.new { |_, name| name << "!" } }
      show { item.send(:user_categories=, {}) }
      show { item.user_categories = nil }
      show { item.user_categories = [["A", "w"]] }
      show { item.user_categories = { "A" => 1, "B" => "z" } }
    RUBY
    assert_equal ["ERR TypeError: no implicit conversion of nil into String", "true",
                  'ERR FrozenError: can\'t modify frozen String: "A"', "false",
                  "ERR Ztl::Error: Hash is nil", "ERR TypeError: no implicit conversion of Array into Hash",
                  "ERR TypeError: no implicit conversion of Integer into String"], out
    # A value is needed for every category the item has, in the host's order;
    # other keys are left out, and code 71 goes only when every value is there.
    assert_equal [[70, 7, ""], [70, 7, ""], [71, 7, "A\0w\0B\0z\0\0"], [70, 7, ""], [70, 7, ""], [71, 7, "\0"],
                  [70, 7, ""]], sent
  end

  def test_alarm_readers_and_writers
    replies = ["words 1 0 2 2"] * 4 + ["empty"] * 4 + ["words 1", "words 1", "words 0"]
    out, sent = run_on_item(<<~RUBY, replies)
      show { [item.alarm?, item.alarm_due_time?, item.alarm_count, item.alarm_count_unit] }
      show { [item.alarm?, item.alarm_due_time?, item.alarm_count, item.alarm_count_unit] }
      show { item.set_alarm(true, 30, AU_MIN) }
      show { item.set_alarm(1, 2, AU_DAY) }
      show { item.clear_alarm }
      show { item.set_alarm(true, "30", AU_MIN) }
      show { item.set_alarm(true, 30) }
    RUBY
    assert_equal ["[true, false, 2, 2]", "[nil, nil, nil, nil]", "true", "true", "false",
                  "ERR TypeError: wrong argument type String (expected Integer)",
                  "ERR ArgumentError: wrong number of arguments (given 2, expected 3)"], out
    # Each reader asks on its own; set_alarm always enables, and only true
    # ties the alarm to the due time.
    assert_equal [[109, 7, ""]] * 8 + [[110, 7, words(1, 1, 30, 0)], [110, 7, words(1, 0, 2, 2)],
                                       [110, 7, words(0, 0, 0, 0)]], sent
  end

  # Texts reach the host in its code page whatever the script's encoding, and
  # come back tagged with it.
  def test_texts_in_utf8
    out, sent = run_on_item(<<~RUBY, ["words 1", "words 1", "words 1", reply_bytes("日本語\0".b)])
      show { item.send(:title=, "日本語") }
      show { item.send(:title=, "日本語".encode("Windows-31J")) }
      show { item.send(:title=, "\\xff\\xfe".b) }
      show { t = item.title; [t, t.encoding] }
    RUBY
    assert_equal ["true", "true", "true", '["日本語", #<Encoding:UTF-8>]'], out
    assert_equal [[19, 7, "日本語\0".b], [19, 7, "日本語\0".b], [19, 7, "\xff\xfe\0".b], [18, 7, ""]], sent
  end

  def test_texts_under_code_page_932
    sjis = ->(text) { text.encode("Windows-31J").b }
    replies = ["words 1", "words 1", "words 1", reply_bytes(sjis["あ"] + "\0"),
               reply_bytes(categories(sjis["分類"] => sjis["値"], "B" => "y")), "words 1"]
    out, sent = run_on_item(<<~RUBY, replies, env: { "ZTL_CODEPAGE" => "932" })
      show { item.send(:title=, "日本語") }
      show { item.send(:title=, "ab") }
      show { item.send(:title=, "\\x82\\xa0".b) }
      show { item.title = "😀" }
      show { t = item.title; [t == "あ".encode("Windows-31J"), t.encoding] }
      show { item.send(:user_categories=, { "分類" => "新しい", "B" => "z" }) }
    RUBY
    assert_equal ["true", "true", "true",
                  'ERR Encoding::UndefinedConversionError: U+1F600 from UTF-8 to Windows-31J',
                  "[true, #<Encoding:Windows-31J>]", "true"], out
    # The names come from the host; a key spelt in the script's encoding finds
    # its category.
    assert_equal [[19, 7, sjis["日本語"] + "\0"], [19, 7, "ab\0"], [19, 7, "\x82\xa0\0".b], [18, 7, ""],
                  [70, 7, ""], [71, 7, sjis["分類"] + "\0" + sjis["新しい"] + "\0B\0z\0\0"]], sent
  end
end
