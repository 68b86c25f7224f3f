// Whether a display is there: an X or Wayland server that answers a connect,
// so that Qt is never asked to open a display it cannot (it would abort).
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <netdb.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "desktop/desktop_front_end.h"

namespace desktop {

namespace {

constexpr int kConnectTimeoutMs = 1000;

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// A connect that gives up after the time-out (a remote display may not answer).
bool connects(int family, int type, int protocol, const sockaddr* address, socklen_t length) {
  Socket socket(::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
  if (socket.fd() < 0) return false;
  if (::connect(socket.fd(), address, length) == 0) return true;
  if (errno != EINPROGRESS) return false;
  pollfd entry{socket.fd(), POLLOUT, 0};
  if (::poll(&entry, 1, kConnectTimeoutMs) != 1) return false;
  int error = 0;
  socklen_t size = sizeof error;
  return ::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool unix_socket_answers(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) return false;
  path.copy(address.sun_path + offset, path.size());
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
  return connects(AF_UNIX, SOCK_STREAM, 0, reinterpret_cast<const sockaddr*>(&address), length);
}

// "[host]:N[.screen]": the local socket of display N, or TCP port 6000 + N.
bool x_display_answers(const std::string& display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos || colon + 1 >= display.size()) return false;
  const std::string host = display.substr(0, colon);
  const int number = std::atoi(display.c_str() + colon + 1);
  if (host.empty() || host == "unix") {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    return unix_socket_answers(path, false) || unix_socket_answers(path, true);
  }
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(6000 + number).c_str(), &hints, &found) != 0) return false;
  bool answered = false;
  for (addrinfo* at = found; at != nullptr && !answered; at = at->ai_next) {
    answered = connects(at->ai_family, at->ai_socktype, at->ai_protocol, at->ai_addr, at->ai_addrlen);
  }
  ::freeaddrinfo(found);
  return answered;
}

bool wayland_display_answers(const std::string& display) {
  if (display.front() == '/') return unix_socket_answers(display, false);
  const std::string runtime = variable("XDG_RUNTIME_DIR");
  return !runtime.empty() && unix_socket_answers(runtime + "/" + display, false);
}

}  // namespace

bool display_reachable() {
  // A platform chosen explicitly (offscreen, a VNC server) is Qt's to open.
  if (!variable("QT_QPA_PLATFORM").empty()) return true;
  const std::string wayland = variable("WAYLAND_DISPLAY");
  if (!wayland.empty() && wayland_display_answers(wayland)) return true;
  const std::string x = variable("DISPLAY");
  return !x.empty() && x_display_answers(x);
}

}  // namespace desktop
