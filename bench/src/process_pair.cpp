#include "process_pair.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bench {
namespace {

static_assert(sizeof(cpu_set_t) <= 128);

constexpr int kReadyTimeoutMs = 10000;

void pin_to(const CpuSet& cpus) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (int cpu : cpus) CPU_SET(cpu, &set);
  if (sched_setaffinity(0, sizeof set, &set) != 0) {
    throw std::runtime_error("cannot pin to cpu " + std::to_string(cpus.front()) + "...: " + std::strerror(errno));
  }
}

[[noreturn]] void run_child(const CpuSet& cpus, const ServerFn& server, int ready_fd) {
  int status = 0;
  try {
    if (!cpus.empty()) pin_to(cpus);
    server([ready_fd] {
      const char byte = 'r';
      if (write(ready_fd, &byte, 1) != 1) throw std::runtime_error("cannot report ready");
    });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench server: %s\n", e.what());
    status = 1;
  }
  std::fflush(stderr);
  _exit(status);
}

std::string describe(int status) {
  if (WIFEXITED(status)) return "exited with " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("killed by ") + strsignal(WTERMSIG(status));
  return "ended oddly";
}

}  // namespace

Placement one_cpu() { return {"one CPU (both on cpu 0)", {0}, {0}}; }
Placement two_cpus() { return {"two CPUs (both on cpu 0 and 1)", {0, 1}, {0, 1}}; }
Placement one_cpu_each() { return {"one CPU each (client on cpu 0, server on cpu 1)", {0}, {1}}; }
Placement unpinned() { return {"unpinned", {}, {}}; }

bool Placement::parallel() const {
  if (client_cpus.empty() || server_cpus.empty()) return true;
  return client_cpus.size() > 1 || server_cpus.size() > 1 || client_cpus != server_cpus;
}

ScopedAffinity::ScopedAffinity(const CpuSet& cpus) {
  if (cpus.empty()) return;
  auto* saved = reinterpret_cast<cpu_set_t*>(saved_);
  if (sched_getaffinity(0, sizeof *saved, saved) != 0) {
    throw std::runtime_error(std::string("cannot read the cpu mask: ") + std::strerror(errno));
  }
  pin_to(cpus);
  restore_ = true;
}

ScopedAffinity::~ScopedAffinity() {
  if (restore_) sched_setaffinity(0, sizeof(cpu_set_t), reinterpret_cast<cpu_set_t*>(saved_));
}

SharedRegion::SharedRegion(std::size_t size) : size_(size) {
  data_ = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (data_ == MAP_FAILED) {
    data_ = nullptr;
    throw std::runtime_error(std::string("cannot map shared memory: ") + std::strerror(errno));
  }
}

SharedRegion::~SharedRegion() {
  if (data_) munmap(data_, size_);
}

ServerProcess::ServerProcess(const CpuSet& cpus, const ServerFn& server) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make the ready pipe");
  std::fflush(nullptr);  // the child must not inherit unwritten output
  pid_ = fork();
  if (pid_ < 0) {
    close(fds[0]);
    close(fds[1]);
    throw std::runtime_error("cannot fork the server");
  }
  if (pid_ == 0) {
    close(fds[0]);
    run_child(cpus, server, fds[1]);
  }
  close(fds[1]);
  ready_fd_ = fds[0];
  try {
    wait_ready();
  } catch (...) {
    kill_and_reap();
    throw;
  }
}

ServerProcess::~ServerProcess() { kill_and_reap(); }

void ServerProcess::kill_and_reap() noexcept {
  if (ready_fd_ >= 0) close(ready_fd_);
  ready_fd_ = -1;
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

void ServerProcess::wait_ready() {
  pollfd p{ready_fd_, POLLIN, 0};
  const int rc = poll(&p, 1, kReadyTimeoutMs);
  char byte = 0;
  if (rc == 1 && read(ready_fd_, &byte, 1) == 1) return;
  if (rc == 0) throw std::runtime_error("the server did not get ready in time");
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  throw std::runtime_error("the server ended before it was ready: " + describe(status));
}

void ServerProcess::finish(std::chrono::seconds guard) {
  const auto deadline = std::chrono::steady_clock::now() + guard;
  int status = 0;
  for (;;) {
    const pid_t rc = waitpid(pid_, &status, WNOHANG);
    if (rc == pid_) break;
    if (rc < 0 && errno != EINTR) throw std::runtime_error("cannot wait for the server");
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("the server did not stop in time");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  pid_ = -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the server failed: " + describe(status));
  }
}

}  // namespace bench
