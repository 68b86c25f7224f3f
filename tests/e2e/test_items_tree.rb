# A script builds, walks, selects, deletes and copies items of the real host
# through ZtlItem; every answer is checked against what the host saved.
require "items_support"

class TestItemsTree < E2E::Case
  include ItemScripts

  def test_a_project_built_through_the_api_has_the_shape_and_kinds_the_script_gave_it
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      folder = project.add_folder
      folder.title = "folder"
      a = folder.add_task; a.title = "a"
      b = folder.add_filer; b.title = "b"
      first = folder.insert(ITEM_TASK, -5); first.title = "first"
      last = folder.insert(ITEM_TASK, 99); last.title = "last"
      middle = folder.insert(ITEM_FOLDER, 2); middle.title = "middle"
      kids = folder.children
      {
        "project" => [project.title, project.kind, project.project?, project.level, project.parent,
                      project.prev_sibling, project.next_sibling],
        "order" => kids.map(&:title),
        "kinds" => kids.map(&:kind),
        "predicates" => [first.task?, first.filer?, b.filer?, b.task?, middle.folder?, folder.folder?,
                         folder.project?, first.project?],
        "levels" => [folder.level, first.level, middle.add_task.level],
        "parents" => [first.parent.title, folder.parent.title, first.project.title, middle.project.title],
        "first_child" => [folder.first_child.title, a.first_child, project.first_child.title],
        "leaf" => [a.children, last.children],
        "siblings" => [first.prev_sibling, first.next_sibling.title, last.prev_sibling.title,
                       last.next_sibling, middle.prev_sibling.title, middle.next_sibling.title],
        "refused" => [folder.add(7), folder.add(-1), folder.insert(9, 0), project.add(ITEM_PROJECT),
                      folder.insert(ITEM_PROJECT, 0)],
        "after_refused" => folder.children.size,
        "files" => [project.project_filename, a.project_filename]
      }
    RUBY
    assert_equal ["新しいプロジェクト", 3, true, 0, nil, nil, nil], got["project"]
    assert_equal %w[first a middle b last], got["order"]
    assert_equal [0, 0, 2, 1, 0], got["kinds"]
    assert_equal [true, false, true, false, true, true, false, false], got["predicates"]
    assert_equal [1, 2, 3], got["levels"]
    assert_equal ["folder", "新しいプロジェクト", "新しいプロジェクト", "新しいプロジェクト"], got["parents"]
    assert_equal ["first", nil, "folder"], got["first_child"]
    assert_equal [[], []], got["leaf"]
    assert_equal [nil, "a", "b", nil, "a", "b"], got["siblings"]
    assert_equal [nil, nil, nil, nil, nil], got["refused"]
    assert_equal 5, got["after_refused"]
    default = File.realpath(File.join(user_folder, "default.json"))
    assert_equal [default, default], got["files"].map { |f| File.realpath(f) }

    saved = saved_projects.find { |p| p["title"] == "新しいプロジェクト" }
    refute_nil saved, "the new project is saved in the current project's file"
    folder = saved["children"].first
    assert_equal %w[task task folder filer task], folder["children"].map { |c| c["kind"] }
    assert_equal %w[first a middle b last], folder["children"].map { |c| c["title"] }
  end

  # next/prev follow the host's order across loaded projects, with a new
  # project among them, and stop at both ends.
  def test_next_and_prev_walk_every_loaded_item_across_projects_and_stop_at_the_ends
    got = run_items_script(<<~RUBY)
      extra = ZtlItem.new_project
      extra.title = "extra"
      extra.add_folder.add_task.title = "deep"
      extra.add_task.title = "tail"
      forward = []
      item = ztl_projects.first
      while item
        forward << item.title
        last = item
        item = item.next
      end
      backward = []
      item = last
      while item
        backward << item.title
        item = item.prev
      end
      bin = ztl_recycled
      {
        "forward" => forward, "backward" => backward,
        "ends" => [ztl_projects.first.prev, last.next],
        "second_project_prev" => ztl_projects[1].prev.title,
        "special" => [bin.next, bin.prev]
      }
    RUBY
    expected = saved_items.map { |i| i["title"] }
    assert_operator expected.size, :>, 10
    assert_equal expected, got["forward"]
    assert_equal expected.reverse, got["backward"]
    assert_equal [nil, nil], got["ends"]
    last_of_first = []
    each_saved_item([saved_projects.first]) { |i| last_of_first << i["title"] }
    assert_equal last_of_first.last, got["second_project_prev"]
    assert_equal "tail", got["forward"].last
    assert_equal [nil, nil], got["special"], "an empty recycle bin is walked on its own"
  end

  def test_the_selection_is_walked_in_selection_order_from_any_item
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      a, b, c, outside = 4.times.map { |i| project.add_task.tap { |t| t.title = "t\#{i}" } }
      marks = [c.send(:selected=, true), a.send(:selected=, true), b.send(:selected=, true)]
      forward = []
      item = outside.next_selected
      while item
        forward << item.title
        item = item.next_selected
      end
      backward = []
      item = outside.prev_selected
      while item
        backward << item.title
        item = item.prev_selected
      end
      state = [a.selected?, outside.selected?, ztl_selected_items.map(&:title), ZtlItem.new(SELECTED_TOP).title]
      a.selected = 1
      b.selected = "yes"
      after = [a.selected?, b.selected?, ztl_selected_items.map(&:title), outside.next_selected.title,
               outside.prev_selected.title, c.next_selected, c.prev_selected]
      c.selected = false
      { "marks" => marks, "forward" => forward, "backward" => backward, "state" => state, "after" => after,
        "none" => [outside.next_selected, outside.prev_selected, ZtlItem.new(SELECTED_TOP), ztl_selected_items] }
    RUBY
    assert_equal [true, true, true], got["marks"]
    assert_equal %w[t2 t0 t1], got["forward"]
    assert_equal %w[t1 t0 t2], got["backward"]
    assert_equal [true, false, %w[t2 t0 t1], "t2"], got["state"]
    assert_equal [false, false, %w[t2], "t2", "t2", nil, nil], got["after"]
    assert_equal [nil, nil, nil, []], got["none"]
  end

  def test_focus_current_folder_and_list_rows
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      folder = project.add_folder
      tasks = 3.times.map { |i| folder.add_task.tap { |t| t.title = "row\#{i}" } }
      made_folder = folder.set_current_folder
      rows = tasks.map(&:listitem_index)
      hidden = project.listitem_index
      refused = tasks.first.set_current_folder
      focused = tasks[2].set_focus
      { "made_folder" => made_folder, "rows" => rows, "hidden" => hidden, "refused" => refused,
        "focused" => focused, "current" => [ztl_current_item.title, ZtlItem.new(CURRENT_ITEM).title,
                                            ztl_current_folder.level, ztl_focus_pain],
        "displayed" => ztl_displayed_items.map(&:title) }
    RUBY
    assert_equal true, got["made_folder"]
    assert_equal [0, 1, 2], got["rows"]
    assert_equal(-1, got["hidden"])
    assert_equal false, got["refused"], "a task cannot be the current folder"
    assert_equal true, got["focused"]
    # The task list has the focus after set_focus (AC_TASKLISTVIEW, 2).
    assert_equal ["row2", "row2", 1, 2], got["current"]
    assert_equal %w[row0 row1 row2], got["displayed"]
  end

  # A deleted item goes to the end of the recycle bin with its subtree; the
  # wrapper it was deleted through answers what no item answers, another
  # wrapper of it still reaches it in the bin until it is deleted for good.
  def test_delete_moves_to_the_recycle_bin_and_the_wrapper_answers_as_no_item
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      project.title = "holder"
      folder = project.add_folder
      folder.title = "doomed"
      folder.add_task.title = "doomed child"
      keep = project.add_task
      keep.title = "kept"
      other = project.first_child
      deleted = folder.delete
      bin = ztl_recycled
      in_bin = [bin.children.map(&:title), other.project.title == bin.title, other.level,
                other.first_child.title, other.project_filename, other.parent.title == bin.title]
      dead = [folder.kind, folder.project?, folder.task?, folder.level, folder.listitem_index,
              folder.parent, folder.first_child, folder.children, folder.next_sibling, folder.prev_sibling,
              folder.project, folder.next, folder.prev, folder.next_selected, folder.prev_selected,
              folder.title, folder.progress, folder.priority, folder.message_id,
              folder.start_time, folder.planned_start_time, folder.end_time, folder.due_time,
              folder.last_modify_time, folder.create_time, folder.user_categories,
              folder.alarm?, folder.alarm_due_time?, folder.alarm_count, folder.alarm_count_unit,
              folder.selected?, folder.project_filename, folder.add_task, folder.insert(ITEM_TASK, 0)]
      refused = [folder.send(:title=, "x"), folder.send(:user_categories=, {}), folder.set_alarm(true, 1, AU_MIN),
                 folder.clear_alarm, folder.send(:selected=, true), folder.set_focus, folder.set_current_folder,
                 folder.delete, folder.assign(keep), keep.assign(folder), folder.assign_with_children(keep),
                 # Writers whose reply carries nothing say false rather than claim a change.
                 folder.send(:start_time=, Time.at(5)), folder.send(:due_time=, nil), folder.send(:progress=, 3),
                 folder.send(:priority=, 1)]
      # Deleted again from the bin: gone for good, the other wrapper now stale.
      final = other.delete
      stale = [other.kind, other.level, other.title, other.children, other.parent, other.progress,
               other.send(:title=, "back")]
      { "deleted" => deleted, "in_bin" => in_bin, "dead" => dead, "refused" => refused, "final" => final,
        "stale" => stale, "bin_after" => bin.children.map(&:title),
        "left" => project.children.map(&:title), "project_delete" => [project.delete, ztl_projects.size,
                                                                      ztl_recycled.children.map(&:kind)] }
    RUBY
    assert_equal true, got["deleted"]
    in_bin = got["in_bin"]
    assert_equal [["doomed"], true, 1, "doomed child", true], in_bin.values_at(0, 1, 2, 3, 5)
    assert_equal File.join(File.realpath(user_folder), "special-projects.json"), File.realpath(in_bin[4])
    assert_equal [-1, false, false, -1, -1, nil, nil, nil, nil, nil, nil, nil, nil, nil, nil,
                  "", -1, -1, " ", nil, nil, nil, nil, nil, nil, nil, nil, nil, nil, nil,
                  false, "", nil, nil], got["dead"]
    assert_equal [false] * 15, got["refused"]
    assert_equal true, got["final"]
    assert_equal [-1, -1, "", nil, nil, -1, false], got["stale"]
    assert_equal [], got["bin_after"]
    assert_equal ["kept"], got["left"]
    assert_equal [true, sample_projects.size, [2]], got["project_delete"],
                 "a deleted project waits in the bin as a folder"
    titles = saved_items.map { |i| i["title"] }
    refute_includes titles, "holder"
    refute_includes titles, "doomed"
  end

  def test_assign_copies_content_and_assign_with_children_copies_the_subtree
    got = run_items_script(<<~RUBY)
      project = ZtlItem.new_project
      source = project.add_folder
      source.title = "source"
      source.progress = 70
      source.priority = 3
      source.due_time = Time.at(86_400 * 400)
      source.set_alarm(true, 5, AU_HOUR)
      source.add_task.title = "copied child"
      target = project.add_folder
      target.title = "target"
      target.add_task.title = "replaced child"
      task = project.add_task
      created = task.create_time
      sleep 1.1
      plain = task.assign(source)
      plain_facts = [task.kind, task.title, task.progress, task.priority, task.due_time, task.alarm?,
                     task.alarm_count, task.alarm_count_unit, task.create_time == created,
                     task.last_modify_time > created, task.children, task.parent.title]
      with = target.assign_with_children(source)
      copy = target.first_child
      with_facts = [target.title, target.children.map(&:title), copy.create_time > created,
                    source.children.map(&:title), copy.parent.title]
      # Copying a child with children into its ancestor would wipe the source
      # with the ancestor's old children; into itself likewise.
      refused = [source.assign_with_children(source.first_child), source.assign_with_children(source),
                 ztl_recycled.assign(source), ztl_scrap_project.assign_with_children(source)]
      kept = source.children.map(&:title)
      errors = [nil, 5, "x", ztl_projects].map do |bad|
        target.assign(bad)
        :none
      rescue TypeError
        :type_error
      end
      { "plain" => plain, "plain_facts" => plain_facts, "with" => with, "with_facts" => with_facts,
        "refused" => refused, "kept" => kept, "errors" => errors, "scrap" => ztl_scrap_project.title }
    RUBY
    assert_equal true, got["plain"]
    assert_equal [0, "source", 70, 3, Time.at(86_400 * 400), true, 5, 1, true, true, [], "新しいプロジェクト"],
                 got["plain_facts"], "the target keeps its kind, place and create time"
    assert_equal true, got["with"]
    assert_equal ["source", ["copied child"], true, ["copied child"], "source"], got["with_facts"]
    assert_equal [false, false, false, false], got["refused"]
    assert_equal ["copied child"], got["kept"]
    assert_equal %i[type_error type_error type_error type_error], got["errors"]
    refute_equal "source", got["scrap"]
  end
end
