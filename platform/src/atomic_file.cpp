#include "platform/atomic_file.h"

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/testing.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
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

}  // namespace

namespace testing {
void fail_writes_after(std::size_t bytes) { write_budget.store(bytes); }
void stop_failing_writes() { write_budget.store(kNoFailure); }
}  // namespace testing

void write_file_atomically(const std::string& path, std::string_view bytes) {
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

}  // namespace platform
