# ZtlProjectOption against a fake host: the snapshot, the record each writer
# sends, and replies that are no snapshot or refuse a write.
require "fake_host"

class TestProjectOption < Minitest::Test
  include FakeHostSupport

  SNAPSHOT = "words 7 0 -1 1 0 5".freeze

  def test_readers_answer_from_the_snapshot_and_writers_send_all_five
    out, sent = run_on_item(<<~RUBY, [SNAPSHOT, "words 1", "words 1"])
      option = item.project_option
      show { [option.class, option.save_caret_pos, option.station_and_query_save, option.add_item_to_bottom,
              option.folder_behind, option.relative_path] }
      show { option.send(:folder_behind=, true) }
      show { option.send(:station_and_query_save=, 1) }
      show { [option.folder_behind, option.station_and_query_save] }
      show { Ztl::ZtlProjectOption.new }
    RUBY
    assert_equal ["[Ztl::ZtlProjectOption, false, true, true, false, true]", "true", "true", "[true, false]"],
                 out.first(4)
    assert_match(/^ERR TypeError: allocator undefined/, out.last)
    # The options' words go back as the host gave them; only the changed one is 1 or 0.
    assert_equal [[83, 7, ""], [84, 7, words(7, 0, -1, 1, 1, 5)], [84, 7, words(7, 0, 0, 1, 1, 5)]], sent
  end

  # A refused write (0) or no answer at all is false, and the snapshot keeps
  # what the host holds; the next write sends that, not the refused value.
  def test_a_refused_write_is_false_and_leaves_the_snapshot
    out, sent = run_on_item(<<~RUBY, [SNAPSHOT, "words 0", "empty", "words 1"])
      option = item.project_option
      show { option.send(:save_caret_pos=, true) }
      show { option.send(:relative_path=, false) }
      show { [option.save_caret_pos, option.relative_path] }
      show { option.send(:add_item_to_bottom=, false) }
    RUBY
    assert_equal ["false", "false", "[false, true]", "true"], out
    assert_equal [words(7, 1, -1, 1, 0, 5), words(7, 0, -1, 1, 0, 0), words(7, 0, -1, 0, 0, 5)],
                 sent.drop(1).map(&:last)
  end

  # No reply, or one too short for the five options, is no snapshot: nothing
  # made up that a later write would send back as zeros. The handle the
  # writes go to is the receiver's, whatever the reply's first word says.
  def test_replies_that_are_no_snapshot_and_the_handle_of_the_writes
    out, sent = run_on_item(<<~RUBY, ["empty", "words 7 1 1 1 1", "words 99 1 1 1 1 1", "words 1"])
      show { item.project_option }
      show { item.project_option }
      show { item.project_option.send(:relative_path=, false) }
    RUBY
    assert_equal %w[nil nil true], out
    assert_equal [[83, 7, ""], [83, 7, ""], [83, 7, ""], [84, 7, words(7, 1, 1, 1, 1, 0)]], sent
  end
end
