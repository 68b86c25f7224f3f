#include "command_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <platform/atomic_file.h>
#include <platform/paths.h>

namespace scriptlink {

namespace {

// Reads up to size bytes; returns how many arrived (short at the file's end).
std::size_t ReadSome(std::ifstream& in, char* buffer, std::size_t size) {
  in.read(buffer, static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(in.gcount());
}

}  // namespace

void LoadCommandFile(const std::string& path, TCommandArray& target) {
  if (!platform::paths::file_exists(path)) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("コマンドファイルを開けません: " + path + " (" + std::strerror(errno) +
                             ")");
  }
  unsigned char count_bytes[4] = {};
  if (ReadSome(in, reinterpret_cast<char*>(count_bytes), 4) < 4) return;
  const std::int32_t count = static_cast<std::int32_t>(
      std::uint32_t{count_bytes[0]} | std::uint32_t{count_bytes[1]} << 8 |
      std::uint32_t{count_bytes[2]} << 16 | std::uint32_t{count_bytes[3]} << 24);
  if (count <= 0 || count > static_cast<std::int32_t>(kMaxUserCommands)) return;

  auto records = target.Grow(static_cast<std::size_t>(count));
  ReadSome(in, reinterpret_cast<char*>(records.data()), records.size_bytes());
}

void SaveCommandFile(const std::string& path, const TCommandArray& working) {
  const std::size_t n = working.size();
  if (n > kMaxUserCommands) throw std::runtime_error(kTooManyCommandsMessage);

  std::string bytes;
  bytes.reserve(4 + n * kCommandRecordSize);
  const auto count = static_cast<std::uint32_t>(n);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(count >> shift));
  for (const CommandRecord& record : working) {
    bytes.append(reinterpret_cast<const char*>(&record), kCommandRecordSize);
  }
  platform::write_file_atomically(path, bytes);
}

std::string ToStoredPath(std::string_view absolute_path, std::string_view script_folder) {
  if (absolute_path.empty()) return {};
  return platform::paths::make_relative(absolute_path, script_folder);
}

std::string FromStoredPath(std::string_view stored_path, std::string_view script_folder) {
  if (stored_path.empty()) return {};
  return platform::paths::make_absolute(stored_path, script_folder);
}

}  // namespace scriptlink
