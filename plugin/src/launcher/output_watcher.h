// Watches a running script's output pipe and process on a thread of its own,
// and ends the dispatcher's wait as soon as there is output to read or the
// script has ended, so a run never sits out a 100-ms wait while the script is
// blocked on a full pipe or already gone.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace scriptlink {

class OutputWatcher {
 public:
  // pipe_fd may be -1 (nothing captured); process_fd is a pidfd. wake is
  // called on the watcher's thread.
  OutputWatcher(int pipe_fd, int process_fd, std::function<void()> wake);
  ~OutputWatcher();
  OutputWatcher(const OutputWatcher&) = delete;
  OutputWatcher& operator=(const OutputWatcher&) = delete;

  // The run has read the pipe: watch it again.
  void Rearm();

 private:
  void Run(int pipe_fd, int process_fd);
  bool WaitForRearm();

  std::function<void()> wake_;
  int stop_fd_ = -1;
  std::mutex mutex_;
  std::condition_variable rearmed_;
  bool armed_ = true;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace scriptlink
