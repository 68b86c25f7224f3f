// One running host: the projects and special projects, what is current, the
// selection, the task list, the active pane and the settings of this run.
// The exported API works on the process's one session.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/editor.h"
#include "model/store.h"

namespace zentrella {

enum class SpecialProject { recycle_bin, find, templates, scrap };

class Session {
 public:
  Session();

  Store& store() { return store_; }
  const Store& store() const { return store_; }

  // Projects. User projects are listed in load order; the special projects
  // always exist and are not among them.
  Handle add_project(const ItemTree& tree, const std::string& file_name);
  const std::vector<Handle>& loaded_projects() const { return projects_; }
  Handle special(SpecialProject which) const;
  bool is_special(Handle project) const;
  Handle project_of(Handle item) const;
  // The file a new project is saved to.
  std::string default_project_file() const;
  void set_default_project_file(std::string file) { default_project_file_ = std::move(file); }

  // Tree edits; each marks the project modified and refreshes last modify.
  Handle add_item(Handle parent, ItemKind kind);
  // position: index among the children, clamped to 0..count.
  Handle insert_item(Handle parent, ItemKind kind, std::int32_t position);
  // To the recycle bin (unless it is there already) or for good; a user
  // project that goes to the bin becomes a folder there.
  bool delete_item(Handle item, bool to_recycle_bin);
  bool assign_item(Handle target, Handle source, bool with_children);
  // Moves an item with its subtree to the end of new_parent's children.
  // Projects and the special projects stay where they are, and nothing moves
  // below itself; both projects' files are marked.
  bool move_item(Handle item, Handle new_parent);
  // Deletes everything in the recycle bin for good; false when it was empty.
  bool empty_recycle_bin();
  void touch(Handle item);
  void touch_project(Handle item);

  // Every item of a project has a value for each category of the project, in
  // the project's order (that of the project item's own list). Items that
  // arrive with categories the project lacks add them to the project.
  void conform_categories(Handle arrived);

  // Depth first; after the last item of a loaded project comes the next
  // loaded project. A special project is walked on its own.
  Handle next_item(Handle item) const;
  Handle prev_item(Handle item) const;
  Handle item_from_message_id(const std::string& message_id) const;

  // Current project, folder, item and document.
  Handle current_project() const { return project_of(current_folder_); }
  Handle current_folder() const { return current_folder_; }
  Handle current_item() const { return current_item_; }
  Handle current_document() const { return current_document_; }
  bool set_current_folder(Handle item);
  bool set_current_item(Handle item);
  bool set_current_document(Handle document);

  // The selection, in the order items were selected.
  const std::vector<Handle>& selection() const { return selection_; }
  bool is_selected(Handle item) const;
  void set_selected(Handle item, bool selected);
  void select_only(const std::vector<Handle>& items);

  // The task list shows the children of the current folder.
  std::vector<Handle> list_view_items() const;
  std::int32_t list_item_index(Handle item) const;
  // The same for an item at hand: only a child of the current folder is listed.
  std::int32_t list_item_index(const Item& item) const;

  Editor& editor() { return editor_; }

  std::int32_t active_control = ZTL_AC_TREEVIEW;
  std::string user_folder;  // with a trailing "/"
  bool station = true;
  double calendar_date = 0.0;
  std::string default_filters;
  std::string status_text;
  std::int32_t update_depth = 0;
  std::int32_t remake_count = 0;
  // Counts the changes of the model and of what is current or selected, so a
  // view can tell cheaply whether it has anything to redraw.
  std::uint64_t revision = 0;

  // Files to write: those of the projects changed since the last save (also
  // of a project that left its file by being deleted).
  const std::set<std::string>& dirty_files() const { return dirty_files_; }
  void clear_dirty() {
    dirty_files_.clear();
    last_dirty_project_ = 0;
  }
  // A file to write although none of its projects changed (the command line
  // chose what is current, which the file keeps).
  void mark_file_dirty(const std::string& file) { dirty_files_.insert(file); }
  // The file a project is saved in; the special projects share one.
  std::string file_of(Handle project) const;
  std::string special_file;

  // Drops deleted items from the selection and repairs what is current.
  void forget_removed();

 private:
  Handle make_special(const char* title);
  void repair_current();
  // What was current or selected among removed items (gone: the subtree that
  // was deleted, moved to the bin or replaced) leaves them: the folder for
  // the nearest list-holding item from fallback up, the item and document
  // for none.
  void leave_removed(const std::vector<Handle>& gone, Handle fallback);
  Handle next_in_project(Handle item) const;
  Handle last_descendant(Handle item) const;
  Handle neighbour_project(Handle project, int step) const;
  std::vector<std::string> category_names(Handle item) const;
  void take_project_categories(Item& made);
  void conform_item_categories(Handle item, const std::vector<std::string>& names);

  Store store_;
  std::vector<Handle> projects_;
  Handle specials_[4] = {0, 0, 0, 0};
  std::string default_project_file_;
  Handle current_folder_ = 0;
  Handle current_item_ = 0;
  Handle current_document_ = 0;
  std::vector<Handle> selection_;
  std::set<std::string> dirty_files_;
  Handle last_dirty_project_ = 0;  // its file is in dirty_files_ (see touch_project)
  Editor editor_;
  // Where each child of the current folder stands in its list, so that an
  // item's info need not search a long list. Every answer is checked against
  // the list itself; an entry found stale (the list changed) remakes it.
  mutable std::unordered_map<Handle, std::int32_t> list_index_;
  mutable Handle list_index_folder_ = 0;
};

// The process's one session (made on first use).
Session& session();
// Starts over with a fresh session; old handles are not reused by the new one.
void reset_session();

// The local date and time now, on the host's scale.
double now_date_time();

}  // namespace zentrella
