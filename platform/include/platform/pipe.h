// Anonymous pipes for capturing a child's output. The read end never blocks
// while the child runs: peek tells what is waiting, read takes at most that.
#pragma once

#include <cstddef>
#include <chrono>
#include <string>

namespace platform {

class PipeWriteEnd {
 public:
  PipeWriteEnd() = default;
  explicit PipeWriteEnd(int fd) noexcept : fd_(fd) {}
  PipeWriteEnd(PipeWriteEnd&&) noexcept;
  PipeWriteEnd& operator=(PipeWriteEnd&&) noexcept;
  ~PipeWriteEnd();
  int fd() const noexcept { return fd_; }
  void close() noexcept;

 private:
  int fd_ = -1;
};

class PipeReadEnd {
 public:
  PipeReadEnd() = default;
  explicit PipeReadEnd(int fd) noexcept : fd_(fd) {}
  PipeReadEnd(PipeReadEnd&&) noexcept;
  PipeReadEnd& operator=(PipeReadEnd&&) noexcept;
  ~PipeReadEnd();
  int fd() const noexcept { return fd_; }

  // Bytes waiting in the pipe now.
  std::size_t peek() const;
  // Appends up to max bytes that are waiting now; never blocks. Returns the count.
  std::size_t read_available(std::string& out, std::size_t max);
  // Blocking read of up to max bytes; 0 means no writer is left.
  std::size_t read_blocking(std::string& out, std::size_t max);
  // Waits until data is waiting or the writers are gone, at most timeout.
  bool wait_readable(std::chrono::milliseconds timeout) const;
  void close() noexcept;

 private:
  int fd_ = -1;
};

struct Pipe {
  PipeReadEnd read;
  PipeWriteEnd write;
  // Both ends close on exec; the launcher hands the write end to the child alone.
  static Pipe create();
};

}  // namespace platform
