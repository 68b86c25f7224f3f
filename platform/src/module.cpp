#include "platform/module.h"

#include <dlfcn.h>
#include <string>

namespace platform {

std::uint32_t executable_module_handle() {
  static const std::uint32_t handle = [] {
    // The handle of the executable itself stays loaded for the life of the process.
    auto bits = reinterpret_cast<std::uintptr_t>(::dlopen(nullptr, RTLD_LAZY));
    // Fold both halves in, so the value is never just the small low half of an address,
    // and keep it positive, since the channel number is read as a signed word.
    auto folded = static_cast<std::uint32_t>(bits ^ (bits >> 32)) & 0x7fffffffu;
    if (folded <= 32) folded |= 0x40000000u;
    return folded;
  }();
  return handle;
}

void* executable_procedure(std::string_view name) {
  static void* const self = ::dlopen(nullptr, RTLD_LAZY);
  if (self == nullptr) return nullptr;
  return ::dlsym(self, std::string(name).c_str());
}

}  // namespace platform
