#include "platform/named_event.h"

#include "futex.h"
#include "named_object.h"
#include "platform/error.h"
#include "platform/process.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <sched.h>
#include <unistd.h>

namespace platform {
namespace {

using std::chrono::steady_clock;

// Lives in the object's data area.
struct EventState {
  // The futex word: kSet while set; kInterrupt while an interrupt waits for the
  // waiter (see interrupt()).
  std::atomic<std::uint32_t> signaled;
  std::atomic<std::uint32_t> waiters;   // sleepers, so that set skips the wake when none
  std::atomic<std::int32_t> setter_cpu; // where the last set ran, -1 before the first
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

void initialise_event(void* data, std::size_t) { new (data) EventState{{0}, {0}, {-1}}; }

EventState& state_of(const NamedObject& object) {
  return *static_cast<EventState*>(object.data());
}

constexpr std::uint32_t kSet = 1;
constexpr std::uint32_t kInterrupt = 2;

bool try_consume(EventState& state) {
  std::uint32_t word = state.signaled.load(std::memory_order_seq_cst);
  while ((word & kSet) != 0) {
    if (state.signaled.compare_exchange_weak(word, word & ~kSet, std::memory_order_seq_cst)) return true;
  }
  return false;
}

bool try_take_interrupt(EventState& state) {
  return (state.signaled.fetch_and(~kInterrupt, std::memory_order_seq_cst) & kInterrupt) != 0;
}

// Spinning only pays when the setter can run at the same time on another CPU;
// on the waiter's own CPU it would only delay the sleep that lets the setter
// run. Where the setter ran last is the guess for where it runs next: the two
// sides of a channel take turns, so this follows them wherever the scheduler
// or a pinning puts them.
bool spinning_pays(const EventState& state) {
  static const bool multi_cpu = ::sysconf(_SC_NPROCESSORS_ONLN) > 1;
  if (!multi_cpu) return false;
  const std::int32_t setter = state.setter_cpu.load(std::memory_order_relaxed);
  return setter < 0 || setter != ::sched_getcpu();
}

// A script does some Ruby work between two requests (making the objects of a
// reply); the host must still be spinning when the next one comes, or each
// request pays two futex wake-ups.
constexpr auto kSpinLimit = std::chrono::microseconds(50);
// A wait that watches a peer sleeps at most this long before it looks at it.
constexpr auto kPeerSlice = std::chrono::milliseconds(50);

bool spin_for_signal(EventState& state) {
  const auto until = steady_clock::now() + kSpinLimit;
  for (int round = 1;; ++round) {
    const std::uint32_t word = state.signaled.load(std::memory_order_relaxed);
    if ((word & kSet) != 0 && try_consume(state)) return true;
    if ((word & kInterrupt) != 0) return false;
    __builtin_ia32_pause();
    if (round % 8 == 0 && steady_clock::now() >= until) return false;
  }
}

timespec to_timespec(steady_clock::duration duration) {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
  if (ns < 0) ns = 0;
  return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

class WaiterCount {
 public:
  explicit WaiterCount(EventState& state) : state_(state) {
    state_.waiters.fetch_add(1, std::memory_order_seq_cst);
  }
  WaiterCount(const WaiterCount&) = delete;
  WaiterCount& operator=(const WaiterCount&) = delete;
  ~WaiterCount() { state_.waiters.fetch_sub(1, std::memory_order_seq_cst); }

 private:
  EventState& state_;
};

bool peer_gone(const ProcessWatch* peer) {
  return peer != nullptr && peer->pid() != 0 && peer->ended();
}

}  // namespace

NamedEvent NamedEvent::create_or_open(std::string_view name) {
  return NamedEvent(
      NamedObject::create_or_open(name, ObjectKind::event, sizeof(EventState), initialise_event));
}

NamedEvent NamedEvent::open(std::string_view name) {
  auto event = try_open(name);
  if (!event) throw NotFound("no named event " + std::string(name));
  return std::move(*event);
}

std::optional<NamedEvent> NamedEvent::try_open(std::string_view name) {
  auto object = NamedObject::open(name, ObjectKind::event, sizeof(EventState));
  if (!object) return std::nullopt;
  return NamedEvent(std::move(object));
}

NamedEvent::NamedEvent(std::unique_ptr<NamedObject> object) : object_(std::move(object)) {}
NamedEvent::NamedEvent(NamedEvent&&) noexcept = default;
NamedEvent& NamedEvent::operator=(NamedEvent&&) noexcept = default;
NamedEvent::~NamedEvent() = default;

pid_t NamedEvent::creator_pid() const noexcept { return object_->creator_pid(); }
const std::string& NamedEvent::name() const noexcept { return object_->name(); }

void NamedEvent::set() {
  EventState& state = state_of(*object_);
  // Setting a set event changes nothing; its waker (if any) has been sent already.
  state.setter_cpu.store(::sched_getcpu(), std::memory_order_relaxed);
  if ((state.signaled.fetch_or(kSet, std::memory_order_seq_cst) & kSet) != 0) return;
  // seq_cst on both sides: either we see the waiter, or the waiter sees the 1.
  if (state.waiters.load(std::memory_order_seq_cst) != 0) detail::futex_wake(&state.signaled, 1);
}

void NamedEvent::interrupt() {
  EventState& state = state_of(*object_);
  if ((state.signaled.fetch_or(kInterrupt, std::memory_order_seq_cst) & kInterrupt) != 0) return;
  if (state.waiters.load(std::memory_order_seq_cst) != 0) detail::futex_wake(&state.signaled, INT32_MAX);
}

bool NamedEvent::take_signal() { return try_consume(state_of(*object_)); }

WaitResult NamedEvent::wait(std::chrono::milliseconds timeout) {
  return wait_until(steady_clock::now() + timeout, nullptr);
}

WaitResult NamedEvent::wait_interruptible(std::chrono::milliseconds timeout) {
  return wait_until(steady_clock::now() + timeout, nullptr, true);
}

WaitResult NamedEvent::wait() { return wait_until(std::nullopt, nullptr); }

WaitResult NamedEvent::wait(std::chrono::milliseconds timeout, const ProcessWatch& peer) {
  return wait_until(steady_clock::now() + timeout, &peer);
}

WaitResult NamedEvent::wait(const ProcessWatch& peer) { return wait_until(std::nullopt, &peer); }

WaitResult NamedEvent::wait_until(std::optional<steady_clock::time_point> deadline,
                                  const ProcessWatch* peer, bool interruptible) {
  EventState& state = state_of(*object_);
  if (try_consume(state)) return WaitResult::signaled;
  if (interruptible && try_take_interrupt(state)) return WaitResult::interrupted;
  if (spinning_pays(state) && spin_for_signal(state)) return WaitResult::signaled;

  WaiterCount counted(state);
  // The peer is looked at only when a slice ends without a signal, so a busy
  // exchange pays no system call for it.
  bool look_at_peer = true;
  for (;;) {
    if (try_consume(state)) return WaitResult::signaled;
    if (interruptible && try_take_interrupt(state)) return WaitResult::interrupted;
    if (look_at_peer && peer_gone(peer)) return WaitResult::peer_ended;
    std::optional<steady_clock::duration> sleep;
    if (deadline) {
      auto left = *deadline - steady_clock::now();
      if (left <= steady_clock::duration::zero()) return WaitResult::timeout;
      sleep = left;
    }
    if (peer != nullptr) sleep = sleep ? std::min<steady_clock::duration>(*sleep, kPeerSlice) : kPeerSlice;
    timespec slice{};
    if (sleep) slice = to_timespec(*sleep);
    // An interrupt meant for an interruptible wait stays in the word; sleep on
    // the word as it is, so it neither wakes this wait nor spins it.
    const std::uint32_t word = state.signaled.load(std::memory_order_seq_cst);
    if ((word & kSet) != 0 || (interruptible && (word & kInterrupt) != 0)) continue;
    int result = detail::futex_wait(&state.signaled, word, sleep ? &slice : nullptr);
    look_at_peer = result == ETIMEDOUT;
  }
}

}  // namespace platform
