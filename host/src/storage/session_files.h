// The session's projects and their files: loading a file adds its projects,
// saving writes each changed file whole. The special projects are kept in
// their own file in the user folder (Session::special_file).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "model/session.h"

namespace zentrella {

inline constexpr const char* kSpecialProjectsFile = "special-projects.json";

// Throws ProjectFileError; the session is unchanged then. The first file opened
// says where the user was (its "current" entry): that item, folder and
// document become current; an entry that names nothing in it is ignored.
void open_project_file(Session& session, const std::string& path);
// Opens each file once, however often or by whatever names it is given (its
// projects would otherwise be loaded, and saved, twice); returns the names
// that were left out because they name a file already open.
std::vector<std::string> open_project_files(Session& session, const std::vector<std::string>& paths);
// A missing file leaves the special projects empty.
void open_special_projects(Session& session, const std::string& path);
// A save that failed; what() holds one line per file that was not written.
class SaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes every file whose projects changed since the last save, each with
// what is current when that lies in its projects; throws SaveError when any
// of them could not be written.
void save_dirty_files(Session& session);

}  // namespace zentrella
