# The module functions of Ztl against the host's sample projects, each answer
# checked against what the host itself holds.
require "e2e_support"

class TestModuleFunctions < E2E::Case
  # Runs code in a script whose last expression is a Hash; returns it.
  def facts(code)
    write_script("facts.rb", "require 'ztl'\nrequire 'json'\ninclude Ztl\nfacts = begin\n#{code}\nend\n" \
                             "print JSON.generate(facts)\n")
    out = scratch("facts.json")
    host_ok("run", "facts.rb", "--output", out)
    JSON.parse(File.read(out))
  end

  def test_special_items_and_lists_of_the_sample
    first_project = sample_projects.first
    got = facts(<<~RUBY)
      {
        "current_item" => ztl_current_item.nil?,
        "current_document" => ztl_current_document.nil?,
        "current_folder" => ztl_current_folder.class.name,
        "current_project" => ztl_current_project.class.name,
        "specials" => [ztl_recycled, ztl_find_project, ztl_templete_project, ztl_scrap_project].map { |i| i.class.name },
        "selected" => ztl_selected_items,
        "displayed" => ztl_displayed_items.size,
        "projects" => ztl_projects.map { |p| p.class.name }
      }
    RUBY
    assert_equal({ "current_item" => true, "current_document" => true,
                   "current_folder" => "Ztl::ZtlItem", "current_project" => "Ztl::ZtlItem",
                   "specials" => ["Ztl::ZtlItem"] * 4, "selected" => [],
                   "displayed" => first_project.fetch("children").size,
                   "projects" => ["Ztl::ZtlItem"] * sample_projects.size }, got)
  end

  # Host commands change what the special-item requests answer.
  def test_host_commands_run_by_a_script_take_effect
    got = facts(<<~RUBY)
      before = ztl_displayed_items.size
      made = ztl_exec_command("NewTask", "made by a script")
      current = ztl_current_item
      selected_all = ztl_exec_command("SelectAll")
      { "made" => made, "current" => current.class.name, "selected_all" => selected_all,
        "displayed" => [before, ztl_displayed_items.size],
        "selected" => ztl_selected_items.size, "unknown" => ztl_exec_command("NoSuchCommand", nil, "x") }
    RUBY
    displayed_before = sample_projects.first.fetch("children").size
    assert_equal({ "made" => true, "current" => "Ztl::ZtlItem", "selected_all" => true,
                   "displayed" => [displayed_before, displayed_before + 1],
                   "selected" => displayed_before + 1, "unknown" => true }, got)
    titles = []
    each_saved_item { |item| titles << item["title"] }
    assert_includes titles, "made by a script", "the host saves what the script made"
  end

  def test_panes_shift_update_bracket_and_folders
    got = facts(<<~RUBY)
      {
        "shift" => [ztl_exec_shift(1), ztl_exec_shift(true), ztl_exec_shift(false)],
        "focus" => [ztl_set_focus_pain(Ztl::AC_EDIT), ztl_focus_pain,
                    ztl_set_focus_pain(Ztl::AC_TREEVIEW), ztl_focus_pain],
        "update" => [ztl_begin_update, ztl_begin_update, ztl_end_update, ztl_end_update, ztl_end_update],
        "path" => ztl_path,
        "user_folder" => ztl_user_folder
      }
    RUBY
    assert_equal({ "shift" => [true, true, true], "focus" => [true, 3, true, 1],
                   "update" => [true] * 5, "path" => "#{E2E::STAGE}/", "user_folder" => user_folder }, got)
  end

  # Under code page 932 a script's texts are the host's bytes, passed on
  # unchanged: 表 ends in 0x5C, the full-width space is 0x81 0x40.
  def test_texts_travel_as_code_page_bytes
    write_script("sjis.rb", <<~'RUBY')
      require "ztl"
      print Ztl.ztl_exec_command("NewTask", "\x83e\x83X\x83g\x81@\x95\\".b)
    RUBY
    host_ok("run", "sjis.rb", "--clipboard", host_options: ["--codepage", "932"])
    assert_equal "true", clipboard
    titles = []
    each_saved_item { |item| titles << item["title"] }
    assert_includes titles, "テスト　表"
  end
end
