#include "api/api_support.h"

#include <algorithm>
#include <memory>

#include <platform/paths.h>

#include "model/text_units.h"

namespace zentrella::api {

namespace {

struct ListBlock : HandedOut {
  std::vector<ZtlHandle> entries;
};

}  // namespace

std::string cut_text(std::string_view text, std::size_t max_length) {
  return std::string(text.substr(0, whole_chars_length(text, max_length)));
}

void copy_field(char* field, std::size_t capacity, std::string_view text, std::size_t max_length) {
  const std::size_t length = whole_chars_length(text, std::min(max_length, capacity));
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, capacity - length);
}

std::int32_t fill_buffer(char* buffer, std::int32_t size, std::string_view text) {
  if (buffer == nullptr || size < 0) return 0;
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(size));
  if (count > 0) std::memcpy(buffer, text.data(), count);  // an empty view may have no data at all
  buffer[count] = '\0';
  return static_cast<std::int32_t>(count);
}

ZtlHandle* hand_out_list(const std::vector<Handle>& entries) {
  auto block = std::make_unique<ListBlock>();
  block->entries = entries;
  block->entries.push_back(0);
  ZtlHandle* address = block->entries.data();
  hand_out(RecordKind::item_list, std::move(block), address);
  return address;
}

std::vector<Handle> read_list(const ZtlHandle* entries, std::size_t limit) {
  std::vector<Handle> result;
  for (std::size_t i = 0; entries != nullptr && i < limit && entries[i] != 0; ++i) result.push_back(entries[i]);
  return result;
}

std::string path_from_project(Handle item, const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  const std::string file = s().file_of(s().project_of(item));
  return file.empty() ? path : platform::paths::make_absolute(path, platform::paths::folder_of(file));
}

}  // namespace zentrella::api
