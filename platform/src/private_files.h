// What this user alone may see or change: the runtime folder, the files the
// host keeps there, and the check every named object passes before it is used.
// Another local user can make any name in /tmp or /dev/shm first; whatever is
// not ours, or is open to others, is refused and never used.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace platform::detail {

// "nobody (uid 65534)", or "uid 1234" for a user the system does not name.
std::string describe_user(uid_t uid);

// Throws SystemError (EACCES) naming `what` and its owner unless the file is
// ours; with owner_only, also unless no group or other permission bits are set.
void require_ours(const struct stat& info, const std::string& what, bool owner_only);

// Where the runtime folder is: $XDG_RUNTIME_DIR/zentrella, else /tmp/zentrella-<euid>.
std::string runtime_folder_path();

// Makes the folder (0700) when missing; throws unless it is a real folder of
// this user (not a link) that nobody else can reach.
void make_private_folder(const std::string& folder);

// The whole content of a regular file of ours (not followed if a link);
// nullopt when there is none. With owner_only, a file others can reach is refused.
std::optional<std::string> read_own_file(const std::string& path, bool owner_only);

// Throws unless the path names nothing, or a regular file of ours (not a link).
void require_own_file_if_present(const std::string& path);

// Puts the content in place as a new file of mode 0600 unless the file exists.
// Of two processes racing, one wins; both then read the same file.
void create_file_once(const std::string& path, std::string_view content);

}  // namespace platform::detail
