// Owners of the records and lists the host hands out: each is given back to its
// paired release function exactly once, also when an exception flies.
#pragma once

#include <cstddef>
#include <span>
#include <utility>

#include <zentrella/host_api.h>

#include "host_binding/host_api_table.h"

namespace scriptlink {

// Record is what the host returned (possibly null); Release gives it back.
// ReleaseNull: the host wants the call also for a null record.
template <typename Record, bool ReleaseNull = false>
class HostRecord {
 public:
  using Release = void (*)(Record*);

  HostRecord() noexcept = default;
  HostRecord(Record* record, Release release) noexcept : record_(record), release_(release), held_(true) {}
  HostRecord(HostRecord&& other) noexcept
      : record_(std::exchange(other.record_, nullptr)),
        release_(other.release_),
        held_(std::exchange(other.held_, false)) {}
  HostRecord& operator=(HostRecord&& other) noexcept {
    if (this != &other) {
      reset();
      record_ = std::exchange(other.record_, nullptr);
      release_ = other.release_;
      held_ = std::exchange(other.held_, false);
    }
    return *this;
  }
  HostRecord(const HostRecord&) = delete;
  HostRecord& operator=(const HostRecord&) = delete;
  ~HostRecord() { reset(); }

  // Gives the record back now.
  void reset() noexcept {
    if (!held_) return;
    held_ = false;
    Record* record = std::exchange(record_, nullptr);
    if (release_ != nullptr && (record != nullptr || ReleaseNull)) release_(record);
  }

  Record* get() const noexcept { return record_; }
  Record* operator->() const noexcept { return record_; }
  Record& operator*() const noexcept { return *record_; }
  explicit operator bool() const noexcept { return record_ != nullptr; }

 private:
  Record* record_ = nullptr;
  Release release_ = nullptr;
  bool held_ = false;
};

using ItemInfoRecord = HostRecord<ZtlItemInfo>;
using DescriptionInfoRecord = HostRecord<ZtlDescriptionInfo>;
using LinkedFileInfoRecord = HostRecord<ZtlLinkedFileInfo>;
using UserCatInfoRecord = HostRecord<ZtlUserCatInfo>;
// The host's alarm release is called also for a null alarm.
using AlarmRecord = HostRecord<ZtlAlarmInfo, true>;

// The handles of a 0-terminated array inside a record (documents, file links,
// categories); empty for a null array.
inline std::span<const ZtlHandle> ZeroTerminated(const ZtlHandle* first) noexcept {
  if (first == nullptr) return {};
  std::size_t count = 0;
  while (first[count] != 0) ++count;
  return {first, count};
}

// A 0-terminated list of handles from the host (selection, children, ...).
class ItemEntries {
 public:
  ItemEntries() noexcept = default;
  ItemEntries(ZtlHandle* entries, void (*release)(ZtlHandle*)) noexcept : list_(entries, release) {}

  bool present() const noexcept { return static_cast<bool>(list_); }
  // The entries before the 0 terminator.
  std::span<const ZtlHandle> entries() const noexcept { return ZeroTerminated(list_.get()); }
  ZtlHandle first() const noexcept { return list_ ? list_.get()[0] : 0; }
  void reset() noexcept { list_.reset(); }

 private:
  HostRecord<ZtlHandle> list_;
};

// Each Take... calls the host's getter and owns what it returns (possibly null).
inline ItemInfoRecord TakeItemInfo(const HostApi& host, ZtlHandle item) {
  return {host.GetItemInfo(item), host.FreeItemInfo};
}
inline DescriptionInfoRecord TakeDescriptionInfo(const HostApi& host, ZtlHandle document) {
  return {host.GetDescriptionInfo(document), host.FreeDescriptionInfo};
}
inline LinkedFileInfoRecord TakeLinkedFileInfo(const HostApi& host, ZtlHandle link) {
  return {host.GetLinkedFileInfo(link), host.FreeLinkedFileInfo};
}
inline UserCatInfoRecord TakeUserCatInfo(const HostApi& host, ZtlHandle category) {
  return {host.GetUserCatInfo(category), host.FreeUserCatInfo};
}
inline AlarmRecord TakeAlarm(const HostApi& host, ZtlHandle item) { return {host.GetAlarm(item), host.FreeAlarmInfo}; }
// Takes a list the host just returned (GetSelectedItems, GetChildren, ...).
inline ItemEntries TakeItemEntries(const HostApi& host, ZtlHandle* entries) {
  return {entries, host.FreeItemEntries};
}
inline ItemEntries TakeChildren(const HostApi& host, ZtlHandle item) {
  return TakeItemEntries(host, host.GetChildren(item));
}
inline ItemEntries TakeSelectedItems(const HostApi& host) { return TakeItemEntries(host, host.GetSelectedItems()); }

}  // namespace scriptlink
