# The dialog functions: the exact requests they send and how they read the
# replies (a cancel and a confirmed empty text apart).
require "fake_host"

class TestDialogs < Minitest::Test
  include FakeHostSupport

  def sent(host) = host.requests.map { |r| [r.code, r.value, r.payload] }

  def test_item_select_flags_default_on_and_only_false_sends_zero
    host = fake_host(replies: ["words 0", "words 9", "words 9"])
    out = run_ok(<<~RUBY, host)
      show { disp_item_select }
      show { disp_item_select(false, nil, 0).class }
      item = disp_item_select(true, false, true, nil, "選ぶ")
      show { [item.class, item == nil] }
    RUBY
    assert_equal "nil\nZtl::ZtlItem\n[Ztl::ZtlItem, false]\n", out
    assert_equal [[106, 0, words(1, 1, 1, 0) + "\0"], [106, 0, words(0, 1, 1, 0) + "\0"],
                  [106, 0, words(1, 0, 1, 0) + "選ぶ\0".b]], sent(host)
  end

  def test_item_select_sends_the_start_items_handle
    lines, requests = run_on_item("show { disp_item_select(nil, nil, nil, item).class }", ["words 7"])
    assert_equal ["Ztl::ZtlItem"], lines
    assert_equal [[106, 0, words(1, 1, 1, ITEM_HANDLE) + "\0"]], requests
  end

  def test_date_dialog_reads_zero_and_less_as_nil
    host = fake_host(replies: ["words -1", "words 0", "words 86400"])
    out = run_ok(<<~RUBY, host)
      show { disp_date_dialog }
      show { disp_date_dialog(Time.at(60), "日付") }
      show { disp_date_dialog(5).to_i }
    RUBY
    assert_equal "nil\nnil\n86400\n", out
    assert_equal [[107, 0, words(0) + "\0"], [107, 0, words(60) + "日付\0".b], [107, 0, words(5) + "\0"]], sent(host)
  end

  def test_input_dialog_sends_four_texts_and_tells_cancel_from_empty
    host = fake_host(replies: ["empty", "hex 00", "text 入力"])
    out = run_ok(<<~RUBY, host)
      show { disp_input_dialog }
      show { disp_input_dialog("題", "名前", nil, "alpha\\nbeta") }
      show { disp_input_dialog(nil, nil, "初期") }
    RUBY
    assert_equal "nil\n\"\"\n\"入力\"\n", out
    assert_equal [[108, 0, "\0\0\0\0"], [108, 0, "題\0名前\0\0alpha\nbeta\0".b], [108, 0, "\0\0初期\0\0".b]],
                 sent(host)
  end

  def test_wrong_types_raise_before_anything_is_sent
    host = fake_host
    out = run_ok(<<~RUBY, host)
      show { disp_input_dialog(nil, 3) }
      show { disp_item_select(nil, nil, nil, "an item") }
      show { disp_date_dialog("today") }
      show { disp_item_select(1, 2, 3, nil, "c", 6) }
    RUBY
    assert_equal ["ERR TypeError", "ERR TypeError", "ERR TypeError", "ERR ArgumentError"],
                 out.lines.map { |l| l.split(":").first }
    assert_empty host.requests
  end
end
