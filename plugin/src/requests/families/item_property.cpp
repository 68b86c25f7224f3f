#include "requests/families/item_property.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include <ztl/payloads.h>

#include "host_binding/host_records.h"
#include "requests/channel_state.h"
#include "requests/date_time.h"
#include "requests/refresh.h"
#include "requests/text_fit.h"

// A title the channel brings is cut to the host's field.
static_assert(ZTL_TITLE_FIELD_MAX == ZTL_TITLE_MAX);

namespace scriptlink {

namespace {

// Fields are named by offset, not by pointer to member: the record is packed,
// and a member pointer would load its fields as if they were aligned.
template <typename T>
T ReadField(const ZtlItemInfo& info, std::size_t offset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const char*>(&info) + offset, sizeof value);
  return value;
}

template <typename T>
void WriteField(ZtlItemInfo& info, std::size_t offset, T value) {
  std::memcpy(reinterpret_cast<char*>(&info) + offset, &value, sizeof value);
}

// Hands the changed record back; the task list is refreshed when the host took it.
bool StoreItemInfo(RequestContext& context, ItemInfoRecord& info) {
  const bool done = context.host().SetItemInfo(context.value(), info.get()) != 0;
  info.reset();
  if (done) RefreshTaskList(context);
  return done;
}

void ReplyWordField(RequestContext& context, std::size_t field) {
  if (auto info = context.item_info_or_reply(-1)) {
    const auto value = ReadField<std::int32_t>(*info, field);
    info.reset();
    context.reply_word(value);
  }
}

void StoreWordField(RequestContext& context, std::size_t field) {
  const std::int32_t value = context.payload().word();
  if (auto info = context.item_info_or_reply(NoItem::Empty())) {
    WriteField(*info, field, value);
    StoreItemInfo(context, info);
    context.reply_empty();
  }
}

void ReplyDateField(RequestContext& context, std::size_t field) {
  if (auto info = context.item_info_or_reply(0)) {
    const std::int32_t seconds = DateTimeToSeconds(ReadField<double>(*info, field));
    info.reset();
    context.reply_word(seconds);
  }
}

void StoreDateField(RequestContext& context, std::size_t field) {
  const std::int32_t seconds = context.payload().word();
  if (auto info = context.item_info_or_reply(NoItem::Empty())) {
    WriteField(*info, field, SecondsToDateTime(seconds));
    StoreItemInfo(context, info);
    context.reply_empty();
  }
}

// The most a category adds to its list: its two fields.
constexpr std::size_t kCategoryPairMax = sizeof(ZtlUserCatInfo::name) + sizeof(ZtlUserCatInfo::value);

// One name, NUL, value, NUL per category, in the item's order; then one NUL.
// Put into list, which has room for kCategoryPairMax per category and the
// NUL: a script reads the categories of every item it walks, and a fresh
// string for each list would be an allocation per request. Returns the length.
std::size_t PutCategoryList(const HostApi& host, std::span<const ZtlHandle> categories, char* const list) {
  char* at = list;
  const auto put = [&at](std::string_view text) {
    at = std::copy(text.begin(), text.end(), at);
    *at++ = '\0';
  };
  for (ZtlHandle category : categories) {
    const UserCatInfoRecord record = TakeUserCatInfo(host, category);
    if (!record) continue;  // a category the host no longer knows
    put(FieldText(record->name, sizeof record->name));
    put(FieldText(record->value, sizeof record->value));
  }
  *at++ = '\0';
  return static_cast<std::size_t>(at - list);
}

// Only the category's own name may change its value: pairs are matched by position.
void SetCategoryValue(const HostApi& host, ZtlHandle category, std::string_view name, std::string_view value) {
  UserCatInfoRecord record = TakeUserCatInfo(host, category);
  if (!record || FieldText(record->name, sizeof record->name) != name) return;
  CopyFitted(record->value, value, ZTL_CATEGORY_VALUE_MAX);
  host.SetUserCatInfo(category, record.get());
}

bool AtListEnd(const PayloadReader& pairs) { return pairs.remaining() == 0 || pairs.peek() == 0; }

void PutWord(std::uint8_t* at, std::int32_t value) {
  const auto raw = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(raw >> (8 * i));
}

}  // namespace

void HandleTitleGet(RequestContext& context) {
  if (auto info = context.item_info_or_reply(NoItem::Empty())) {
    const std::string title(FieldText(info->title, sizeof info->title));
    info.reset();
    context.reply_text(title);
  }
}

// A long title is cut on a whole character. The answer says whether the host
// took the record: a deleted item answers 0.
void HandleTitleSet(RequestContext& context) {
  const std::string_view title = context.payload().text();
  if (auto info = context.item_info_or_reply(0)) {
    CopyFitted(info->title, title, ZTL_TITLE_FIELD_MAX);
    context.reply_truth(StoreItemInfo(context, info));
  }
}

void HandleProgressGet(RequestContext& context) { ReplyWordField(context, offsetof(ZtlItemInfo, progress)); }
void HandleProgressSet(RequestContext& context) { StoreWordField(context, offsetof(ZtlItemInfo, progress)); }
void HandlePriorityGet(RequestContext& context) { ReplyWordField(context, offsetof(ZtlItemInfo, priority)); }
void HandlePrioritySet(RequestContext& context) { StoreWordField(context, offsetof(ZtlItemInfo, priority)); }

void HandleMessageIdGet(RequestContext& context) {
  if (auto info = context.item_info_or_reply(NoItem::Text(" "))) {
    const std::string message_id(FieldText(info->message_id, ZTL_MESSAGE_ID_MAX));
    info.reset();
    context.reply_text(message_id);
  }
}

void HandleStartTimeGet(RequestContext& context) { ReplyDateField(context, offsetof(ZtlItemInfo, start_time)); }
void HandleStartTimeSet(RequestContext& context) { StoreDateField(context, offsetof(ZtlItemInfo, start_time)); }
void HandlePlannedStartTimeGet(RequestContext& context) { ReplyDateField(context, offsetof(ZtlItemInfo, planned_start_time)); }
void HandlePlannedStartTimeSet(RequestContext& context) { StoreDateField(context, offsetof(ZtlItemInfo, planned_start_time)); }
void HandleEndTimeGet(RequestContext& context) { ReplyDateField(context, offsetof(ZtlItemInfo, end_time)); }
void HandleEndTimeSet(RequestContext& context) { StoreDateField(context, offsetof(ZtlItemInfo, end_time)); }
void HandleDueTimeGet(RequestContext& context) { ReplyDateField(context, offsetof(ZtlItemInfo, due_time)); }
void HandleDueTimeSet(RequestContext& context) { StoreDateField(context, offsetof(ZtlItemInfo, due_time)); }
void HandleLastModifyTimeGet(RequestContext& context) { ReplyDateField(context, offsetof(ZtlItemInfo, last_modify_time)); }
void HandleCreateTimeGet(RequestContext& context) { ReplyDateField(context, offsetof(ZtlItemInfo, create_time)); }

void HandleUserCategoriesGet(RequestContext& context) {
  if (auto info = context.item_info_or_reply(NoItem::Empty())) {
    const std::span<const ZtlHandle> categories = ZeroTerminated(info->user_categories);
    const ScratchBuffer::Lease list(context.state().scratch, categories.size() * kCategoryPairMax + 1);
    const std::size_t length = PutCategoryList(context.host(), categories, list.data());
    info.reset();
    context.reply(std::span(reinterpret_cast<const std::uint8_t*>(list.data()), length));
  }
}

// Categories are never added, removed or renamed here; surplus pairs and
// surplus categories are left alone.
void HandleUserCategoriesSet(RequestContext& context) {
  PayloadReader pairs = context.payload();
  if (auto info = context.item_info_or_reply(0)) {
    for (ZtlHandle category : ZeroTerminated(info->user_categories)) {
      if (AtListEnd(pairs)) break;
      const std::string_view name = pairs.text();
      const std::string_view value = pairs.text();
      SetCategoryValue(context.host(), category, name, value);
    }
    info.reset();
    context.reply_word(1);
  }
}

// A null alarm reads as no alarm: all zero.
void HandleAlarmGet(RequestContext& context) {
  if (auto item = context.item_or_reply(NoItem::Empty())) {
    std::array<std::uint8_t, ZTL_ALARM_RECORD_SIZE> reply{};
    if (const AlarmRecord alarm = TakeAlarm(context.host(), item)) {
      PutWord(reply.data() + ZTL_ALARM_ENABLED_OFFSET, alarm->enabled);
      PutWord(reply.data() + ZTL_ALARM_DUE_TIME_OFFSET, alarm->due_time);
      PutWord(reply.data() + ZTL_ALARM_COUNT_OFFSET, alarm->count);
      PutWord(reply.data() + ZTL_ALARM_UNIT_OFFSET, alarm->unit);
    }
    context.reply(reply);
  }
}

// The host's unit is one byte. A unit that does not fit it is refused rather
// than cut to its low byte, which would set another unit than the script asked
// for (257 would become hours).
void HandleAlarmSet(RequestContext& context) {
  PayloadReader payload = context.payload();
  ZtlAlarmInfo alarm{};
  alarm.enabled = payload.word();
  alarm.due_time = payload.word();
  alarm.count = payload.word();
  const std::int32_t unit = payload.word();
  if (auto item = context.item_or_reply(0)) {
    if (unit < 0 || unit > 0xFF) return context.reply_word(0);
    alarm.unit = static_cast<std::uint8_t>(unit);
    context.reply_truth(context.host().SetAlarm(item, &alarm) != 0);
  }
}

}  // namespace scriptlink
