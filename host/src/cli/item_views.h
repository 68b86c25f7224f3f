// The items as the command line shows and names them: the trees as text, and
// an item found by the titles of its path.
#pragma once

#include <string>
#include <string_view>

#include "model/session.h"

namespace zentrella::cli {

// The loaded projects' trees, one item per line, two spaces deeper per level:
// kind, title (UTF-8, control characters escaped), then the progress of a
// task or of any item that has one, and the dates that are set.
std::string format_tree(const Session& session);

// The item that the titles from its project down ("Work/Release/Write notes",
// UTF-8) name, the first in tree order where titles repeat; 0 for none.
Handle find_item_by_path(const Session& session, std::string_view path);

// The titles from the project down to the item, joined by '/' (UTF-8).
std::string path_of_item(const Session& session, Handle item);

}  // namespace zentrella::cli
