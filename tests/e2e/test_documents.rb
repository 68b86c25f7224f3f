# Documents through the whole chain: an item's list and positions, the text's
# line breaks both ways, code page 932, the current document, stale handles,
# a document linked to a file, and documents surviving a save and a reload.
require "items_support"

class TestDocuments < E2E::Case
  include ItemScripts

  def test_lists_positions_and_deleting_by_position_keep_the_last_document
    got = run_items_script(<<~RUBY)
      item = ztl_projects.first.add_task
      first = item.add_document
      lone = item.delete_document(0)
      second = item.add_document
      front = item.insert_document(0)
      front.title = "前"
      docs = item.documents
      indexes = docs.map(&:index)
      third_gone = item.delete_document(2)
      { "classes" => docs.map { |d| d.class.name }.uniq, "indexes" => indexes,
        "parents" => docs.map { |d| d.parent.title == item.title && d.parent.class.name },
        "lone" => lone, "third_gone" => third_gone, "second_index" => second.index,
        "titles" => item.documents.map(&:title), "outside" => [item.delete_document(5), item.delete_document(-1)],
        "bare" => ztl_projects.first.add_task.documents, "type" => (item.insert_document("1") rescue $!.class.name) }
    RUBY
    assert_equal ["Ztl::ZtlItemDocument"], got["classes"]
    assert_equal [0, 1, 2], got["indexes"]
    assert_equal ["Ztl::ZtlItem"] * 3, got["parents"]
    assert_equal false, got["lone"], "the only document is not deleted by position"
    assert_equal true, got["third_gone"]
    assert_equal(-1, got["second_index"], "the deleted document is no longer in the list")
    assert_equal ["前", ""], got["titles"]
    assert_equal [false, false], got["outside"]
    assert_equal [], got["bare"]
    assert_equal "TypeError", got["type"]
  end

  def test_text_line_breaks_both_ways_and_fields
    got = run_items_script(<<~RUBY)
      doc = ztl_projects.first.add_task.add_document
      written = doc.send(:text=, "a\\nb\\rc\\r\\nd\\n")
      back = doc.text
      doc.title = "t" * 300
      doc.texttype = "markdown"
      linkless = doc.textlink?
      { "written" => written, "back" => back, "title" => doc.title.bytesize, "type" => doc.texttype,
        "linkless" => linkless, "assign_nil" => (doc.assign(nil) rescue $!.class.name),
        "assign_item" => (doc.assign(ztl_projects.first) rescue $!.class.name),
        "type_error" => (doc.send(:title=, 5) rescue $!.class.name) }
    RUBY
    assert_equal true, got["written"]
    assert_equal "a\nb\nc\nd\n", got["back"], "every line break reaches the script as LF"
    assert_equal 255, got["title"]
    assert_equal "markdown", got["type"]
    assert_equal false, got["linkless"]
    assert_equal %w[TypeError TypeError TypeError], got.values_at("assign_nil", "assign_item", "type_error")
  end

  def test_host_text_with_cr_lf_and_lone_cr_reaches_the_script_without_cr
    project = scratch("crlf.json")
    File.write(project, JSON.generate(
      "format" => "zentrella-projects", "version" => 1,
      "projects" => [{ "kind" => "project", "title" => "P", "children" => [{
        "kind" => "task", "title" => "T",
        "documents" => [{ "title" => "d", "file_name" => "", "text_type" => "", "text" => "x\r\ny\rz" }] }] }]))
    got = run_items_script(<<~RUBY, host_options: ["--project", project])
      ztl_projects.first.first_child.documents.first.text
    RUBY
    assert_equal "x\nyz", got
  end

  # A text of many chunks goes out while it is being stripped: lines of every
  # length put CRs on both sides of each chunk's end.
  def test_a_long_host_text_loses_its_crs_across_every_chunk
    lines = (0...1500).map { |i| ("%04d" % i) + "y" * (i % 37) + (i % 11 == 0 ? "\r" : "\r\n") }
    text = lines.join
    project = scratch("long.json")
    File.write(project, JSON.generate(
      "format" => "zentrella-projects", "version" => 1,
      "projects" => [{ "kind" => "project", "title" => "P", "children" => [{
        "kind" => "task", "title" => "T",
        "documents" => [{ "title" => "d", "file_name" => "", "text_type" => "", "text" => text }] }] }]))
    got = run_items_script(<<~RUBY, host_options: ["--project", project])
      ztl_projects.first.first_child.documents.first.text
    RUBY
    assert_operator text.bytesize, :>, 3 * 8172
    assert_equal text.delete("\r"), got
  end

  def test_double_byte_text_under_code_page_932
    got = run_items_script(<<~RUBY, host_options: ["--codepage", "932"])
      doc = ztl_projects.first.add_task.add_document
      doc.text = "表\\nソ\\r\\n能"
      doc.title = "a" + "表" * 200
      text = doc.text
      { "text" => [text.encoding.name, text.encode("UTF-8")], "title" => [doc.title.bytesize, doc.title.valid_encoding?] }
    RUBY
    assert_equal ["Windows-31J", "表\nソ\n能"], got["text"]
    assert_equal [255, true], got["title"], "1 + 2 * 127 bytes: the 128th character would pass 255"
  end

  def test_current_document_focus_assign_and_stale_handles
    got = run_items_script(<<~RUBY)
      item = ztl_projects.first.add_task
      doc = item.add_document
      other = item.add_document
      other.text = "source"
      focused = doc.set_focus
      current = ztl_current_document
      copied = doc.assign(other)
      copy_text = doc.text
      gone = other.delete
      { "focused" => focused, "current" => [current.class.name, current.index, current.text],
        "copied" => copied, "copy_text" => copy_text, "gone" => gone,
        "stale" => [other.title, other.text, other.textlink?, other.send(:text=, "x"), other.delete, other.index] }
    RUBY
    assert_equal true, got["focused"]
    assert_equal ["Ztl::ZtlItemDocument", 0, "source"], got["current"], "the focused document, after the copy into it"
    assert_equal [true, "source", true], got.values_at("copied", "copy_text", "gone")
    assert_equal ["", "", false, false, false, -1], got["stale"]
  end

  def test_a_document_linked_to_a_file_reads_and_writes_it
    file = scratch("note.txt")
    folder = scratch("a-folder")
    Dir.mkdir(folder)
    got = run_items_script(<<~RUBY)
      doc = ztl_projects.first.add_task.add_document
      doc.filename = #{file.inspect}
      doc.text = "one\\ntwo"
      linked = doc.textlink?
      doc.filename = #{folder.inspect}
      unreadable = begin
        doc.text
      rescue Ztl::Error => e
        e.message
      end
      { "linked" => linked, "unreadable" => unreadable, "refused" => doc.send(:text=, "lost?") }
    RUBY
    assert_equal true, got["linked"]
    assert_equal "one\r\ntwo", File.binread(file)
    assert_equal "Can't read the document's text", got["unreadable"], "an unreadable file is no empty text"
    assert_equal false, got["refused"]
  end

  def test_documents_survive_a_save_and_a_reload
    project = categories_project(scratch("docs.json"))
    run_items_script(<<~RUBY, host_options: ["--project", project])
      task = ztl_projects.first.first_child
      doc = task.add_document
      doc.title = "議事録"
      doc.texttype = "plain"
      doc.text = "一行目\\n二行目"
      task.add_document.title = "二つ目"
      true
    RUBY
    got = run_items_script(<<~RUBY, host_options: ["--project", project])
      ztl_projects.first.first_child.documents.map { |d| [d.title, d.texttype, d.text] }
    RUBY
    assert_equal [["議事録", "plain", "一行目\n二行目"], ["二つ目", "", ""]], got
    assert_equal "一行目\r\n二行目", saved_item("既存", project)["documents"].first["text"], "CR LF in the host"
  end
end
