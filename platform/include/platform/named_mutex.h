// A named mutex across processes that survives its owner's death: a lock whose
// owner died is handed to the next locker (who is told), never lost. The owner's
// process id is readable by every holder, so a peer can watch whoever is inside.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

class NamedObject;

class NamedMutex {
 public:
  static NamedMutex create_or_open(std::string_view name);
  static NamedMutex open(std::string_view name);  // throws NotFound
  static std::optional<NamedMutex> try_open(std::string_view name);

  NamedMutex(NamedMutex&&) noexcept;
  NamedMutex& operator=(NamedMutex&&) noexcept;
  ~NamedMutex();

  // Returns true when the previous owner died while holding the lock.
  bool lock();
  // As lock(), but gives up after the time-out: nullopt when not taken.
  std::optional<bool> try_lock_for(std::chrono::milliseconds timeout);
  void unlock() noexcept;
  // The process that holds the lock now, 0 when it is free.
  pid_t owner_pid() const noexcept;

 private:
  explicit NamedMutex(std::unique_ptr<NamedObject> object);
  // Finishes a lock attempt that returned lock_result (0 or EOWNERDEAD taken).
  bool take(int lock_result);
  std::unique_ptr<NamedObject> object_;
};

// Holds a NamedMutex for a scope.
class NamedMutexLock {
 public:
  explicit NamedMutexLock(NamedMutex& mutex) : mutex_(mutex) { abandoned_ = mutex_.lock(); }
  ~NamedMutexLock() { mutex_.unlock(); }
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;
  bool abandoned() const noexcept { return abandoned_; }

 private:
  NamedMutex& mutex_;
  bool abandoned_ = false;
};

}  // namespace platform
