// The host's records as the window borrows them through the exported API:
// each goes back to its release function however the borrower leaves.
#pragma once

#include <memory>
#include <vector>

#include "api/exported.h"

namespace desktop {

template <typename Record, void (*Release)(Record*)>
struct RecordRelease {
  void operator()(Record* record) const { Release(record); }
};

using ItemRecord = std::unique_ptr<ZtlItemInfo, RecordRelease<ZtlItemInfo, &ZTLPlugin_FreeItemInfo>>;
using DocumentRecord =
    std::unique_ptr<ZtlDescriptionInfo, RecordRelease<ZtlDescriptionInfo, &ZTLPlugin_FreeDescriptionInfo>>;
using LinkRecord = std::unique_ptr<ZtlLinkedFileInfo, RecordRelease<ZtlLinkedFileInfo, &ZTLPlugin_FreeLinkedFileInfo>>;
using CategoryRecord = std::unique_ptr<ZtlUserCatInfo, RecordRelease<ZtlUserCatInfo, &ZTLPlugin_FreeUserCatInfo>>;
using AlarmRecord = std::unique_ptr<ZtlAlarmInfo, RecordRelease<ZtlAlarmInfo, &ZTLPlugin_FreeAlarmInfo>>;

// The handles of a 0-terminated list (none for a null list).
inline std::vector<ZtlHandle> handles_of(const ZtlHandle* list) {
  std::vector<ZtlHandle> handles;
  for (const ZtlHandle* at = list; at != nullptr && *at != 0; ++at) handles.push_back(*at);
  return handles;
}

}  // namespace desktop
