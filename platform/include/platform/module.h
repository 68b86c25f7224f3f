// The module of the host executable and procedure look-up by name: what a
// plug-in binds the host's API with.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// The value that stands for the executable's module handle: fixed for the life
// of the process, and always above 32 (an address whose low 32 bits happen to
// be small is folded, never refused).
std::uint32_t executable_module_handle();

// The address of an exported function of the executable, or nullptr.
void* executable_procedure(std::string_view name);

}  // namespace platform
