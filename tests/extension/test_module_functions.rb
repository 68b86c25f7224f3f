# Module functions: the exact requests they send and how they read replies.
require "fake_host"

class TestModuleFunctions < Minitest::Test
  include FakeHostSupport

  def test_special_items_send_their_selector_and_wrap_the_handle
    host = fake_host(replies: ["words 77", "words 0", "empty", "words 5"])
    out = run_ok(<<~RUBY, host)
      show { ztl_current_item.class }
      show { ztl_recycled }
      show { ztl_templete_project }
      show { Ztl.ztl_scrap_project.class }
    RUBY
    assert_equal "Ztl::ZtlItem\nnil\nnil\nZtl::ZtlItem\n", out
    assert_equal [[1, 0, words(0)], [1, 0, words(3)], [1, 0, words(5)], [1, 0, words(6)]],
                 host.requests.map { |r| [r.code, r.value, r.payload] }
  end

  def test_current_document_without_a_current_item_sends_one_request
    host = fake_host(replies: ["words 0"])
    assert_equal "nil\n", run_ok("show { ztl_current_document }", host)
    assert_equal [words(0)], host.requests.map(&:payload)
  end

  def test_current_document_asks_for_the_item_then_the_document
    host = fake_host(replies: ["words 12", "words 34", "words 12", "words 0"])
    out = run_ok("show { ztl_current_document.class }\nshow { ztl_current_document }", host)
    assert_equal "Ztl::ZtlItemDocument\nnil\n", out
    assert_equal [words(0), words(8), words(0), words(8)], host.requests.map(&:payload)
  end

  def test_item_lists
    host = fake_host(replies: ["words 0", "words 3 4 0", "empty", "words 9 0 8 0", "words 6"])
    out = run_ok(<<~RUBY, host)
      show { ztl_selected_items }
      show { ztl_displayed_items.map(&:class) }
      show { ztl_projects }
      show { ztl_selected_items.size }
      show { ztl_selected_items.size }
    RUBY
    # Only the terminator is an empty list; no reply at all is nil; the list
    # ends at the first 0, and a reply without terminator at its end.
    assert_equal "[]\n[Ztl::ZtlItem, Ztl::ZtlItem]\nnil\n1\n1\n", out
    assert_equal [9, 10, 11, 9, 9], host.requests.map { |r| r.payload.unpack1("l<") }
  end

  def test_exec_command_payloads
    host = fake_host(replies: ["words 1", "words 0", "words 1", "words 7"])
    out = run_ok(<<~RUBY, host)
      show { ztl_exec_command("go") }
      show { ztl_exec_command("go", nil, "b") }
      show { ztl_exec_command("a\\0hidden", "1", "2", "3", "4", "5", "6", "7", "8", "9") }
      show { ztl_exec_command(*%w[n a b c d e f g h i j]) }
      show { ztl_exec_command }
      show { ztl_exec_command(:go) }
      show { ztl_exec_command("go", 5) }
    RUBY
    assert_equal ["true", "false", "true",
                  "ERR ArgumentError: wrong number of arguments (given 11, expected 1..10)",
                  "ERR ArgumentError: wrong number of arguments (given 0, expected 1..10)",
                  "ERR TypeError: no implicit conversion of Symbol into String",
                  "ERR TypeError: no implicit conversion of Integer into String"], out.lines(chomp: true)
    payloads = host.requests.map(&:payload)
    assert_equal 3, payloads.size, "a rejected call sends nothing"
    # Name, nine texts and the empty tenth: name length + 11 bytes.
    assert_equal "go\0" + "\0" * 9 + "\0", payloads[0]
    assert_equal "go\0" + "\0" + "b\0" + "\0" * 7 + "\0", payloads[1]
    assert_equal "a\0" + (1..9).map { |i| "#{i}\0" }.join + "\0", payloads[2]
    assert_equal [75], host.requests.map(&:code).uniq
  end

  def test_update_bracket_shift_and_panes
    host = fake_host(replies: ["empty", "empty", "words 1", "words 1", "words 1", "words 3", "empty"])
    out = run_ok(<<~RUBY, host)
      show { ztl_begin_update }
      show { ztl_end_update }
      show { ztl_exec_shift(1) }
      show { ztl_exec_shift(true) }
      show { ztl_set_focus_pain(AC_EDIT) }
      show { ztl_focus_pain }
      show { ztl_set_focus_pain("3") }
      show { ztl_focus_pain }
    RUBY
    assert_equal %w[true true true true true 3] + ["ERR TypeError: wrong argument type String (expected Integer)", "0"],
                 out.lines(chomp: true)
    assert_equal [[25, words(1)], [25, words(0)], [82, words(0)], [82, words(1)], [81, words(3)], [89, ""],
                  [89, ""]],
                 host.requests.map { |r| [r.code, r.payload] }
  end

  def test_texts_and_versions
    host = fake_host(replies: ["text /opt/zentrella/", "text user", "words 31002", "words 10000",
                               "empty", "empty", "hex 414243"])
    out = run_ok(<<~RUBY, host)
      show { ztl_path }
      show { s = ztl_user_folder; [s, s.encoding] }
      show { ztl_version }
      show { ruby_ztl_version }
      show { ztl_version }
      show { ztl_path }
      show { ztl_user_folder }
    RUBY
    # No reply gives 0 and ""; a text without its NUL still ends at the reply's end.
    assert_equal ['"/opt/zentrella/"', '["user", #<Encoding:UTF-8>]', "31002", "10000", "0", '""', '"ABC"'],
                 out.lines(chomp: true)
    assert_equal [76, 77, 78, 79, 78, 76, 77], host.requests.map(&:code)
  end

  def test_texts_are_tagged_with_the_host_code_page
    host = fake_host(replies: ["hex 82a082a200"])
    out, = run_script("show { s = ztl_path; [s.encoding, s.bytes] }", namespace: host.namespace,
                                                                     env: { "ZTL_CODEPAGE" => "932" })
    assert_equal "[#<Encoding:Windows-31J>, [130, 160, 130, 162]]\n", out
  end

  def test_command_texts_go_in_the_host_code_page
    host = fake_host(replies: ["words 1", "words 1"])
    out, = run_script(<<~RUBY, namespace: host.namespace, env: { "ZTL_CODEPAGE" => "932" })
      show { ztl_exec_command("検索", nil, "語") }
      show { ztl_exec_command("x", "\u00e9\u0301") }
    RUBY
    assert_equal "true\nERR Encoding::UndefinedConversionError: U+00E9 from UTF-8 to Windows-31J\n", out
    sjis = ->(text) { text.encode("Windows-31J").b }
    assert_equal [sjis["検索"] + "\0\0" + sjis["語"] + "\0" + "\0" * 7 + "\0"], host.requests.map(&:payload)
  end
end
