// The host API table: the 121 host functions, resolved by name at start-up.
#pragma once

#include <zentrella/host_api.h>

namespace scriptlink {

struct HostApi {
#define ZTL_HOST_FN_FIELD(ret, name, params) ZtlFn_##name name = nullptr;
  ZENTRELLA_HOST_API(ZTL_HOST_FN_FIELD)
#undef ZTL_HOST_FN_FIELD
};

// The host names in binding order, "ZTLPlugin_" included.
extern const char* const kHostFunctionNames[ZTL_HOST_API_COUNT];

// Resolves every name in order with lookup; false at the first name missing,
// leaving api as it was.
bool BindHostApi(HostApi& api, void* (*lookup)(const char* name));

// The table bound by ZTLPlugin_Init; every part of the plug-in calls the host
// through it.
HostApi& Host();

}  // namespace scriptlink
