# The wrappers as values: what inspect shows and asks, and how they compare
# and hash (by handle, within a family of classes).
require "fake_host"

class TestValueObjects < Minitest::Test
  include FakeHostSupport

  SUBCLASS = "class MyItem < Ztl::ZtlItem; end\n".freeze

  # One title request per inspect; a deleted item sends nothing; the host
  # gone leaves the handle alone in the text, with no error.
  def test_item_inspect_asks_once_and_survives_a_gone_host
    replies = ['text Milk "2"', "words 7", "text Eggs", "words 1", "close"]
    out, sent = run_on_item(SUBCLASS + <<~RUBY, replies)
      puts item.inspect
      puts MyItem.new(CURRENT_ITEM).inspect
      item.delete
      puts item.inspect
      puts ztl_current_item.inspect rescue puts "gone"
      puts MyItem.allocate.inspect rescue puts "no allocate"
    RUBY
    assert_equal ['#<Ztl::ZtlItem 7 "Milk \\"2\\"">', '#<MyItem 7 "Eggs">', "#<Ztl::ZtlItem deleted>", "gone",
                  "no allocate"], out
    assert_equal [[18, 7, ""], [1, 0, words(0)], [18, 7, ""], [13, 7, ""], [1, 0, words(0)]], sent
  end

  def test_inspect_without_a_host_keeps_the_handle
    out, = run_on_item("puts item.inspect\nputs item.inspect\n", ["close"])
    assert_equal ["#<Ztl::ZtlItem 7>"] * 2, out
  end

  def test_items_compare_and_hash_by_handle
    out, sent = run_on_item(SUBCLASS + <<~RUBY, ["words 7", "words 8", "words 7", "words 1", "words 8"])
      same = ztl_current_item
      other = ztl_current_item
      mine = MyItem.new(CURRENT_ITEM)
      show { [item == same, item.eql?(same), item.hash == same.hash, item.equal?(same)] }
      show { [item == other, item.eql?(other), item == 7, item == nil] }
      show { [mine == item, item == mine, mine.eql?(item), mine.hash == item.hash] }
      show { { item => :a, same => :b, other => :c }.values }
      show { [item, same, other, mine].uniq.size }
      same.delete
      gone = ztl_current_item
      gone.delete
      show { [same == item, same == gone, same == same, same.hash == gone.hash] }
    RUBY
    assert_equal ["[true, true, true, false]", "[false, false, false, false]", "[true, true, true, true]",
                  "[:b, :c]", "2", "[false, false, true, false]"], out
    assert_equal [1, 1, 1, 13, 1, 13], sent.map(&:first)
  end

  # Documents and links are of their own families: one number of a document,
  # a link and an item names three different things.
  def test_documents_and_links_compare_within_their_class
    replies = [reply_items(30, 31), reply_items(30), reply_items(30), "text Notes", "close"]
    out, sent = run_on_item(<<~RUBY, replies)
      first, second = item.documents
      again = item.documents.first
      link = item.filelinks.first
      show { [first == again, first.eql?(again), first.hash == again.hash, first == second] }
      show { [first == link, link == first, first.hash == link.hash, [first, again, link].uniq.size] }
      puts first.inspect
      puts link.inspect
    RUBY
    assert_equal ["[true, true, true, false]", "[false, false, false, 2]",
                  '#<Ztl::ZtlItemDocument 30 of item 7 "Notes">', "#<Ztl::ZtlFileLink 30 of item 7>"], out
    assert_equal [[36, 7, ""], [36, 7, ""], [54, 7, ""], [40, 30, ""], [58, 30, ""]], sent
  end

  # Options compare as the readers answer them: any nonzero word is true.
  def test_project_option_snapshots_compare_by_what_they_hold
    out, sent = run_on_item(<<~RUBY, ["words 7 1 0 5 0 0", "words 7 1 0 1 0 0", "words 7 1 0 1 1 0"])
      a = item.project_option
      b = item.project_option
      c = item.project_option
      show { [a == b, a.eql?(b), a.hash == b.hash, a == c, a == item] }
      puts a.inspect
    RUBY
    assert_equal ["[true, true, true, false, false]",
                  "#<Ztl::ZtlProjectOption of item 7 save_caret_pos=true station_and_query_save=false " \
                  "add_item_to_bottom=true folder_behind=false relative_path=false>"], out
    assert_equal [83, 83, 83], sent.map(&:first)
  end
end
