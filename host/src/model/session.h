// One running host: the projects and special projects, what is current, the
// selection, the task list, the active pane and the settings of this run.
// The exported API works on the process's one session.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
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
  Handle insert_item(Handle parent, ItemKind kind, std::int32_t position);
  bool delete_item(Handle item, bool to_recycle_bin);
  bool assign_item(Handle target, Handle source, bool with_children);
  void touch(Handle item);
  void touch_project(Handle item);

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

  Editor& editor() { return editor_; }

  std::int32_t active_control = ZTL_AC_TREEVIEW;
  std::string user_folder;  // with a trailing "/"
  bool station = true;
  double calendar_date = 0.0;
  std::string default_filters;
  std::string status_text;
  std::int32_t update_depth = 0;
  std::int32_t remake_count = 0;

  // Files to write: those of the projects changed since the last save (also
  // of a project that left its file by being deleted).
  const std::set<std::string>& dirty_files() const { return dirty_files_; }
  void clear_dirty() { dirty_files_.clear(); }
  // The file a project is saved in; the special projects share one.
  std::string file_of(Handle project) const;
  std::string special_file;

  // Drops deleted items from the selection and repairs what is current.
  void forget_removed();

 private:
  Handle make_special(const char* title);
  void repair_current();

  Store store_;
  std::vector<Handle> projects_;
  Handle specials_[4] = {0, 0, 0, 0};
  std::string default_project_file_;
  Handle current_folder_ = 0;
  Handle current_item_ = 0;
  Handle current_document_ = 0;
  std::vector<Handle> selection_;
  std::set<std::string> dirty_files_;
  Editor editor_;
};

// The process's one session (made on first use).
Session& session();
// Starts over with a fresh session; old handles are not reused by the new one.
void reset_session();

// The local date and time now, on the host's scale.
double now_date_time();

}  // namespace zentrella
