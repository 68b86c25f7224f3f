#include "platform/named_mutex.h"

#include "named_object.h"
#include "platform/error.h"

#include <atomic>
#include <cerrno>
#include <new>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

namespace platform {
namespace {

// Lives in the object's data area.
struct MutexState {
  pthread_mutex_t mutex;  // robust, process-shared
  std::atomic<pid_t> owner;
};

void initialise_mutex(void* data, std::size_t) {
  auto* state = new (data) MutexState{};
  pthread_mutexattr_t attributes;
  ::pthread_mutexattr_init(&attributes);
  ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  int result = ::pthread_mutex_init(&state->mutex, &attributes);
  ::pthread_mutexattr_destroy(&attributes);
  if (result != 0) throw SystemError("initialise a named mutex", result);
}

MutexState& state_of(const NamedObject& object) {
  return *static_cast<MutexState*>(object.data());
}

}  // namespace

NamedMutex NamedMutex::create_or_open(std::string_view name) {
  return NamedMutex(
      NamedObject::create_or_open(name, ObjectKind::mutex, sizeof(MutexState), initialise_mutex));
}

NamedMutex NamedMutex::open(std::string_view name) {
  auto mutex = try_open(name);
  if (!mutex) throw NotFound("no named mutex " + std::string(name));
  return std::move(*mutex);
}

std::optional<NamedMutex> NamedMutex::try_open(std::string_view name) {
  auto object = NamedObject::open(name, ObjectKind::mutex, sizeof(MutexState));
  if (!object) return std::nullopt;
  return NamedMutex(std::move(object));
}

NamedMutex::NamedMutex(std::unique_ptr<NamedObject> object) : object_(std::move(object)) {}
NamedMutex::NamedMutex(NamedMutex&&) noexcept = default;
NamedMutex& NamedMutex::operator=(NamedMutex&&) noexcept = default;
// A lock still held when the object goes is released first: the mutex sits on
// this thread's robust list, and unmapping it while listed corrupts that list
// (a crash here, and a lock that is never handed over to the other holders).
NamedMutex::~NamedMutex() {
  if (object_ && owner_pid() == ::getpid()) unlock();
}

bool NamedMutex::lock() {
  MutexState& state = state_of(*object_);
  return take(::pthread_mutex_lock(&state.mutex));
}

std::optional<bool> NamedMutex::try_lock_for(std::chrono::milliseconds timeout) {
  MutexState& state = state_of(*object_);
  timespec until{};
  ::clock_gettime(CLOCK_REALTIME, &until);
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
  until.tv_sec += static_cast<time_t>(ns / 1000000000);
  until.tv_nsec += static_cast<long>(ns % 1000000000);
  if (until.tv_nsec >= 1000000000) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000;
  }
  const int result = ::pthread_mutex_timedlock(&state.mutex, &until);
  if (result == ETIMEDOUT) return std::nullopt;
  return take(result);
}

bool NamedMutex::take(int lock_result) {
  MutexState& state = state_of(*object_);
  bool abandoned = lock_result == EOWNERDEAD;
  if (abandoned) lock_result = ::pthread_mutex_consistent(&state.mutex);
  if (lock_result != 0) throw SystemError("lock the named mutex " + object_->name(), lock_result);
  state.owner.store(::getpid(), std::memory_order_release);
  return abandoned;
}

void NamedMutex::unlock() noexcept {
  MutexState& state = state_of(*object_);
  state.owner.store(0, std::memory_order_release);
  ::pthread_mutex_unlock(&state.mutex);
}

pid_t NamedMutex::owner_pid() const noexcept {
  return state_of(*object_).owner.load(std::memory_order_acquire);
}

}  // namespace platform
