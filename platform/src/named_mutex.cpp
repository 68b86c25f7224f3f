#include "platform/named_mutex.h"

#include "named_object.h"
#include "platform/error.h"

#include <atomic>
#include <cerrno>
#include <new>
#include <pthread.h>
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
  int result = ::pthread_mutex_lock(&state.mutex);
  bool abandoned = result == EOWNERDEAD;
  if (abandoned) result = ::pthread_mutex_consistent(&state.mutex);
  if (result != 0) throw SystemError("lock the named mutex " + object_->name(), result);
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
