# ZtlItem's class methods and its tree and structure methods: the requests
# they send (code, handle, payload) and how they read the replies.
require "fake_host"

class TestItemTree < Minitest::Test
  include FakeHostSupport

  SUBCLASS = <<~RUBY
    class MyItem < Ztl::ZtlItem
      def hello = "level \#{level}"
    end
  RUBY

  def test_new_wraps_the_selected_item_in_the_receiving_class
    host = fake_host(replies: ["words 5", "words 0", reply_items(9, 10), "words 4", "words 0", "words 12", "words 13"])
    out = run_ok(SUBCLASS + <<~RUBY, host)
      show { ZtlItem.new(CURRENT_PROJECT).class }
      show { ZtlItem.new(RECYCLED) }
      show { m = MyItem.new(9); [m.class, m.hello] }
      show { ZtlItem.new(12) }
      show { MyItem.new(SELECTED_TOP).parent.class }
      show { ZtlItem.new("1") }
      show { ZtlItem.new(nil) }
      show { ZtlItem.new(2**31) }
      show { ZtlItem.new }
    RUBY
    assert_equal ["Ztl::ZtlItem", "nil", '[MyItem, "level 4"]', "nil", "Ztl::ZtlItem",
                  "ERR TypeError: wrong argument type String (expected Integer)",
                  "ERR TypeError: wrong argument type NilClass (expected Integer)",
                  "ERR RangeError: integer 2147483648 too big to convert to `int'",
                  "ERR ArgumentError: wrong number of arguments (given 0, expected 1)"], out.lines(chomp: true)
    # The first word of a list reply is the item; the parent of a subclass's
    # item is asked with its handle and comes back as a plain ZtlItem.
    assert_equal [[1, 0, words(1)], [1, 0, words(3)], [1, 0, words(9)], [16, 9, ""], [1, 0, words(12)],
                  [1, 0, words(7)], [2, 12, ""]],
                 host.requests.map { |r| [r.code, r.value, r.payload] }
  end

  # Selector 8 names a document: its handle is never wrapped as an item's. The
  # item a script gets is the one whose document is current.
  def test_new_with_the_current_document_gives_its_item
    host = fake_host(replies: ["words 0", "words 33", "words 12", "words 2"])
    out = run_ok(SUBCLASS + <<~RUBY, host)
      show { ZtlItem.new(8) }
      show { m = MyItem.new(8); [m.class, m.hello] }
    RUBY
    assert_equal ["nil", '[MyItem, "level 2"]'], out.lines(chomp: true)
    assert_equal [[1, 0, words(8)], [1, 0, words(8)], [1, 0, words(0)], [16, 12, ""]],
                 host.requests.map { |r| [r.code, r.value, r.payload] }
  end

  def test_new_project_adds_a_project_at_the_top_level
    host = fake_host(replies: ["words 44", "words 0"])
    out = run_ok("show { ZtlItem.new_project.class }\nshow { ZtlItem.new_project }", host)
    assert_equal "Ztl::ZtlItem\nnil\n", out
    assert_equal [[11, 0, words(3)]] * 2, host.requests.map { |r| [r.code, r.value, r.payload] }
  end

  # Each neighbour is asked of the item the one before returned, so the chain
  # of handles shows that every reply was wrapped.
  def test_neighbours_walk_from_handle_to_handle
    names = %w[parent first_child next_sibling prev_sibling project next_selected prev_selected next prev]
    out, sent = run_on_item(<<~RUBY, (1..names.size).map { |i| "words #{100 + i}" } + ["words 0", "empty"])
      x = item
      #{names.inspect}.each { |name| x = x.public_send(name) }
      show { x.class }
      show { x.parent }
      show { x.next }
    RUBY
    assert_equal %w[Ztl::ZtlItem nil nil], out
    expected = names.each_with_index.map { |_, i| [2 + i, i.zero? ? ITEM_HANDLE : 100 + i, ""] }
    assert_equal expected + [[2, 109, ""], [9, 109, ""]], sent
  end

  def test_children_in_the_hosts_order
    out, sent = run_on_item(<<~RUBY, [reply_items(3, 4), "words 2", reply_items, "empty"])
      kids = item.children
      show { kids.map(&:class) }
      show { kids[1].level }
      show { item.children }
      show { item.children }
    RUBY
    # Only the terminator is no children; no reply (a handle of 0) is nil.
    assert_equal ["[Ztl::ZtlItem, Ztl::ZtlItem]", "2", "[]", "nil"], out
    assert_equal [[80, 7, ""], [16, 4, ""], [80, 7, ""], [80, 7, ""]], sent
  end

  def test_add_and_insert_send_kind_and_position
    replies = ["words 20", "words 21", "words 22", "words 23", "words 0", "words 24"]
    out, sent = run_on_item(<<~RUBY, replies)
      show { item.add(ITEM_FOLDER).class }
      show { item.add_task.class }
      show { item.add_folder.class }
      show { item.add_filer.class }
      show { item.add(7) }
      show { item.insert(ITEM_FOLDER, 3).class }
      show { item.add("1") }
      show { item.insert(1, nil) }
      show { item.insert(1) }
    RUBY
    assert_equal %w[Ztl::ZtlItem Ztl::ZtlItem Ztl::ZtlItem Ztl::ZtlItem nil Ztl::ZtlItem] +
                 ["ERR TypeError: wrong argument type String (expected Integer)",
                  "ERR TypeError: wrong argument type NilClass (expected Integer)",
                  "ERR ArgumentError: wrong number of arguments (given 1, expected 2)"], out
    # Insert sends the position first, then the kind.
    assert_equal [[11, 7, words(2)], [11, 7, words(0)], [11, 7, words(2)], [11, 7, words(1)], [11, 7, words(7)],
                  [12, 7, words(3, 2)]], sent
  end

  # After delete the object names no item, whatever the host answered; another
  # object of the same item keeps its handle.
  def test_delete_lets_go_of_the_item
    replies = ["words 7", "words 0", "words -1", "words -1", "empty", "empty", "words 1", "words 0", "words 0"]
    out, sent = run_on_item(<<~RUBY, replies)
      other = ZtlItem.new(CURRENT_ITEM)
      show { item.delete }
      show { item.kind }
      show { item.project? }
      show { item.children }
      show { item.project_filename }
      show { other.level }
      show { other.delete }
      show { other.delete }
    RUBY
    assert_equal %w[false -1 false nil "" 1 false false], out
    assert_equal [[1, 0, words(0)], [13, 7, ""], [15, 0, ""], [15, 0, ""], [80, 0, ""], [74, 0, ""], [16, 7, ""],
                  [13, 7, ""], [13, 0, ""]], sent
  end

  def test_assign_takes_only_an_item
    replies = ["words 8", "words 1", "words 0", "words 7", "words 33", "words 9", "words 1"]
    out, sent = run_on_item(<<~RUBY, replies)
      source = ZtlItem.new(CURRENT_FOLDER)
      show { item.assign(source) }
      show { item.assign_with_children(source) }
      document = ztl_current_document
      show { item.assign(document) }
      show { item.assign_with_children(nil) }
      show { item.assign("7") }
      show { item.assign(Class.new(ZtlItem).new(0)) }
    RUBY
    assert_equal ["true", "false",
                  "ERR TypeError: wrong argument type Ztl::ZtlItemDocument (expected Ztl::ZtlItem)",
                  "ERR TypeError: wrong argument type nil (expected Ztl::ZtlItem)",
                  "ERR TypeError: wrong argument type String (expected Ztl::ZtlItem)", "true"], out
    assert_equal [[1, 0, words(2)], [14, 7, words(8, 0)], [14, 7, words(8, 1)], [1, 0, words(0)], [1, 0, words(8)],
                  [1, 0, words(0)], [14, 7, words(9, 0)]], sent
  end

  def test_kind_and_its_predicates_each_ask
    kinds = [0, 1, 2, 3, 9, -1]
    script = <<~RUBY
      show { #{kinds.size}.times.map { item.kind } }
      show { [item.task?, item.task?] }
      show { [item.filer?, item.filer?] }
      show { [item.folder?, item.folder?] }
      show { [item.project?, item.project?, item.project?, item.project?] }
    RUBY
    replies = kinds + [0, 1, 1, 2, 2, 1, 3, 9, 2, -1]
    out, sent = run_on_item(script, replies.map { |k| "words #{k}" })
    # Filer is 1 and folder 2; kinds above 3 are projects, -1 (no item) is none.
    assert_equal ["[0, 1, 2, 3, 3, -1]", "[true, false]", "[true, false]", "[true, false]",
                  "[true, true, false, false]"], out
    assert_equal [[15, 7, ""]] * 16, sent
  end

  def test_level_row_selection_focus_and_project_file
    replies = ["words 0", "words 3", "words 1", "words 1", "words 1", "words 1", "words 0", "words 1",
               "text /home/u/p.json", "empty"]
    out, sent = run_on_item(<<~RUBY, replies)
      show { item.level }
      show { item.listitem_index }
      show { item.selected? }
      show { item.selected = 1 }
      show { item.send(:selected=, true) }
      show { item.send(:selected=, "yes") }
      show { item.set_focus }
      show { item.set_current_folder }
      show { item.project_filename }
      show { item.project_filename }
    RUBY
    assert_equal ["0", "3", "true", "1", "true", "true", "false", "true", '"/home/u/p.json"', '""'], out
    # Only the object true selects: 1 and "yes" clear the mark.
    assert_equal [[16, 7, ""], [17, 7, ""], [72, 7, ""], [73, 7, words(0)], [73, 7, words(1)], [73, 7, words(0)],
                  [51, 7, ""], [52, 7, ""], [74, 7, ""], [74, 7, ""]], sent
  end
end
