// The kernel-object namespace: named mappings and events of one user (or of the
// namespace that ZTL_NAMESPACE selects) meet; others never see them. Children
// inherit the variable, so a test and everything it starts share one namespace.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr const char* kNamespaceVariable = "ZTL_NAMESPACE";

// The namespace in force: ZTL_NAMESPACE if set and valid, else "u<uid>".
std::string kernel_namespace();

// The POSIX shared-memory name for an object name in the current namespace.
// Names may hold any bytes; characters outside [A-Za-z0-9_.-] are escaped.
std::string shm_name_for(std::string_view object_name);

}  // namespace platform
