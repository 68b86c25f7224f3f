// The session's projects and their files: loading a file adds its projects,
// saving writes each changed file whole. The special projects are kept in
// their own file in the user folder (Session::special_file).
#pragma once

#include <string>

#include "model/session.h"

namespace zentrella {

inline constexpr const char* kSpecialProjectsFile = "special-projects.json";

// Throws ProjectFileError; the session is unchanged then.
void open_project_file(Session& session, const std::string& path);
// A missing file leaves the special projects empty.
void open_special_projects(Session& session, const std::string& path);
// Writes every file whose projects changed since the last save.
void save_dirty_files(Session& session);

}  // namespace zentrella
