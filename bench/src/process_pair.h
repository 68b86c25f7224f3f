// Two processes for one measurement: this process is the client (it measures),
// a forked child serves. Each side can be pinned to a CPU, which is what
// decides how the turn passes between them (one CPU: a context switch; two
// CPUs: a cross-CPU wake-up).
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace bench {

// The CPUs a process may run on; empty leaves it to the scheduler.
using CpuSet = std::vector<int>;

// Where the two sides run.
struct Placement {
  std::string label;
  CpuSet client_cpus;
  CpuSet server_cpus;
  // Whether the two sides can run at the same time (what spinning needs).
  bool parallel() const;
};

Placement one_cpu();         // both on cpu 0
Placement two_cpus();        // both on cpu 0 and 1, placed by the scheduler
Placement one_cpu_each();    // client on cpu 0, server on cpu 1
Placement unpinned();

// Pins the calling process to a CPU set for the object's life (no-op when empty).
class ScopedAffinity {
 public:
  explicit ScopedAffinity(const CpuSet& cpus);
  ~ScopedAffinity();
  ScopedAffinity(const ScopedAffinity&) = delete;
  ScopedAffinity& operator=(const ScopedAffinity&) = delete;

 private:
  bool restore_ = false;
  alignas(8) unsigned char saved_[128];  // a cpu_set_t, kept opaque here
};

// Zeroed anonymous memory that a forked child shares with its parent.
class SharedRegion {
 public:
  explicit SharedRegion(std::size_t size);
  ~SharedRegion();
  SharedRegion(const SharedRegion&) = delete;
  SharedRegion& operator=(const SharedRegion&) = delete;

  void* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

// The server side: set up, call ready(), serve until told to stop, return.
// A throw makes the child exit with failure after printing the message.
using ServerFn = std::function<void(const std::function<void()>& ready)>;

class ServerProcess {
 public:
  // Forks the server pinned to cpus and waits until it is ready; throws when
  // it fails or ends before that.
  ServerProcess(const CpuSet& cpus, const ServerFn& server);
  ~ServerProcess();  // kills a server that is still running
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Waits for the server to end (it should have been told to stop); throws
  // when it failed or does not end within the guard.
  void finish(std::chrono::seconds guard = std::chrono::seconds(10));

 private:
  void wait_ready();
  void kill_and_reap() noexcept;
  pid_t pid_ = -1;
  int ready_fd_ = -1;
};

// Runs one measurement: server in a child, client here, both placed.
template <class Client>
auto run_pair(const Placement& placement, const ServerFn& server, Client&& client) {
  ServerProcess child(placement.server_cpus, server);
  ScopedAffinity pin(placement.client_cpus);
  auto result = client();
  child.finish();
  return result;
}

}  // namespace bench
