// Helpers shared by the platform tests: a namespace of kernel objects per test,
// and running a piece of a test in a forked child.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::test {

// Gives the running test a namespace of its own (pid + test name), so tests run
// side by side without meeting; children inherit it.
class ScopedNamespace {
 public:
  ScopedNamespace() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("t") + std::to_string(::getpid()) + "_" +
                       info->test_suite_name() + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    ::setenv("ZTL_NAMESPACE", name.c_str(), 1);
  }
  ScopedNamespace(const ScopedNamespace&) = delete;
  ScopedNamespace& operator=(const ScopedNamespace&) = delete;
  ~ScopedNamespace() { ::unsetenv("ZTL_NAMESPACE"); }
};

// Starts body in a forked child; the child exits with body's result (2 when it threw).
// A watchdog kills a child that hangs.
inline pid_t start_child(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(20);
    int code = 2;
    try {
      code = body();
    } catch (...) {
    }
    ::_exit(code);
  }
  return pid;
}

// The child's exit code, or 128 + signal.
inline int wait_child(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

inline int run_in_child(const std::function<int()>& body) { return wait_child(start_child(body)); }

// A pipe for a child to tell the parent that it is ready.
class ReadyPipe {
 public:
  ReadyPipe() {
    if (::pipe(fds_) != 0) std::abort();
  }
  ReadyPipe(const ReadyPipe&) = delete;
  ReadyPipe& operator=(const ReadyPipe&) = delete;
  ~ReadyPipe() {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  void signal() const {
    char byte = 1;
    [[maybe_unused]] auto written = ::write(fds_[1], &byte, 1);
  }
  bool wait() const {
    char byte = 0;
    return ::read(fds_[0], &byte, 1) == 1;
  }

 private:
  int fds_[2] = {-1, -1};
};

}  // namespace platform::test
