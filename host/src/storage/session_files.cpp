#include "storage/session_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <utility>

#include <platform/paths.h>

#include "storage/project_file.h"

namespace zentrella {

namespace {

const SpecialProject kSpecials[] = {SpecialProject::recycle_bin, SpecialProject::find, SpecialProject::templates,
                                    SpecialProject::scrap};

std::vector<ItemTree> projects_in(Session& session, const std::string& file) {
  std::vector<ItemTree> trees;
  for (Handle project : session.loaded_projects()) {
    if (session.file_of(project) == file) trees.push_back(session.store().capture(project, true));
  }
  return trees;
}

std::vector<ItemTree> special_projects(Session& session) {
  std::vector<ItemTree> trees;
  for (SpecialProject which : kSpecials) trees.push_back(session.store().capture(session.special(which), true));
  return trees;
}

// What makes two names one file: a link, "./" or another spelling of the same
// path names the same device and inode.
std::optional<std::pair<dev_t, ino_t>> identity_of(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;  // loading it reports why
  return std::pair{info.st_dev, info.st_ino};
}

std::vector<Handle> projects_of_file(const Session& session, const std::string& file) {
  std::vector<Handle> projects;
  for (Handle project : session.loaded_projects()) {
    if (session.file_of(project) == file) projects.push_back(project);
  }
  return projects;
}

// The item an index path names among the file's projects; 0 for none.
Handle item_at(const Session& session, const std::vector<Handle>& projects, const std::vector<std::size_t>& path) {
  const std::vector<Handle>* level = &projects;
  Handle at = 0;
  for (const std::size_t index : path) {
    if (index >= level->size()) return 0;
    at = (*level)[index];
    level = &session.store().item(at)->children;
  }
  return at;
}

// The index path of an item of the file's projects; empty when it is in none.
std::vector<std::size_t> path_of(const Session& session, const std::vector<Handle>& projects, Handle handle) {
  std::vector<std::size_t> path;
  for (const Item* at = session.store().item(handle); at != nullptr; at = session.store().item(at->parent)) {
    const std::vector<Handle>& siblings = at->parent != 0 ? session.store().item(at->parent)->children : projects;
    const auto found = std::find(siblings.begin(), siblings.end(), at->handle);
    if (found == siblings.end()) return {};
    path.insert(path.begin(), static_cast<std::size_t>(found - siblings.begin()));
  }
  return path;
}

CurrentPlace place_in(const Session& session, const std::vector<Handle>& projects) {
  CurrentPlace place{path_of(session, projects, session.current_folder()),
                     path_of(session, projects, session.current_item()), std::nullopt};
  const Item* item = session.store().item(session.current_item());
  if (item != nullptr && session.current_document() != 0) {
    const auto found = std::find(item->documents.begin(), item->documents.end(), session.current_document());
    if (found != item->documents.end()) place.document = static_cast<std::size_t>(found - item->documents.begin());
  }
  return place;
}

// The file's place, where it names items of the file; otherwise nothing changes.
// A stale place (the file was edited since) names nothing, or another item.
void restore_place(Session& session, const std::string& file, const CurrentPlace& place) {
  const std::vector<Handle> projects = projects_of_file(session, file);
  const Handle folder = item_at(session, projects, place.folder);
  const Handle item = item_at(session, projects, place.item);
  if (folder != 0) session.set_current_folder(folder);
  if (item != 0) session.set_current_item(item);
  const Item* current = session.store().item(session.current_item());
  if (item != 0 && current != nullptr && place.document && *place.document < current->documents.size()) {
    session.set_current_document(current->documents[*place.document]);
  }
}

}  // namespace

std::vector<std::string> open_project_files(Session& session, const std::vector<std::string>& paths) {
  std::vector<std::string> repeated;
  std::vector<std::pair<dev_t, ino_t>> opened;
  for (const std::string& path : paths) {
    const auto identity = identity_of(path);
    if (identity && std::find(opened.begin(), opened.end(), *identity) != opened.end()) {
      repeated.push_back(path);
      continue;
    }
    open_project_file(session, path);
    if (identity) opened.push_back(*identity);
  }
  return repeated;
}

void open_project_file(Session& session, const std::string& path) {
  const ProjectFileContent content = load_project_file(path);
  const bool first_file = session.loaded_projects().empty();
  for (const ItemTree& project : content.projects) session.add_project(project, path);
  if (first_file) restore_place(session, path, content.current);
}

void open_special_projects(Session& session, const std::string& path) {
  session.special_file = path;
  if (!platform::paths::file_exists(path)) return;
  const std::vector<ItemTree> projects = load_projects(path);
  // By position; the titles are the host's own.
  for (std::size_t i = 0; i < projects.size() && i < std::size(kSpecials); ++i) {
    const Handle special = session.special(kSpecials[i]);
    const std::string title = session.store().item(special)->fields.title;
    session.store().apply(special, projects[i], true);
    session.store().item(special)->fields.title = title;
    session.store().item(special)->options = projects[i].options;
    session.conform_categories(special);
  }
}

void save_dirty_files(Session& session) {
  // One file that cannot be written does not keep the others from being saved.
  std::string failures;
  for (const std::string& file : session.dirty_files()) {
    try {
      if (file == session.special_file) {
        save_projects(file, special_projects(session));
        continue;
      }
      save_projects(file, projects_in(session, file), place_in(session, projects_of_file(session, file)));
    } catch (const std::exception& error) {
      failures += (failures.empty() ? "" : "\n") + std::string(error.what());
    }
  }
  if (!failures.empty()) throw SaveError(failures);  // all stay dirty: a later save tries again
  session.clear_dirty();
}

}  // namespace zentrella
