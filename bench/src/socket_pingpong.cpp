#include "socket_pingpong.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include <ztl/channel.h>

#include "raw_channel.h"

namespace bench {
namespace {

constexpr std::size_t kFrameBytes = ZTL_FRAME_HEADER_SIZE + 4;

struct Frame {
  ZtlFrameHeader header;
  std::uint32_t word;
};
static_assert(sizeof(Frame) == kFrameBytes);

// False at a clean end of stream before the first byte.
bool read_full(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<std::uint8_t*>(data);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = read(fd, bytes + got, size - got);
    if (n == 0 && got == 0) return false;
    if (n == 0) throw std::runtime_error("socket: the stream ended inside a frame");
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error(std::string("socket: read failed: ") + std::strerror(errno));
    got += static_cast<std::size_t>(n);
  }
  return true;
}

void write_full(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::size_t sent = 0;
  while (sent < size) {
    // No SIGPIPE: a peer that went away is an error to report, not a signal.
    const ssize_t n = send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error(std::string("socket: write failed: ") + std::strerror(errno));
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

SocketPair::SocketPair() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) {
    throw std::runtime_error(std::string("cannot make a socket pair: ") + std::strerror(errno));
  }
}

SocketPair::~SocketPair() {
  for (int fd : fds_) {
    if (fd >= 0) close(fd);
  }
}

void socket_serve(int fd) {
  Frame frame;
  while (read_full(fd, &frame, sizeof frame)) {
    if (frame.header.code == kRawStopCode) return;
    frame.word += 1;
    write_full(fd, &frame, sizeof frame);
  }
}

void SocketClient::round_trips(std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t word = ++counter_;
    Frame frame{{kRawSmallCode, 7, 4, 4, 1}, word};
    write_full(fd_, &frame, sizeof frame);
    if (!read_full(fd_, &frame, sizeof frame) || frame.word != word + 1) {
      throw std::runtime_error("socket client: wrong reply");
    }
  }
}

void SocketClient::stop() {
  const Frame frame{{kRawStopCode, 0, 0, 0, 1}, 0};
  write_full(fd_, &frame, sizeof frame);
}

}  // namespace bench
