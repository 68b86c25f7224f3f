#include "model/session.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <set>

#include <platform/codepage.h>

namespace zentrella {

namespace {

// Host texts are kept in the code page in force; these are written here in UTF-8.
const std::string kNoFile;

constexpr const char* kSpecialTitles[] = {"ごみ箱", "検索結果", "テンプレート", "スクラップ"};

std::unique_ptr<Session>& session_slot() {
  static std::unique_ptr<Session> slot;
  return slot;
}

}  // namespace

Session& session() {
  auto& slot = session_slot();
  if (!slot) slot = std::make_unique<Session>();
  return *slot;
}

void reset_session() { session_slot() = std::make_unique<Session>(); }

double now_date_time() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  // Every edit stamps its item: within one second the answer is the same,
  // so the last second's is kept.
  thread_local std::time_t cached_second = 0;
  thread_local double cached_value = 0.0;
  if (now == cached_second && cached_value != 0.0) return cached_value;
  std::tm local{};
  localtime_r(&now, &local);
  // Local wall-clock time as if it were UTC, so the day count is local.
  const std::int64_t seconds = static_cast<std::int64_t>(timegm(&local));
  cached_second = now;
  cached_value = 25569.0 + static_cast<double>(seconds) / 86400.0;
  return cached_value;
}

Session::Session() : editor_(store_) {
  for (std::size_t i = 0; i < 4; ++i) specials_[i] = make_special(kSpecialTitles[i]);
  editor_.on_change([this](Handle owner) { touch(owner); });
}

Handle Session::make_special(const char* title) {
  Item& made = store_.create_item(ItemKind::project, 0);
  made.fields.title = platform::codepage::from_utf8(title);
  return made.handle;
}

Handle Session::special(SpecialProject which) const { return specials_[static_cast<std::size_t>(which)]; }

bool Session::is_special(Handle project) const {
  return std::find(std::begin(specials_), std::end(specials_), project) != std::end(specials_);
}

Handle Session::add_project(const ItemTree& tree, const std::string& file_name) {
  const Handle handle = store_.instantiate(tree, 0);
  Item* project = store_.item(handle);
  project->fields.kind = ItemKind::project;
  project->file_name = file_name;
  projects_.push_back(handle);
  conform_categories(handle);
  if (current_folder_ == 0) set_current_folder(handle);
  return handle;
}

Handle Session::project_of(Handle handle) const {
  const Item* at = store_.item(handle);
  while (at != nullptr && at->parent != 0) at = store_.item(at->parent);
  return at != nullptr ? at->handle : 0;
}

std::string Session::default_project_file() const {
  if (const Item* project = store_.item(current_project()); project != nullptr && !project->file_name.empty()) {
    return project->file_name;
  }
  return default_project_file_;
}

void Session::touch_project(Handle handle) {
  ++revision;
  editor_.forget_layout();  // the change may have been the editor's document
  const Handle project = project_of(handle);
  Item* item = store_.item(project);
  if (item != nullptr) item->modified = true;
  // A script's every change marks the same project, whose file is then in the
  // set already until the set is cleared. A project keeps its file for the
  // life of its handle, and handles are never reused.
  if (project != 0 && project == last_dirty_project_) return;
  // The project's file (as file_of gives it), read in place.
  const std::string& file = is_special(project) ? special_file : item != nullptr ? item->file_name : kNoFile;
  if (!file.empty()) dirty_files_.insert(file);
  last_dirty_project_ = project;
}

void Session::touch(Handle handle) {
  Item* item = store_.item(handle);
  if (item == nullptr) return;
  item->fields.dates.last_modify = now_date_time();
  touch_project(handle);
}

Handle Session::add_item(Handle parent, ItemKind kind) {
  if (parent == 0) {
    if (kind != ItemKind::project) return 0;
    ItemTree tree;
    tree.fields.kind = ItemKind::project;
    tree.fields.title = platform::codepage::from_utf8("新しいプロジェクト");
    tree.fields.dates.create = tree.fields.dates.last_modify = now_date_time();
    const Handle made = add_project(tree, default_project_file());
    touch_project(made);
    return made;
  }
  const Item* project = store_.item(project_of(parent));
  const bool at_bottom = project == nullptr || project->options.add_item_to_bottom;
  return insert_item(parent, kind, at_bottom ? INT32_MAX : 0);
}

Handle Session::insert_item(Handle parent, ItemKind kind, std::int32_t position) {
  if (store_.item(parent) == nullptr || kind == ItemKind::project) return 0;
  Item& made = store_.create_item(kind, parent, static_cast<std::size_t>(std::max(position, 0)));
  made.fields.dates.create = made.fields.dates.last_modify = now_date_time();
  const Handle handle = made.handle;
  take_project_categories(made);
  touch_project(handle);
  return handle;
}

// What conform_categories does for an item that has nothing yet: the
// project's categories, in its order, empty. Scripts add items by the
// thousand, so this one case goes without the general merge.
void Session::take_project_categories(Item& made) {
  const Item* project = store_.item(project_of(made.handle));
  if (project == nullptr) return;
  made.categories.reserve(project->categories.size());
  for (Handle h : project->categories) store_.create_category(made.handle, CategoryData{store_.category(h)->data.name, ""});
}

bool Session::delete_item(Handle handle, bool to_recycle_bin) {
  Item* doomed = store_.item(handle);
  if (doomed == nullptr || is_special(handle)) return false;
  const Handle bin = special(SpecialProject::recycle_bin);
  const Handle parent = doomed->parent;
  const std::vector<Handle> gone = store_.subtree(handle);
  touch_project(handle);
  projects_.erase(std::remove(projects_.begin(), projects_.end(), handle), projects_.end());
  if (to_recycle_bin && project_of(handle) != bin) {
    // Projects live at the top only; in the bin a project is kept as a folder.
    if (parent == 0) {
      doomed->fields.kind = ItemKind::folder;
      doomed->file_name.clear();
    }
    store_.move_item(handle, bin);
    conform_categories(handle);
    touch_project(handle);
  } else {
    store_.destroy_item(handle);
  }
  leave_removed(gone, parent);
  return true;
}

bool Session::assign_item(Handle target, Handle source, bool with_children) {
  Item* into = store_.item(target);
  // The special projects' titles and contents are the host's own.
  if (into == nullptr || store_.item(source) == nullptr || is_special(target)) return false;
  if (with_children && store_.is_ancestor_or_self(target, source)) return false;  // would copy into itself
  if (target == source) return true;
  const double created = into->fields.dates.create;
  std::vector<Handle> replaced = with_children ? store_.subtree(target) : std::vector<Handle>();
  if (!replaced.empty()) replaced.erase(replaced.begin());
  // Taken whole first: the target's old children may be part of the source.
  const ItemTree copy = store_.capture(source, with_children);
  store_.apply(target, copy, with_children);
  // The target is the same item as before; what the copy made is new.
  const double now = now_date_time();
  store_.item(target)->fields.dates.create = created;
  for (Handle made : store_.subtree(target)) {
    if (made != target) store_.item(made)->fields.dates.create = store_.item(made)->fields.dates.last_modify = now;
  }
  conform_categories(target);
  touch(target);
  leave_removed(replaced, target);
  return true;
}

bool Session::move_item(Handle handle, Handle new_parent) {
  const Item* moving = store_.item(handle);
  if (moving == nullptr || moving->parent == 0 || store_.item(new_parent) == nullptr) return false;
  if (moving->parent == new_parent) return true;
  const Handle old_project = project_of(handle);
  if (!store_.move_item(handle, new_parent)) return false;  // below itself
  touch_project(old_project);
  conform_categories(handle);
  touch_project(handle);
  // The current item is a row of the task list: it stays current in its new place.
  if (current_item_ != 0 && store_.is_ancestor_or_self(handle, current_item_)) {
    const Handle current = current_item_;
    const Handle document = current_document_;
    set_current_item(current);
    if (document != 0) set_current_document(document);
  }
  return true;
}

// The bin's categories are only those its items brought; they go with them.
bool Session::empty_recycle_bin() {
  const Handle bin = special(SpecialProject::recycle_bin);
  const std::vector<Handle> inside = store_.item(bin)->children;
  const std::vector<Handle> categories = store_.item(bin)->categories;
  for (Handle item : inside) delete_item(item, false);
  for (Handle category : categories) store_.destroy_category(category);
  if (!inside.empty() || !categories.empty()) touch_project(bin);
  return !inside.empty();
}

std::vector<std::string> Session::category_names(Handle item) const {
  std::vector<std::string> names;
  const Item* at = store_.item(item);
  if (at == nullptr) return names;
  for (Handle h : at->categories) names.push_back(store_.category(h)->data.name);
  return names;
}

void Session::conform_categories(Handle arrived) {
  const Handle project = project_of(arrived);
  if (project == 0) return;
  std::vector<std::string> names = category_names(project);
  const std::size_t known = names.size();
  const std::vector<Handle> arrivals = store_.subtree(arrived);
  for (Handle item : arrivals) {
    for (std::string& name : category_names(item)) {
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    }
  }
  for (Handle item : names.size() > known ? store_.subtree(project) : arrivals) conform_item_categories(item, names);
}

// Keeps the handle and value of each category the item has, adds the missing
// ones empty, and drops a second category of the same name.
void Session::conform_item_categories(Handle handle, const std::vector<std::string>& names) {
  std::vector<Handle> old = store_.item(handle)->categories;
  std::vector<Handle> ordered;
  for (const std::string& name : names) {
    auto found = std::find_if(old.begin(), old.end(), [&](Handle h) { return store_.category(h)->data.name == name; });
    if (found != old.end()) {
      ordered.push_back(*found);
      old.erase(found);
    } else {
      ordered.push_back(store_.create_category(handle, CategoryData{name, ""}).handle);
    }
  }
  for (Handle extra : old) store_.destroy_category(extra);
  store_.item(handle)->categories = ordered;
}

// Pre-order within the item's project: children first, then siblings, then
// the siblings of the ancestors.
Handle Session::next_in_project(Handle handle) const {
  const Item* at = store_.item(handle);
  if (at == nullptr) return 0;
  if (!at->children.empty()) return at->children.front();
  while (at != nullptr && at->parent != 0) {
    const Item* parent = store_.item(at->parent);
    auto self = std::find(parent->children.begin(), parent->children.end(), at->handle);
    if (self + 1 != parent->children.end()) return *(self + 1);
    at = parent;
  }
  return 0;
}

Handle Session::last_descendant(Handle handle) const {
  const Item* last = store_.item(handle);
  while (last != nullptr && !last->children.empty()) last = store_.item(last->children.back());
  return last != nullptr ? last->handle : 0;
}

// The loaded project step places away from project; 0 past either end and
// for the special projects.
Handle Session::neighbour_project(Handle project, int step) const {
  auto self = std::find(projects_.begin(), projects_.end(), project);
  if (self == projects_.end()) return 0;
  const auto index = (self - projects_.begin()) + step;
  return index >= 0 && index < static_cast<std::ptrdiff_t>(projects_.size()) ? projects_[static_cast<std::size_t>(index)]
                                                                              : 0;
}

Handle Session::next_item(Handle handle) const {
  if (store_.item(handle) == nullptr) return 0;
  const Handle within = next_in_project(handle);
  return within != 0 ? within : neighbour_project(project_of(handle), 1);
}

Handle Session::prev_item(Handle handle) const {
  const Item* at = store_.item(handle);
  if (at == nullptr) return 0;
  if (at->parent == 0) return last_descendant(neighbour_project(handle, -1));
  const Item* parent = store_.item(at->parent);
  auto self = std::find(parent->children.begin(), parent->children.end(), handle);
  return self == parent->children.begin() ? parent->handle : last_descendant(*(self - 1));
}

Handle Session::item_from_message_id(const std::string& message_id) const {
  if (message_id.empty()) return 0;
  std::vector<Handle> tops = projects_;
  tops.insert(tops.end(), std::begin(specials_), std::end(specials_));
  for (Handle top : tops) {
    for (Handle at = top; at != 0; at = next_in_project(at)) {
      if (store_.item(at)->fields.message_id == message_id) return at;
    }
  }
  return 0;
}

bool Session::set_current_folder(Handle handle) {
  const Item* folder = store_.item(handle);
  if (folder == nullptr || folder->fields.kind == ItemKind::task) return false;
  ++revision;
  current_folder_ = handle;
  if (current_item_ != 0 && store_.item(current_item_)->parent != handle) set_current_item(0);
  return true;
}

bool Session::set_current_item(Handle handle) {
  ++revision;
  if (handle == 0) {
    current_item_ = 0;
    set_current_document(0);
    return true;
  }
  const Item* item = store_.item(handle);
  if (item == nullptr) return false;
  // The current item is a row of the task list: its parent becomes the folder.
  if (item->parent != 0 && item->parent != current_folder_) current_folder_ = item->parent;
  current_item_ = handle;
  set_current_document(item->documents.empty() ? 0 : item->documents.front());
  return true;
}

bool Session::set_current_document(Handle handle) {
  ++revision;
  if (handle == 0) {
    current_document_ = 0;
    editor_.open(0);
    return true;
  }
  const Document* doc = store_.document(handle);
  if (doc == nullptr) return false;
  if (doc->owner != current_item_) {
    current_item_ = doc->owner;
    const Item* owner = store_.item(doc->owner);
    if (owner->parent != 0) current_folder_ = owner->parent;
  }
  if (current_document_ != handle) editor_.open(handle);
  current_document_ = handle;
  return true;
}

bool Session::is_selected(Handle handle) const {
  return std::find(selection_.begin(), selection_.end(), handle) != selection_.end();
}

void Session::set_selected(Handle handle, bool selected) {
  if (store_.item(handle) == nullptr) return;
  const bool now = is_selected(handle);
  if (selected != now) ++revision;
  if (selected && !now) selection_.push_back(handle);
  if (!selected && now) selection_.erase(std::find(selection_.begin(), selection_.end(), handle));
}

void Session::select_only(const std::vector<Handle>& items) {
  ++revision;
  selection_.clear();
  for (Handle handle : items) set_selected(handle, true);
}

std::vector<Handle> Session::list_view_items() const {
  const Item* folder = store_.item(current_folder_);
  return folder != nullptr ? folder->children : std::vector<Handle>();
}

std::int32_t Session::list_item_index(Handle handle) const {
  const Item* item = store_.item(handle);
  return item == nullptr ? -1 : list_item_index(*item);
}

// The children of the current folder, as list_view_items() gives them.
std::int32_t Session::list_item_index(const Item& item) const {
  if (item.parent == 0 || item.parent != current_folder_) return -1;
  const Item* folder = store_.item(current_folder_);
  if (folder == nullptr) return -1;
  const std::vector<Handle>& shown = folder->children;
  const auto listed_at = [&]() -> std::int32_t {
    const auto found = list_index_.find(item.handle);
    if (found == list_index_.end()) return -1;
    const auto at = static_cast<std::size_t>(found->second);
    return at < shown.size() && shown[at] == item.handle ? found->second : -1;
  };
  if (list_index_folder_ == current_folder_) {
    if (const std::int32_t at = listed_at(); at >= 0) return at;
  }
  list_index_.clear();
  list_index_.reserve(shown.size());
  for (std::size_t at = 0; at < shown.size(); ++at) list_index_[shown[at]] = static_cast<std::int32_t>(at);
  list_index_folder_ = current_folder_;
  return listed_at();
}

void Session::forget_removed() {
  ++revision;
  selection_.erase(std::remove_if(selection_.begin(), selection_.end(),
                                  [this](Handle h) { return store_.item(h) == nullptr; }),
                   selection_.end());
  repair_current();
}

void Session::leave_removed(const std::vector<Handle>& gone, Handle fallback) {
  const std::set<Handle> removed(gone.begin(), gone.end());
  auto is_removed = [&](Handle h) { return removed.count(h) != 0; };
  selection_.erase(std::remove_if(selection_.begin(), selection_.end(), is_removed), selection_.end());
  const Document* doc = store_.document(current_document_);
  if (is_removed(current_item_) || (doc != nullptr && is_removed(doc->owner))) set_current_item(0);
  if (is_removed(current_folder_)) {
    const Item* folder = store_.item(fallback);
    while (folder != nullptr && (folder->fields.kind == ItemKind::task || is_removed(folder->handle))) {
      folder = store_.item(folder->parent);
    }
    current_folder_ = 0;
    if (folder != nullptr) set_current_folder(folder->handle);
  }
  forget_removed();
}

void Session::repair_current() {
  if (store_.document(current_document_) == nullptr) set_current_document(0);
  if (store_.item(current_item_) == nullptr) set_current_item(0);
  if (store_.item(current_folder_) == nullptr) {
    current_folder_ = 0;
    set_current_folder(projects_.empty() ? special(SpecialProject::scrap) : projects_.front());
  }
}

std::string Session::file_of(Handle project) const {
  if (is_special(project)) return special_file;
  const Item* item = store_.item(project);
  return item != nullptr ? item->file_name : std::string();
}

}  // namespace zentrella
