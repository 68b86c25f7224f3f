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
end
