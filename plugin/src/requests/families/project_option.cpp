#include "requests/families/project_option.h"

#include <array>
#include <cstdint>

#include <ztl/payloads.h>

namespace scriptlink {

namespace {

constexpr std::size_t kOptionOffsets[] = {
    ZTL_PROJECT_OPTION_SAVE_CARET_POS_OFFSET, ZTL_PROJECT_OPTION_STATION_AND_QUERY_SAVE_OFFSET,
    ZTL_PROJECT_OPTION_ADD_ITEM_TO_BOTTOM_OFFSET, ZTL_PROJECT_OPTION_FOLDER_BEHIND_OFFSET,
    ZTL_PROJECT_OPTION_RELATIVE_PATH_OFFSET};
constexpr std::size_t kOptionCount = std::size(kOptionOffsets);

using Options = std::array<std::int32_t, kOptionCount>;

void PutWordAt(std::uint8_t* record, std::size_t offset, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) record[offset++] = static_cast<std::uint8_t>(value >> shift);
}

std::int32_t WordAt(const std::uint8_t* record, std::size_t offset) {
  std::uint32_t value = 0;
  for (int shift = 0; shift < 32; shift += 8) value |= std::uint32_t{record[offset++]} << shift;
  return static_cast<std::int32_t>(value);
}

}  // namespace

// The host answers false, with all five slots 0, for an item it does not know
// (a deleted one): that is no item, not a project with every option off.
void HandleProjectOptionGet(RequestContext& context) {
  if (auto item = context.item_or_reply(NoItem::Empty())) {
    Options options{};
    const bool known = context.host().GetProjectOption(item, &options[0], &options[1], &options[2], &options[3],
                                                       &options[4]) != 0;
    if (!known) return context.reply_empty();
    std::array<std::uint8_t, ZTL_PROJECT_OPTION_RECORD_SIZE> record{};
    PutWordAt(record.data(), ZTL_PROJECT_OPTION_HANDLE_OFFSET, item);
    for (std::size_t i = 0; i < kOptionCount; ++i)
      PutWordAt(record.data(), kOptionOffsets[i], static_cast<std::uint32_t>(options[i]));
    context.reply(record);
  }
}

// The handle is the header's, whatever the record's first word says. A record
// cut short is refused whole: its missing options would otherwise reach the
// host as 0 and switch off what the script never meant to change.
void HandleProjectOptionSet(RequestContext& context) {
  if (auto item = context.item_or_reply(0)) {
    const auto record = context.payload().bytes();
    if (record.size() < ZTL_PROJECT_OPTION_RECORD_SIZE) return context.reply_word(0);
    Options options{};
    for (std::size_t i = 0; i < kOptionCount; ++i) options[i] = WordAt(record.data(), kOptionOffsets[i]);
    context.reply_truth(
        context.host().SetProjectOption(item, options[0], options[1], options[2], options[3], options[4]) != 0);
  }
}

}  // namespace scriptlink
