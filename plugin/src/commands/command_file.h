// The command file (user folder + "Scriptlink.cmd"): a little-endian i32
// count, then that many command records in list order. The file is untrusted:
// reading takes what is there and never more; writing is atomic.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "commands/command_table.h"

namespace scriptlink {

inline constexpr std::size_t kMaxUserCommands = 99;
inline constexpr const char* kTooManyCommandsMessage = "コマンドは99個までしか登録できません";

// Appends the file's records to target (the live table or a working list).
// A missing file appends nothing; so does a count outside 1..99. A file
// shorter than its count says leaves the missing bytes zero. Throws
// std::runtime_error when the file exists but cannot be read, or is not a
// regular file (a FIFO must not block the host).
void LoadCommandFile(const std::string& path, TCommandArray& target);

// Rewrites the file from a working list of user commands. A list of more than
// 99 records is refused with kTooManyCommandsMessage; any failure leaves the
// old file as it was.
void SaveCommandFile(const std::string& path, const TCommandArray& working);

// Script and output paths are kept relative to the script folder; an empty
// path stays empty both ways.
std::string ToStoredPath(std::string_view absolute_path, std::string_view script_folder);
std::string FromStoredPath(std::string_view stored_path, std::string_view script_folder);

}  // namespace scriptlink
