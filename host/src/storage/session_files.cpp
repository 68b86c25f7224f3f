#include "storage/session_files.h"

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

}  // namespace

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
  for (const std::string& file : session.dirty_files()) {
    if (file == session.special_file) {
      save_projects(file, special_projects(session));
    } else {
      save_projects(file, projects_in(session, file));
    }
  }
  session.clear_dirty();
}

}  // namespace zentrella
