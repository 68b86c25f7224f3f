// Whole-file reads and atomic writes. A regular file is replaced through a
// temporary file beside it, written, synced, then renamed over it, so a failure
// never leaves a truncated file and the old content stays whole.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file that is not what the caller may read or write: a folder, a FIFO no
// one reads, a device where a regular file is wanted, or a file over a limit.
class FileRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Symbolic links are followed, so the link stays and its target (created when
// the link dangles) gets the bytes. A regular file or a new one is written
// atomically and keeps its mode; a device, FIFO or socket is written directly,
// never replaced (a FIFO with no reader is refused at once). Throws
// SystemError or FileRefused; a regular target is untouched when anything fails.
void write_file_atomically(const std::string& path, std::string_view bytes);
// The content of an untrusted file: nullopt when it does not exist;
// FileRefused at once for what is not a regular file (a FIFO never blocks) or
// for more than max_bytes; SystemError on other failures.
std::optional<std::string> read_regular_file(const std::string& path, std::size_t max_bytes);
// The same for a file of which only the first max_bytes matter: the rest is
// left unread rather than refused.
std::optional<std::string> read_regular_file_start(const std::string& path, std::size_t max_bytes);
// nullopt when the file does not exist; throws SystemError on other failures.
std::optional<std::string> read_whole_file(const std::string& path);

}  // namespace platform
