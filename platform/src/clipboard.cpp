#include "platform/clipboard.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/pipe.h"
#include "private_files.h"
#include "spawn.h"

namespace platform::clipboard {
namespace {

using namespace std::chrono_literals;

// How long a clipboard tool may take before we stop waiting for it.
constexpr auto kToolPatience = 5s;

struct DesktopTool {
  std::string name;
  std::vector<std::string> copy;
  std::vector<std::string> paste;
};

bool is_set(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

std::optional<DesktopTool> wayland_tool() {
  auto copy = detail::find_program("wl-copy");
  auto paste = detail::find_program("wl-paste");
  if (copy && paste) return DesktopTool{"wl-copy", {*copy}, {*paste, "--no-newline"}};
  return std::nullopt;
}

// The X tools need DISPLAY: under Wayland alone they could not reach a server.
std::optional<DesktopTool> x_tool() {
  if (auto xclip = detail::find_program("xclip")) {
    return DesktopTool{"xclip", {*xclip, "-selection", "clipboard", "-in"}, {*xclip, "-selection", "clipboard", "-out"}};
  }
  if (auto xsel = detail::find_program("xsel")) {
    return DesktopTool{"xsel", {*xsel, "--clipboard", "--input"}, {*xsel, "--clipboard", "--output"}};
  }
  return std::nullopt;
}

std::string own_clipboard_file();

// A desktop without a clipboard tool: the text stays in the host's own file,
// which the user cannot paste from; said once per process, not per copy.
void tell_no_tool_once() {
  static std::once_flag told;
  std::call_once(told, [] {
    std::fprintf(stderr,
                 "clipboard: no clipboard tool (wl-copy, xclip or xsel) is installed; "
                 "the clipboard is the file %s\n",
                 own_clipboard_file().c_str());
  });
}

std::optional<DesktopTool> desktop_tool() {
  const bool wayland = is_set("WAYLAND_DISPLAY");
  const bool x = is_set("DISPLAY");
  if (wayland) {
    if (auto tool = wayland_tool()) return tool;
  }
  if (x) {
    if (auto tool = x_tool()) return tool;
  }
  if (wayland || x) tell_no_tool_once();
  return std::nullopt;
}

// A clipboard tool we started: waited for a while, then left to the reaper
// (xclip and wl-copy stay behind serving the text), never a zombie.
class ToolProcess {
 public:
  explicit ToolProcess(const detail::SpawnSpec& spec) : child_(detail::spawn(spec)) {}
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;
  ~ToolProcess() {
    if (reaped_) {
      ::close(child_.pidfd);
      return;
    }
    try {
      detail::hand_to_reaper(child_.pid, child_.pidfd);
    } catch (...) {
      ::close(child_.pidfd);
    }
  }

  // The exit status when the tool ended within the time-out.
  std::optional<int> wait(std::chrono::milliseconds timeout) {
    pollfd entry{child_.pidfd, POLLIN, 0};
    int rc;
    do {
      rc = ::poll(&entry, 1, static_cast<int>(timeout.count()));
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0) return std::nullopt;
    int status = 0;
    pid_t result;
    do {
      result = ::waitpid(child_.pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    reaped_ = true;
    if (result != child_.pid) return 0;  // reaped elsewhere: nothing to report
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  void kill() { ::kill(child_.pid, SIGKILL); }

 private:
  detail::Spawned child_;
  bool reaped_ = false;
};

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() { close(); }
  int fd() const { return fd_; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// A socket pair rather than a pipe feeds the tool, so that a tool dying early
// gives us EPIPE instead of killing the host with SIGPIPE.
void send_all(int fd, std::string_view text, const std::string& tool) {
  while (!text.empty()) {
    ssize_t count = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw SystemError("hand the text to " + tool, errno);
    text.remove_prefix(static_cast<std::size_t>(count));
  }
}

void set_with_tool(const DesktopTool& tool, std::string_view text) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) < 0) {
    throw_errno("start " + tool.name);
  }
  Socket ours(ends[0]);
  Socket theirs(ends[1]);
  detail::SpawnSpec spec;
  spec.argv = tool.copy;
  spec.stdin_fd = theirs.fd();
  // Silent and in a session of its own: the tool keeps serving the text after
  // we exit and never holds our output open.
  spec.stdout_fd = spec.stderr_fd = detail::kNullDevice;
  spec.new_session = true;
  ToolProcess process(spec);
  theirs.close();
  send_all(ours.fd(), text, tool.name);
  ours.close();
  std::optional<int> status = process.wait(kToolPatience);
  if (status && *status != 0) {
    throw std::runtime_error("cannot put the text on the clipboard: " + tool.name +
                             " exited with " + std::to_string(*status));
  }
}

std::string get_with_tool(const DesktopTool& tool) {
  Pipe pipe = Pipe::create();
  detail::SpawnSpec spec;
  spec.argv = tool.paste;
  spec.stdin_fd = spec.stderr_fd = detail::kNullDevice;
  spec.stdout_fd = pipe.write.fd();
  ToolProcess process(spec);
  pipe.write.close();
  std::string text;
  for (;;) {
    if (!pipe.read.wait_readable(kToolPatience)) {
      process.kill();
      throw std::runtime_error("cannot read the clipboard: " + tool.name + " does not answer");
    }
    if (pipe.read.read_blocking(text, 65536) == 0) break;
  }
  std::optional<int> status = process.wait(kToolPatience);
  // The tools fail when the clipboard holds no text: that is an empty clipboard.
  return status && *status == 0 ? text : std::string();
}

// The host's own clipboard lives in the private runtime folder; what is found
// there must be ours.
std::string own_clipboard_file() {
  std::string folder = detail::runtime_folder_path();
  detail::make_private_folder(folder);
  std::string file = folder + "/clipboard";
  detail::require_own_file_if_present(file);
  return file;
}

std::optional<std::string> chosen_file() {
  const char* file = std::getenv(kClipboardFileVariable);
  if (file && *file) return std::string(file);
  return std::nullopt;
}

}  // namespace

void set_text(std::string_view text) {
  if (auto file = chosen_file()) return write_file_atomically(*file, text);
  if (auto tool = desktop_tool()) return set_with_tool(*tool, text);
  std::string file = own_clipboard_file();
  // Made 0600 first: the atomic write keeps the mode of the file it replaces.
  detail::create_file_once(file, "");
  write_file_atomically(file, text);
}

std::string get_text() {
  if (auto file = chosen_file()) return read_whole_file(*file).value_or("");
  if (auto tool = desktop_tool()) return get_with_tool(*tool);
  return detail::read_own_file(own_clipboard_file(), false).value_or("");
}

}  // namespace platform::clipboard
