#include "platform/kernel_namespace.h"

#include "platform/error.h"
#include "keyed_hash.h"
#include "private_files.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <sys/random.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

bool is_plain(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '-';
}

constexpr std::size_t kMaxNamespace = 64;

bool valid_namespace(std::string_view ns) {
  if (ns.empty() || ns.size() > kMaxNamespace) return false;
  for (char c : ns)
    if (!is_plain(c)) return false;
  return true;
}

std::uint64_t fnv1a(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// shm names are one path component ("ztl+<namespace>+<name>" under /dev/shm):
// a long name keeps this much of its escaped form and a 17-character hash.
constexpr std::size_t kMaxEscapedName = 160;
static_assert(4 + kMaxNamespace + 1 + kMaxEscapedName + 17 <= NAME_MAX);

// 128 random bits, as hex, make the default namespace unguessable to other users.
constexpr std::size_t kKeyBytes = 16;
constexpr const char* kKeyFile = "namespace-key";
// "u" + a 32-bit uid + "-" + the key still makes a valid namespace.
static_assert(1 + 10 + 1 + 2 * kKeyBytes <= kMaxNamespace);

std::string random_key() {
  unsigned char bytes[kKeyBytes];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t count = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw_errno("draw a random namespace key");
    got += static_cast<std::size_t>(count);
  }
  std::string key;
  for (unsigned char byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    key += digits;
  }
  return key;
}

bool valid_key(std::string_view key) {
  if (key.size() != 2 * kKeyBytes) return false;
  for (char c : key)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// The key kept in the runtime folder, made on first use. The host, its plug-in
// and every script of the user read the same file, so they meet.
std::string load_key(const std::string& folder) {
  detail::make_private_folder(folder);
  const std::string path = folder + "/" + kKeyFile;
  std::optional<std::string> key = detail::read_own_file(path, true);
  if (!key) {
    detail::create_file_once(path, random_key());
    key = detail::read_own_file(path, true);
  }
  if (!key) throw SystemError("the namespace key " + path + " vanished as it was made", ENOENT);
  if (!valid_key(*key))
    throw SystemError("the namespace key " + path +
                          " does not hold 32 hex digits: refused (remove it to make a new one)",
                      EINVAL);
  return *key;
}

// Read once per process (per user and folder): every named object asks for it.
std::string default_namespace() {
  static std::mutex lock;
  static std::map<std::pair<uid_t, std::string>, std::string> known;
  auto where = std::make_pair(::geteuid(), detail::runtime_folder_path());
  {
    std::lock_guard guard(lock);
    if (auto found = known.find(where); found != known.end()) return found->second;
  }
  std::string ns = "u" + std::to_string(where.first) + "-" + load_key(where.second);
  std::lock_guard guard(lock);
  return known.try_emplace(std::move(where), std::move(ns)).first->second;
}

std::optional<std::string> chosen_namespace() {
  const char* chosen = std::getenv(kNamespaceVariable);
  if (chosen != nullptr && valid_namespace(chosen)) return std::string(chosen);
  return std::nullopt;
}

// A chosen namespace keeps names readable: tests and a user who picked one look at them.
std::string readable_shm_name(const std::string& ns, std::string_view object_name) {
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
  return "/ztl+" + ns + "+" + escaped;
}

std::string to_hex(const detail::Hash128& bytes) {
  std::string text;
  for (std::uint8_t byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text;
}

// /dev/shm can be listed by everyone: a default-namespace name shows the user but
// neither the key nor the object, so nobody else can compute a name to take first.
// '=' never occurs in a readable name, so the two forms cannot meet.
std::string keyed_shm_name(const std::string& ns, std::string_view object_name) {
  const std::size_t dash = ns.rfind('-');
  detail::HashKey key{};
  for (std::size_t i = 0; i < key.size(); ++i)
    key[i] = static_cast<std::uint8_t>(std::stoul(ns.substr(dash + 1 + 2 * i, 2), nullptr, 16));
  return "/ztl+" + ns.substr(0, dash) + "=" + to_hex(detail::keyed_hash(key, object_name));
}

}  // namespace

std::string kernel_namespace() {
  if (auto chosen = chosen_namespace()) return *chosen;
  return default_namespace();
}

std::string shm_name_for(std::string_view object_name) {
  if (auto chosen = chosen_namespace()) return readable_shm_name(*chosen, object_name);
  return keyed_shm_name(default_namespace(), object_name);
}

}  // namespace platform
