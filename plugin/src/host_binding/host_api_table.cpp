#include "host_binding/host_api_table.h"

#include <cstddef>

namespace scriptlink {

const char* const kHostFunctionNames[ZTL_HOST_API_COUNT] = {
#define ZTL_HOST_FN_NAME(ret, name, params) "ZTLPlugin_" #name,
    ZENTRELLA_HOST_API(ZTL_HOST_FN_NAME)
#undef ZTL_HOST_FN_NAME
};

bool BindHostApi(HostApi& api, void* (*lookup)(const char* name)) {
  HostApi bound;
  std::size_t index = 0;
  // Stops at the first missing name; the X-macro keeps the binding order.
#define ZTL_HOST_FN_BIND(ret, name, params)                                    \
  {                                                                            \
    void* address = lookup(kHostFunctionNames[index++]);                       \
    if (address == nullptr) return false;                                      \
    bound.name = reinterpret_cast<ZtlFn_##name>(address);                      \
  }
  ZENTRELLA_HOST_API(ZTL_HOST_FN_BIND)
#undef ZTL_HOST_FN_BIND
  api = bound;
  return true;
}

HostApi& Host() {
  static HostApi api;
  return api;
}

}  // namespace scriptlink
