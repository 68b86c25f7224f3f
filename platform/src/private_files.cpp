#include "private_files.h"

#include "platform/error.h"
#include "unique_fd.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace platform::detail {
namespace {

std::string octal_mode(mode_t mode) {
  std::string text = "0000";
  for (int digit = 3; digit >= 0; --digit, mode >>= 3) text[digit] = static_cast<char>('0' + (mode & 7));
  return text;
}

void write_all(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) throw_errno("write the file " + path);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string read_all(int fd, const std::string& path) {
  std::string content;
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) return content;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw_errno("read the file " + path);
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string unique_sibling(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  return path + ".new" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(random() % 1000000);
}

// The name of a file that is removed when the scope ends (a link made from it stays).
class ScratchName {
 public:
  explicit ScratchName(std::string path) : path_(std::move(path)) {}
  ScratchName(const ScratchName&) = delete;
  ScratchName& operator=(const ScratchName&) = delete;
  ~ScratchName() { ::unlink(path_.c_str()); }
  const std::string& path() const noexcept { return path_; }

 private:
  std::string path_;
};

}  // namespace

std::string describe_user(uid_t uid) {
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  const std::string number = "uid " + std::to_string(uid);
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
    return number;
  return "user " + std::string(found->pw_name) + " (" + number + ")";
}

void require_ours(const struct stat& info, const std::string& what, bool owner_only) {
  if (info.st_uid != ::geteuid())
    throw SystemError(what + " belongs to " + describe_user(info.st_uid) +
                          ", not to this user: refused",
                      EACCES);
  if (owner_only && (info.st_mode & 077) != 0)
    throw SystemError(what + " is open to other users (mode " + octal_mode(info.st_mode & 07777) +
                          "): refused",
                      EACCES);
}

std::string runtime_folder_path() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0')
    return std::string(runtime) + "/zentrella";
  return "/tmp/zentrella-" + std::to_string(::geteuid());
}

void make_private_folder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw_errno("create the folder " + folder);
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) throw_errno("inspect the folder " + folder);
  const std::string what = "the runtime folder " + folder;
  require_ours(info, what, true);
  // Checked after the owner, so that a link another user planted is reported as his.
  if (!S_ISDIR(info.st_mode)) throw SystemError(what + " is not a folder: refused", ENOTDIR);
}

std::optional<std::string> read_own_file(const std::string& path, bool owner_only) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    if (errno == ELOOP) throw SystemError("the file " + path + " is a link: refused", ELOOP);
    throw_errno("open the file " + path);
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) throw_errno("inspect the file " + path);
  require_ours(info, "the file " + path, owner_only);
  if (!S_ISREG(info.st_mode)) throw SystemError("the file " + path + " is not a plain file: refused", EINVAL);
  return read_all(fd.get(), path);
}

void require_own_file_if_present(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return;
    throw_errno("inspect the file " + path);
  }
  require_ours(info, "the file " + path, false);
  if (!S_ISREG(info.st_mode)) throw SystemError("the file " + path + " is not a plain file: refused", EINVAL);
}

void create_file_once(const std::string& path, std::string_view content) {
  // Written whole under a name of its own, then linked: nobody ever reads half a file.
  const std::string scratch_path = unique_sibling(path);
  UniqueFd fd(::open(scratch_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0) throw_errno("create the file " + scratch_path);
  ScratchName scratch(scratch_path);
  if (::fchmod(fd.get(), 0600) != 0) throw_errno("set the mode of " + scratch.path());
  write_all(fd.get(), content, scratch.path());
  if (::fsync(fd.get()) != 0) throw_errno("write the file " + scratch.path());
  // EEXIST: another process put its file in place first; the caller reads that one.
  if (::link(scratch.path().c_str(), path.c_str()) != 0 && errno != EEXIST)
    throw_errno("put the file " + path + " in place");
}

}  // namespace platform::detail
