#include "append_line.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/error.h"

namespace platform::detail {

void append_line(const std::string& path, std::string_view line) {
  std::string text(line);
  text.push_back('\n');
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw_errno("open " + path);
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t count = ::write(fd, text.data() + done, text.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      int error = errno;
      ::close(fd);
      throw SystemError("append to " + path, error);
    }
    done += static_cast<std::size_t>(count);
  }
  if (::close(fd) < 0) throw_errno("append to " + path);
}

}  // namespace platform::detail
