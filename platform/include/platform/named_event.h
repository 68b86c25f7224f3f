// Named auto-reset events across processes, built on a futex in shared memory.
// Exact semantics: a set with no waiter stays set until one wait consumes it;
// setting a set event changes nothing; one set releases one wait.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

class NamedObject;
class ProcessWatch;

enum class WaitResult { signaled, timeout, peer_ended, interrupted };

class NamedEvent {
 public:
  // Creates the event (unsignalled) or opens an existing one.
  static NamedEvent create_or_open(std::string_view name);
  // Opens an existing event; throws NotFound when there is none.
  static NamedEvent open(std::string_view name);
  static std::optional<NamedEvent> try_open(std::string_view name);

  NamedEvent(NamedEvent&&) noexcept;
  NamedEvent& operator=(NamedEvent&&) noexcept;
  ~NamedEvent();

  void set();
  // Takes a pending signal without waiting or spinning; true when there was one.
  bool take_signal();
  // Waits until set, or until the time-out passes.
  WaitResult wait(std::chrono::milliseconds timeout);
  // Waits without limit.
  WaitResult wait();
  // Waits as above but ends with peer_ended as soon as the watched process
  // has ended, so no side waits for ever on a peer that died.
  WaitResult wait(std::chrono::milliseconds timeout, const ProcessWatch& peer);
  WaitResult wait(const ProcessWatch& peer);

  // Wakes the current (or next) interruptible wait on this event with
  // `interrupted`, without setting the event. Thread-safe; meant for an event
  // with one waiting process, such as a channel's client event, whose waiter
  // must also wake for work of its own (a child's output, its end).
  void interrupt();
  // As wait(timeout), but also ends with `interrupted` after interrupt().
  WaitResult wait_interruptible(std::chrono::milliseconds timeout);

  // The process that created the object.
  pid_t creator_pid() const noexcept;
  const std::string& name() const noexcept;

 private:
  explicit NamedEvent(std::unique_ptr<NamedObject> object);
  WaitResult wait_until(std::optional<std::chrono::steady_clock::time_point> deadline,
                        const ProcessWatch* peer, bool interruptible = false);
  std::unique_ptr<NamedObject> object_;
};

}  // namespace platform
