# The host's editor from a script: Ztl::Edit over a document made current,
# line breaks turned at the boundary, double-byte characters under code page
# 932, and edits saved with the project and found again by the next run.
require "items_support"

class TestEditor < E2E::Case
  include ItemScripts

  SJIS = "Windows-31J".freeze

  # A project whose one task holds one document of the given text (UTF-8 in
  # the file, as the host writes it).
  def document_project(name, text)
    project = {
      "format" => "zentrella-projects", "version" => 1,
      "projects" => [{ "kind" => "project", "title" => "文書", "children" => [{
        "kind" => "task", "title" => "メモ",
        "documents" => [{ "title" => "本文", "file_name" => "", "text_type" => "", "text" => text }]
      }] }]
    }
    path = scratch(name)
    File.write(path, JSON.generate(project))
    path
  end

  # Runs code with the task's document in the editor.
  def run_in_editor(code, project, host_options: [])
    run_items_script("ztl_projects.first.first_child.set_focus\n#{code}",
                     host_options: host_options + ["--project", project])
  end

  def saved_text(project) = JSON.parse(File.read(project))["projects"].first["children"].first["documents"].first["text"]

  def test_the_caret_moves_in_one_coordinate_and_lines_go_by_their_index
    project = document_project("caret.json", "first line\nsecond line\nthird")
    got = run_in_editor(<<~RUBY, project)
      Edit.col = 4
      Edit.row = 2
      after_row = [Edit.row, Edit.col]
      Edit.col = 1
      after_col = [Edit.row, Edit.col]
      moved = Edit.send(:row=, 0)
      Edit[1] = "a\\nb"
      lines = (0...Edit.lines_size).map { |i| Edit[i] }
      Edit[0] = "cut\\0here"
      { "after_row" => after_row, "after_col" => after_col, "moved" => [moved, Edit.row, Edit.col],
        "lines" => lines, "first" => Edit[0], "beyond" => Edit.send(:[]=, 9, "x"),
        "appended" => Edit.send(:[]=, 4, "end"), "sizes" => [Edit.lines_size, Edit.row_size, Edit.col_size],
        "row2lines" => [Edit.row2lines(4), Edit.row2lines(5)], "col2char" => Edit.col2char(0, 2) }
    RUBY
    assert_equal [2, 4], got["after_row"], "row= keeps the column"
    assert_equal [2, 1], got["after_col"], "col= keeps the row"
    assert_equal [true, 0, 1], got["moved"]
    assert_equal ["first line", "a", "b", "third"], got["lines"], "[]= replaced line 1, not line 0"
    assert_equal "cut", got["first"], "a text is sent up to its NUL"
    assert_equal [false, true], [got["beyond"], got["appended"]]
    assert_equal [5, 5, 80], got["sizes"]
    assert_equal [4, -1], got["row2lines"]
    assert_equal 2, got["col2char"]
    assert_equal "cut\r\na\r\nb\r\nthird\r\nend", saved_text(project)
  end

  def test_line_breaks_are_lf_for_the_script_and_crlf_for_the_host
    project = document_project("breaks.json", "x\r\ny\rz")
    got = run_in_editor(<<~RUBY, project)
      empty = Edit.sel_text
      starts = [Edit.send(:sel_start=, 0), Edit.send(:sel_length=, 6), Edit.send(:sel_start=, 99)]
      Edit.sel_start = 0
      Edit.sel_length = 6
      whole = Edit.sel_text
      set = Edit.send(:sel_text=, "p\\rq\\n")
      { "empty" => empty, "starts" => starts, "whole" => whole, "set" => set, "caret" => Edit.sel_start,
        "lines" => [Edit[0], Edit[1], Edit[2]] }
    RUBY
    assert_equal "", got["empty"]
    assert_equal [true, true, false], got["starts"]
    assert_equal "x\nyz", got["whole"], "CR LF comes as LF, a lone CR is dropped"
    assert_equal true, got["set"]
    assert_equal 6, got["caret"], "the caret ends after the text put in"
    assert_equal ["p", "q", ""], got["lines"]
    assert_equal "p\r\nq\r\n", saved_text(project)
  end

  def test_double_byte_characters_under_code_page_932_stay_whole
    project = document_project("cp932.json", "表示\nかな")
    got = run_in_editor(<<~RUBY, project, host_options: ["--codepage", "932"])
      line = Edit[0]
      Edit.sel_start = 1
      inside = Edit.sel_start
      Edit.sel_length = 1
      length = Edit.sel_length
      selected = Edit.sel_text
      Edit[1] = "漢字\\n\\\\"
      { "line" => [line.encoding.name, line.bytes], "inside" => inside, "length" => length,
        "selected" => selected.encode("UTF-8"), "lines" => (0...Edit.lines_size).map { |i| Edit[i].encode("UTF-8") },
        "col2char" => Edit.col2char(0, 3) }
    RUBY
    assert_equal [SJIS, "表示".encode(SJIS).bytes], got["line"]
    assert_equal 0, got["inside"], "a selection start inside 表 moves to its first byte"
    assert_equal 2, got["length"], "a selection end inside 表 takes the whole character"
    assert_equal "表", got["selected"]
    assert_equal ["表示", "漢字", "\\"], got["lines"]
    assert_equal 1, got["col2char"]
    assert_equal "表示\r\n漢字\r\n\\", saved_text(project)
  end

  def test_an_edit_is_saved_and_found_again_by_the_next_run
    project = document_project("reload.json", "one\ntwo")
    run_in_editor(<<~RUBY, project)
      Edit[1] = "二行目"
      Edit.sel_start = 0
      Edit.sel_length = 3
      Edit.sel_text = "1\\n1.5"
      true
    RUBY
    got = run_in_editor("(0...Edit.lines_size).map { |i| Edit[i] }", project)
    assert_equal ["1", "1.5", "二行目"], got
  end

  def test_a_failed_line_write_leaves_the_document_as_it_was
    project = document_project("refused.json", "ab\ncd")
    got = run_in_editor(<<~RUBY, project, host_options: ["--codepage", "932"])
      # A lone lead byte would swallow the break after it.
      refused = Edit.send(:[]=, 0, "x\\x82".b)
      { "refused" => refused, "lines" => [Edit[0], Edit[1]] }
    RUBY
    assert_equal false, got["refused"]
    assert_equal %w[ab cd], got["lines"]
    assert_equal "ab\ncd", saved_text(project), "nothing changed, so the file was not written"
  end
end
