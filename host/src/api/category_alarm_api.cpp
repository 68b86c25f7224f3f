// User categories and the alarm of an item.
#include <memory>

#include "api/api_support.h"
#include "api/kept_blocks.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

struct CategoryBlock : HandedOut {
  ZtlUserCatInfo info;  // both fields filled whole by copy_field
  static void* operator new(std::size_t size) { return KeptBlocks<CategoryBlock>::take(size); }
  static void operator delete(void* storage, std::size_t size) noexcept { KeptBlocks<CategoryBlock>::give(storage, size); }
};

struct AlarmBlock : HandedOut {
  ZtlAlarmInfo info{};
};

}  // namespace

extern "C" ZtlUserCatInfo* ZTLPlugin_GetUserCatInfo(ZtlHandle category) {
  return guarded<ZtlUserCatInfo*>("GetUserCatInfo", nullptr, [&]() -> ZtlUserCatInfo* {
    const Category* found = s().store().category(category);
    if (found == nullptr) return nullptr;
    auto block = std::make_unique_for_overwrite<CategoryBlock>();
    copy_field(block->info.name, found->data.name);
    copy_field(block->info.value, found->data.value);
    ZtlUserCatInfo* address = &block->info;
    hand_out(RecordKind::user_cat_info, std::move(block), address);
    return address;
  });
}

// The name is the category's identity across items; only the value changes.
extern "C" ZtlBool ZTLPlugin_SetUserCatInfo(ZtlHandle category, const ZtlUserCatInfo* info) {
  return guarded<ZtlBool>("SetUserCatInfo", ZTL_FALSE, [&] {
    Category* found = s().store().category(category);
    if (found == nullptr || info == nullptr) return ZTL_FALSE;
    std::string value = cut_text(field_text(info->value, sizeof info->value), sizeof info->value - 1);
    if (value != found->data.value) {
      found->data.value = std::move(value);
      s().touch(found->owner);
    }
    return ZTL_TRUE;
  });
}

extern "C" void ZTLPlugin_FreeUserCatInfo(ZtlUserCatInfo* info) {
  guarded_void("FreeUserCatInfo", [&] { take_back(RecordKind::user_cat_info, info); });
}

extern "C" ZtlAlarmInfo* ZTLPlugin_GetAlarm(ZtlHandle item) {
  return guarded<ZtlAlarmInfo*>("GetAlarm", nullptr, [&]() -> ZtlAlarmInfo* {
    const Item* found = s().store().item(item);
    if (found == nullptr) return nullptr;
    auto block = std::make_unique<AlarmBlock>();
    const Alarm& alarm = found->fields.alarm;
    block->info.enabled = truth(alarm.enabled);
    block->info.due_time = truth(alarm.due_time);
    block->info.count = alarm.count;
    block->info.unit = alarm.unit;
    ZtlAlarmInfo* address = &block->info;
    hand_out(RecordKind::alarm_info, std::move(block), address);
    return address;
  });
}

extern "C" ZtlBool ZTLPlugin_SetAlarm(ZtlHandle item, const ZtlAlarmInfo* alarm) {
  return guarded<ZtlBool>("SetAlarm", ZTL_FALSE, [&] {
    Item* found = s().store().item(item);
    if (found == nullptr || alarm == nullptr || alarm->unit > ZTL_AU_DAY || alarm->count < 0) return ZTL_FALSE;
    const Alarm wanted{alarm->enabled != 0, alarm->due_time != 0, alarm->count, alarm->unit};
    if (wanted == found->fields.alarm) return ZTL_TRUE;
    found->fields.alarm = wanted;
    s().touch(item);
    return ZTL_TRUE;
  });
}

extern "C" void ZTLPlugin_FreeAlarmInfo(ZtlAlarmInfo* alarm) {
  guarded_void("FreeAlarmInfo", [&] { take_back(RecordKind::alarm_info, alarm); });
}
