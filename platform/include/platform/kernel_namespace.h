// The kernel-object namespace: named mappings and events of one user (or of the
// namespace that ZTL_NAMESPACE selects) meet. Children inherit the variable, so
// a test and everything it starts share one namespace. Other users cannot
// guess the default one; whatever they make under a name is refused anyway
// (see named_object.h).
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr const char* kNamespaceVariable = "ZTL_NAMESPACE";

// The namespace in force: ZTL_NAMESPACE if set and valid, else "u<euid>-<key>",
// the key being 32 random hex digits kept in the file namespace-key (mode 0600)
// of the user's runtime folder ($XDG_RUNTIME_DIR/zentrella, else
// /tmp/zentrella-<euid>), made on first use. Throws SystemError when the folder
// or the key file is not this user's alone, or the key is damaged.
std::string kernel_namespace();

// The POSIX shared-memory name for an object name in the current namespace.
// In a chosen namespace: "/ztl+<namespace>+<name>", characters outside
// [A-Za-z0-9_.-] escaped. In the default one: "/ztl+u<euid>=<hash>", a hash of
// the name keyed with the user's key, so that the name tells others nothing.
std::string shm_name_for(std::string_view object_name);

}  // namespace platform
