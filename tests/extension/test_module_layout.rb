# The module as a script sees it: classes, constants, module functions.
require "fake_host"

class TestModuleLayout < Minitest::Test
  include FakeHostSupport

  def test_constants_have_the_host_values
    out = run_ok(<<~RUBY, fake_host)
      p Ztl.constants.select { |c| Ztl.const_get(c).is_a?(Integer) }.sort.map { |c| [c, Ztl.const_get(c)] }
    RUBY
    expected = [[:CURRENT_ITEM, 0], [:CURRENT_PROJECT, 1], [:CURRENT_FOLDER, 2], [:RECYCLED, 3],
                [:FIND_PROJECT, 4], [:TEMPLATE_PROJECT, 5], [:SCRAP_PROJECT, 6], [:SELECTED_TOP, 7],
                [:ITEM_TASK, 0], [:ITEM_FOLDER, 2], [:ITEM_FILER, 1], [:ITEM_PROJECT, 3],
                [:AC_NONE, 0], [:AC_TREEVIEW, 1], [:AC_TASKLISTVIEW, 2], [:AC_EDIT, 3],
                [:AC_FOLDERLAUNCHER, 4], [:AC_TASKLAUNCHER, 5], [:AC_FILER, 6],
                [:AU_MIN, 0], [:AU_HOUR, 1], [:AU_DAY, 2]]
    # Kinds are not in the order of their names: ITEM_FILER is 1, ITEM_FOLDER 2.
    assert_equal expected.sort.inspect + "\n", out
  end

  def test_classes_and_their_superclasses
    out = run_ok(<<~RUBY, fake_host)
      p %w[Error ZtlItem ZtlItemDocument ZtlFileLink ZtlProjectOption Edit].map { |n| Ztl.const_get(n).superclass }
      show { Ztl::ZtlItemDocument.new }
      show { Ztl::ZtlItem.allocate }
    RUBY
    lines = out.lines
    assert_equal "[StandardError, Object, Object, Object, Object, Object]\n", lines[0]
    # Wrappers only come from the extension's methods, never bare.
    assert_match(/^ERR TypeError: allocator undefined/, lines[1])
    assert_match(/^ERR TypeError: allocator undefined/, lines[2])
  end

  def test_module_functions_are_singleton_and_private_instance_methods
    names = %i[ztl_begin_update ztl_end_update ztl_current_item ztl_current_folder ztl_current_document
               ztl_current_project ztl_recycled ztl_find_project ztl_scrap_project ztl_templete_project
               ztl_selected_items ztl_displayed_items ztl_exec_command ztl_focus_pain ztl_set_focus_pain
               ztl_exec_shift ztl_projects ztl_path ztl_user_folder ztl_version ruby_ztl_version]
    out = run_ok(<<~RUBY, fake_host)
      names = #{names.inspect}
      p names.reject { |n| Ztl.respond_to?(n) && Ztl.private_instance_methods.include?(n) }
      p names.map { |n| Ztl.method(n).arity }
    RUBY
    missing, arities = out.lines
    assert_equal "[]\n", missing
    assert_equal "[0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0, 1, 1, 0, 0, 0, 0, 0]\n", arities
  end

  def test_item_methods_and_their_arities
    expected = { "parent" => 0, "first_child" => 0, "children" => 0, "next_sibling" => 0, "prev_sibling" => 0,
                 "project" => 0, "next_selected" => 0, "prev_selected" => 0, "next" => 0, "prev" => 0, "add" => 1,
                 "add_task" => 0, "add_folder" => 0, "add_filer" => 0, "insert" => 2, "delete" => 0, "assign" => 1,
                 "assign_with_children" => 1, "kind" => 0, "task?" => 0, "folder?" => 0, "filer?" => 0,
                 "project?" => 0, "level" => 0, "listitem_index" => 0, "title" => 0, "title=" => 1, "progress" => 0,
                 "progress=" => 1, "priority" => 0, "priority=" => 1, "message_id" => 0, "start_time" => 0,
                 "start_time=" => 1, "planned_start_time" => 0, "planned_start_time=" => 1, "end_time" => 0,
                 "end_time=" => 1, "due_time" => 0, "due_time=" => 1, "last_modify_time" => 0, "create_time" => 0,
                 "user_categories" => 0, "user_categories=" => 1, "alarm?" => 0, "alarm_due_time?" => 0,
                 "alarm_count" => 0, "alarm_count_unit" => 0, "set_alarm" => 3, "clear_alarm" => 0,
                 "selected?" => 0, "selected=" => 1, "set_focus" => 0, "set_current_folder" => 0,
                 "project_filename" => 0 }
    out = run_ok(<<~RUBY, fake_host)
      c = Ztl::ZtlItem
      p c.public_instance_methods(false).sort.map { |m| [m.to_s, c.instance_method(m).arity] }.to_h
      p [c.method(:new).arity, c.method(:new_project).arity, c.singleton_methods.sort]
    RUBY
    methods, singletons = out.lines
    assert_equal expected.sort.to_h.inspect + "\n", methods
    assert_equal "[1, 0, [:new, :new_project]]\n", singletons
  end
end
