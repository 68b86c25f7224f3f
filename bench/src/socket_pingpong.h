// Baseline 2: the same 20+4-byte frame passed over a Unix stream socket pair.
#pragma once

#include <cstddef>

namespace bench {

class SocketPair {
 public:
  SocketPair();  // AF_UNIX, SOCK_STREAM
  ~SocketPair();
  SocketPair(const SocketPair&) = delete;
  SocketPair& operator=(const SocketPair&) = delete;

  int client_end() const noexcept { return fds_[0]; }
  int server_end() const noexcept { return fds_[1]; }

 private:
  int fds_[2] = {-1, -1};
};

// Echoes frames with the payload word plus one until a stop frame or the end.
void socket_serve(int fd);

class SocketClient {
 public:
  explicit SocketClient(int fd) : fd_(fd) {}
  void round_trips(std::size_t n);  // throws on a wrong reply
  void stop();

 private:
  int fd_;
  unsigned counter_ = 0;
};

}  // namespace bench
