#include "platform/pipe.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/error.h"

namespace platform {
namespace {

void close_fd(int& fd) noexcept {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

int poll_timeout(std::chrono::milliseconds timeout) {
  if (timeout.count() <= 0) return 0;
  return timeout.count() > INT_MAX ? INT_MAX : static_cast<int>(timeout.count());
}

// One read of up to max bytes appended to out; 0 at end of input.
std::size_t read_into(int fd, std::string& out, std::size_t max) {
  std::size_t old_size = out.size();
  out.resize(old_size + max);
  for (;;) {
    ssize_t count = ::read(fd, out.data() + old_size, max);
    if (count >= 0) {
      out.resize(old_size + static_cast<std::size_t>(count));
      return static_cast<std::size_t>(count);
    }
    if (errno == EINTR) continue;
    int error = errno;
    out.resize(old_size);
    throw SystemError("read from pipe", error);
  }
}

}  // namespace

PipeWriteEnd::PipeWriteEnd(PipeWriteEnd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

PipeWriteEnd& PipeWriteEnd::operator=(PipeWriteEnd&& other) noexcept {
  if (this != &other) {
    close_fd(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

PipeWriteEnd::~PipeWriteEnd() { close_fd(fd_); }

void PipeWriteEnd::close() noexcept { close_fd(fd_); }

PipeReadEnd::PipeReadEnd(PipeReadEnd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

PipeReadEnd& PipeReadEnd::operator=(PipeReadEnd&& other) noexcept {
  if (this != &other) {
    close_fd(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

PipeReadEnd::~PipeReadEnd() { close_fd(fd_); }

void PipeReadEnd::close() noexcept { close_fd(fd_); }

std::size_t PipeReadEnd::peek() const {
  int waiting = 0;
  if (::ioctl(fd_, FIONREAD, &waiting) < 0) throw_errno("peek into pipe");
  return waiting > 0 ? static_cast<std::size_t>(waiting) : 0;
}

std::size_t PipeReadEnd::read_available(std::string& out, std::size_t max) {
  std::size_t waiting = peek();
  std::size_t wanted = waiting < max ? waiting : max;
  // With nothing waiting a read would block while a writer is left.
  if (wanted == 0) return 0;
  return read_into(fd_, out, wanted);
}

std::size_t PipeReadEnd::read_blocking(std::string& out, std::size_t max) {
  if (max == 0) return 0;
  return read_into(fd_, out, max);
}

bool PipeReadEnd::wait_readable(std::chrono::milliseconds timeout) const {
  pollfd entry{fd_, POLLIN, 0};
  for (;;) {
    int rc = ::poll(&entry, 1, poll_timeout(timeout));
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) throw_errno("wait for pipe");
  }
}

Pipe Pipe::create() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) < 0) throw_errno("create pipe");
  Pipe pipe;
  pipe.read = PipeReadEnd(fds[0]);
  pipe.write = PipeWriteEnd(fds[1]);
  return pipe;
}

}  // namespace platform
