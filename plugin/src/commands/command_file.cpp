#include "commands/command_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>

#include <platform/atomic_file.h>
#include <platform/paths.h>

namespace scriptlink {

namespace {

constexpr std::size_t kCountSize = 4;

std::int32_t CountOf(const std::string& bytes) {
  std::uint32_t count = 0;
  for (std::size_t i = 0; i < kCountSize; ++i) count |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
  return static_cast<std::int32_t>(count);
}

}  // namespace

void LoadCommandFile(const std::string& path, TCommandArray& target) {
  std::optional<std::string> bytes;
  try {
    // Never more than the largest table; a FIFO or device is refused at once.
    bytes = platform::read_regular_file_start(path, kCountSize + kMaxUserCommands * kCommandRecordSize);
  } catch (const std::exception& error) {
    throw std::runtime_error("コマンドファイルを開けません: " + path + " (" + error.what() + ")");
  }
  if (!bytes || bytes->size() < kCountSize) return;
  const std::int32_t count = CountOf(*bytes);
  if (count <= 0 || count > static_cast<std::int32_t>(kMaxUserCommands)) return;

  auto records = target.Grow(static_cast<std::size_t>(count));
  const std::size_t present = std::min(bytes->size() - kCountSize, records.size_bytes());
  std::memcpy(records.data(), bytes->data() + kCountSize, present);
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
