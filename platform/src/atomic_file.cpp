#include "platform/atomic_file.h"

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/testing.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t kNoFailure = static_cast<std::size_t>(-1);
// Bytes that may still be written before the test seam makes writes fail.
std::atomic<std::size_t> write_budget{kNoFailure};

// write(2) with the test seam in front of it.
ssize_t checked_write(int fd, const char* bytes, std::size_t length) {
  std::size_t budget = write_budget.load();
  if (budget != kNoFailure) {
    if (budget == 0) {
      errno = EIO;
      return -1;
    }
    length = std::min(length, budget);
  }
  ssize_t written = ::write(fd, bytes, length);
  if (written > 0 && budget != kNoFailure) write_budget.store(budget - static_cast<std::size_t>(written));
  return written;
}

void write_all(int fd, std::string_view bytes, const std::string& what) {
  while (!bytes.empty()) {
    ssize_t written = checked_write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw_errno(what);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string temporary_name_for(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  return path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(random() % 1000000);
}

// The temporary file while it is being written: removed unless it was renamed.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& path) {
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      name_ = temporary_name_for(path);
      fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd_ < 0 && errno != EEXIST) throw_errno("create a temporary file for " + path);
    }
    if (fd_ < 0) throw_errno("create a temporary file for " + path);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(name_.c_str());
  }
  int fd() const noexcept { return fd_; }
  const std::string& name() const noexcept { return name_; }
  void close(const std::string& what) {
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) throw_errno(what);
  }
  void keep() noexcept { kept_ = true; }

 private:
  std::string name_;
  int fd_ = -1;
  bool kept_ = false;
};

void sync_folder(const std::string& path) {
  std::string folder = paths::folder_of(path);
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename is done; this only hastens it to disk
  ::fsync(fd);
  ::close(fd);
}

// A descriptor closed on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const noexcept { return fd_; }
  void close(const std::string& what) {
    if (::close(std::exchange(fd_, -1)) != 0) throw_errno(what);
  }

 private:
  int fd_;
};

// As many hops as the kernel itself follows.
constexpr int kMaxLinkHops = 40;

std::string link_target(const std::string& link) {
  std::string target(4096, '\0');
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length < 0) throw_errno("read the symbolic link " + link);
  if (static_cast<std::size_t>(length) >= target.size()) throw SystemError("read the symbolic link " + link, ENAMETOOLONG);
  target.resize(static_cast<std::size_t>(length));
  if (!target.empty() && target.front() == '/') return target;
  return paths::folder_of(link) + target;
}

// The file a path finally names once its symbolic links are followed; it may
// not exist yet (a dangling link names the file to create).
std::string final_target(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno == ENOENT) return current;
      throw_errno("write the file " + path);
    }
    if (!S_ISLNK(info.st_mode)) return current;
    current = link_target(current);
  }
  throw SystemError("write the file " + path, ELOOP);
}

std::string kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

// A device, FIFO or socket is written in place: replacing it with a regular
// file would break whoever reads it.
void write_in_place(const std::string& path, std::string_view bytes) {
  const std::string what = "write " + path;
  // Non-blocking so a FIFO without a reader fails at once (ENXIO) instead of
  // waiting for ever; the writes themselves block as usual.
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENXIO) throw FileRefused(path + " cannot be written: no process is reading it");
    throw_errno(what);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw_errno(what);
  if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) throw FileRefused(path + " changed while it was being written");
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) throw_errno(what);
  write_all(file.get(), bytes, what);
  file.close(what);
}

// A regular file (or none yet) is replaced whole: a temporary file beside it,
// synced, then renamed over it.
void replace_atomically(const std::string& path, std::string_view bytes) {
  const std::string what = "write the file " + path;
  // A new file gets rw-r--r--; a replaced one keeps its mode.
  mode_t mode = 0644;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;

  TemporaryFile temporary(path);
  if (::fchmod(temporary.fd(), mode) != 0) throw_errno(what);
  write_all(temporary.fd(), bytes, what);
  if (::fsync(temporary.fd()) != 0) throw_errno(what);
  temporary.close(what);
  if (::rename(temporary.name().c_str(), path.c_str()) != 0) throw_errno(what);
  temporary.keep();
  sync_folder(path);
}

// A regular file reached through a link that names no real path: not
// atomic, but the only way to reach it.
void write_in_place_truncated(const std::string& path, std::string_view bytes) {
  const std::string what = "write the file " + path;
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) throw_errno(what);
  write_all(file.get(), bytes, what);
  if (::fsync(file.get()) != 0) throw_errno(what);
  file.close(what);
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::string size_text(std::size_t bytes) {
  if (bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MiB";
  return std::to_string(bytes) + " bytes";
}

[[noreturn]] void refuse_size(const std::string& path, std::size_t max_bytes) {
  throw FileRefused(path + " is larger than the limit of " + size_text(max_bytes));
}

}  // namespace

namespace testing {
void fail_writes_after(std::size_t bytes) { write_budget.store(bytes); }
void stop_failing_writes() { write_budget.store(kNoFailure); }
}  // namespace testing

void write_file_atomically(const std::string& path, std::string_view bytes) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) throw_errno("write the file " + path);
    return replace_atomically(final_target(path), bytes);  // new, or a dangling link's target
  }
  if (S_ISDIR(info.st_mode)) throw FileRefused(path + " cannot be written: it is a folder");
  if (!S_ISREG(info.st_mode)) return write_in_place(path, bytes);
  const std::string target = final_target(path);
  struct stat at_target {};
  // A link the kernel resolves by itself (/proc/self/fd/N) names no path that
  // can be replaced: such a file is rewritten in place.
  if (::stat(target.c_str(), &at_target) != 0 || !same_file(info, at_target)) return write_in_place_truncated(path, bytes);
  replace_atomically(target, bytes);
}

std::optional<std::string> read_whole_file(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw_errno("read the file " + path);
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      ::close(fd);
      throw SystemError("read the file " + path, error);
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return content;
}

namespace {

// Reads a regular file up to max_bytes; with refuse_more, a longer file is
// refused instead of cut.
std::optional<std::string> read_regular(const std::string& path, std::size_t max_bytes, bool refuse_more) {
  const std::string what = "read the file " + path;
  // Non-blocking so that opening a FIFO returns at once; it is refused below.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw_errno(what);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw_errno(what);
  if (!S_ISREG(info.st_mode)) throw FileRefused(path + " is " + kind_of(info.st_mode) + ", not a regular file");
  if (refuse_more && static_cast<std::uintmax_t>(info.st_size) > max_bytes) refuse_size(path, max_bytes);
  std::string content;
  content.reserve(std::min(static_cast<std::size_t>(info.st_size), max_bytes));
  char buffer[65536];
  while (content.size() < max_bytes || refuse_more) {
    // One byte past the limit tells a file that is longer than it.
    const std::size_t room = max_bytes - std::min(max_bytes, content.size());
    const ssize_t got = ::read(file.get(), buffer, room < sizeof buffer ? room + 1 : sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw_errno(what);
    }
    content.append(buffer, static_cast<std::size_t>(got));
    // The file may grow while it is read.
    if (content.size() > max_bytes) {
      if (refuse_more) refuse_size(path, max_bytes);
      content.resize(max_bytes);
    }
  }
  return content;
}

}  // namespace

std::optional<std::string> read_regular_file(const std::string& path, std::size_t max_bytes) {
  return read_regular(path, max_bytes, true);
}

std::optional<std::string> read_regular_file_start(const std::string& path, std::size_t max_bytes) {
  return read_regular(path, max_bytes, false);
}

}  // namespace platform
