// The 121 exported host functions of the test host. Every function answers a
// neutral value; GetUserFolderName and IsStation answer what the test set.
// A compile definition ZTL_OMIT_<name>=~,hidden keeps one name out of the
// executable's export table, to stand for a host that lacks it.
#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>

#include <zentrella/host_api.h>

#include "fake_host.h"

namespace fake_host {
std::string user_folder;
int station = 0;
int user_folder_calls = 0;
}  // namespace fake_host

template <typename T>
T Neutral() {
  if constexpr (!std::is_void_v<T>) return T{};
}

// ZTL_PICK_SECOND(ZTL_OMIT_name) is "hidden" when ZTL_OMIT_name is defined as
// "~, hidden", else "default"; ZTL_CUSTOM_name likewise selects the functions
// written by hand below.
#define ZTL_SECOND(a, b, ...) b
#define ZTL_PICK(probe, otherwise) ZTL_SECOND(probe, otherwise, ~)
#define ZTL_STRING(x) ZTL_STRING_(x)
#define ZTL_STRING_(x) #x
#define ZTL_CAT(a, b) ZTL_CAT_(a, b)
#define ZTL_CAT_(a, b) a##b

#define ZTL_CUSTOM_GetUserFolderName ~, 1
#define ZTL_CUSTOM_IsStation ~, 1

#define ZTL_VISIBILITY(name) \
  __attribute__((visibility(ZTL_STRING(ZTL_PICK(ZTL_OMIT_##name, default)))))

#define ZTL_FAKE_0(ret, name, params) \
  extern "C" ZTL_VISIBILITY(name) ret ZTLPlugin_##name params { return Neutral<ret>(); }
#define ZTL_FAKE_1(ret, name, params)
#define ZTL_FAKE(ret, name, params) \
  ZTL_CAT(ZTL_FAKE_, ZTL_PICK(ZTL_CUSTOM_##name, 0))(ret, name, params)

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
ZENTRELLA_HOST_API(ZTL_FAKE)
#pragma GCC diagnostic pop

extern "C" __attribute__((visibility("default"))) int32_t ZTLPlugin_GetUserFolderName(char* buffer,
                                                                                    int32_t size) {
  ++fake_host::user_folder_calls;
  if (buffer == nullptr || size <= 0) return 0;
  const std::size_t length = std::min(fake_host::user_folder.size(), static_cast<std::size_t>(size));
  std::memcpy(buffer, fake_host::user_folder.data(), length);
  if (length < static_cast<std::size_t>(size)) buffer[length] = '\0';
  return static_cast<int32_t>(length);
}

extern "C" __attribute__((visibility("default"))) ZtlBool ZTLPlugin_IsStation(void) {
  return fake_host::station ? ZTL_TRUE : ZTL_FALSE;
}
