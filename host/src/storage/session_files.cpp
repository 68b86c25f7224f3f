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
  const std::vector<ItemTree> projects = load_projects(path);
  for (const ItemTree& project : projects) session.add_project(project, path);
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
      save_projects(file, file == session.special_file ? special_projects(session) : projects_in(session, file));
    } catch (const std::exception& error) {
      failures += (failures.empty() ? "" : "\n") + std::string(error.what());
    }
  }
  if (!failures.empty()) throw SaveError(failures);  // all stay dirty: a later save tries again
  session.clear_dirty();
}

}  // namespace zentrella
