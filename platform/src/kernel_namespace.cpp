#include "platform/kernel_namespace.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {

bool is_plain(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '-';
}

bool valid_namespace(std::string_view ns) {
  if (ns.empty() || ns.size() > 64) return false;
  for (char c : ns)
    if (!is_plain(c)) return false;
  return true;
}

std::uint64_t fnv1a(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// shm names are one path component; keep well below NAME_MAX.
constexpr std::size_t kMaxEscapedName = 180;

}  // namespace

std::string kernel_namespace() {
  const char* chosen = std::getenv(kNamespaceVariable);
  if (chosen != nullptr && valid_namespace(chosen)) return chosen;
  return "u" + std::to_string(getuid());
}

std::string shm_name_for(std::string_view object_name) {
  std::string escaped;
  for (unsigned char c : object_name) {
    if (is_plain(static_cast<char>(c))) {
      escaped += static_cast<char>(c);
    } else {
      char buffer[4];
      std::snprintf(buffer, sizeof buffer, "%%%02X", c);
      escaped += buffer;
    }
  }
  if (escaped.size() > kMaxEscapedName) {
    // Long names keep a prefix and a hash of the whole name, so they stay distinct.
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "~%016llx",
                  static_cast<unsigned long long>(fnv1a(object_name)));
    escaped = escaped.substr(0, kMaxEscapedName) + buffer;
  }
  // '+' never occurs in a namespace nor unescaped in a name, so the parts cannot run together.
  return "/ztl+" + kernel_namespace() + "+" + escaped;
}

}  // namespace platform
