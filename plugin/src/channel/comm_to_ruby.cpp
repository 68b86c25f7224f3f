#include "channel/comm_to_ruby.h"

#include <chrono>
#include <cstddef>
#include <cstring>
#include <exception>
#include <unistd.h>
#include <utility>

#include <platform/stop_request.h>
#include <ztl/channel.h>

#include "channel/channel_error.h"
#include "channel/transport.h"

namespace scriptlink {

namespace {

using namespace std::chrono_literals;

// Inside an exchange the client may stall; a stop is looked at this often.
constexpr auto kStopSlice = 200ms;

// Any failure to make a channel object is the one fixed text to the user.
template <typename Make>
auto OrCannotOpen(Make make) {
  try {
    return make();
  } catch (const std::exception&) {
    throw ChannelError(kCannotOpenSharedMemory);
  }
}

// Numbers tried after the first whose objects are still held from an earlier channel.
constexpr int kChannelNumberTries = 8;

std::int32_t NextChannelNumber(std::int32_t number) {
  // Positive and above the small values the announcement never holds.
  return number >= 0x7ffffffe ? 0x40000000 : number + 1;
}

// Marks the channel as serving a request for as long as the request runs.
class ServingMark {
 public:
  explicit ServingMark(ZtlChannelControl& control) : control_(control) {
    __atomic_store_n(&control_.serving, 1u, __ATOMIC_SEQ_CST);
  }
  ~ServingMark() { __atomic_store_n(&control_.serving, 0u, __ATOMIC_SEQ_CST); }
  ServingMark(const ServingMark&) = delete;
  ServingMark& operator=(const ServingMark&) = delete;

 private:
  ZtlChannelControl& control_;
};

bool ProcessAlive(std::uint32_t pid) {
  const platform::ProcessWatch watch(static_cast<pid_t>(pid));
  return watch.valid() && !watch.ended();
}

}  // namespace

std::string ChannelObjectName(const char* prefix, std::int32_t channel_number) {
  return std::string(prefix) + std::to_string(channel_number);
}

// The channel mapping and its two events. Inside an exchange it watches the
// client: the owner of the client lock when the exchange began, else the
// served script's process.
class TCommToRuby::MappingTransport final : public ChannelTransport {
 public:
  explicit MappingTransport(TCommToRuby& owner) : owner_(owner) {}

  std::uint8_t* frame() noexcept override { return owner_.view_.data(); }

  void publish(std::size_t length) override {
    if (length != 0) owner_.view_.flush(0, length);
    // The answer's last chunk ends the request for the client, whatever the
    // host does after it: the next client must not wait for that.
    if (length != 0 && LastChunkInFrame()) __atomic_store_n(&owner_.Control().serving, 0u, __ATOMIC_SEQ_CST);
    owner_.host_event_.set();
  }

  bool LastChunkInFrame() const noexcept {
    std::uint32_t last = 0;
    std::memcpy(&last, owner_.view_.data() + offsetof(ZtlFrameHeader, last), sizeof last);
    return last != 0;
  }

  bool wait_for_request(std::chrono::milliseconds timeout) override {
    // An interrupt (the run has output to read, or its script ended) ends the
    // wait like a time-out; the next dispatch serves a request still pending.
    return owner_.client_event_.wait_interruptible(timeout) == platform::WaitResult::signaled;
  }

  void begin_exchange() override {
    peer_ = owner_.client_lock_.owner_pid();
    peer_holds_lock_ = peer_ != 0;
    if (peer_ == 0) peer_ = owner_.ScriptProcessId();
  }

  void wait_for_client() override {
    if (peer_ != 0) {
      // One watch serves many exchanges of the same client; a watch whose
      // process ended is made anew in case the id now names another process.
      if (!watch_ || watch_->pid() != peer_ || watch_->ended()) watch_.emplace(peer_);
      if (!watch_->valid()) throw ChannelError(kScriptEndedMidExchange);
    }
    for (;;) {
      const platform::WaitResult result =
          peer_ != 0 ? owner_.client_event_.wait(kStopSlice, *watch_) : owner_.client_event_.wait(kStopSlice);
      if (result == platform::WaitResult::signaled) {
        // The lock changes hands only when its holder died inside the
        // exchange: the signal is then another client's first chunk.
        if (peer_holds_lock_ && owner_.client_lock_.owner_pid() != peer_) throw ChannelError(kScriptEndedMidExchange);
        return;
      }
      if (result == platform::WaitResult::peer_ended) throw ChannelError(kScriptEndedMidExchange);
      if (owner_.StopRequested()) throw RunStopped();
    }
  }

  bool peer_ended() noexcept override {
    if (peer_ == 0) return false;
    try {
      if (!watch_ || watch_->pid() != peer_) watch_.emplace(peer_);
      return !watch_->valid() || watch_->ended();
    } catch (...) {
      return false;  // cannot tell: the dialog stays for the user to close
    }
  }

 private:
  TCommToRuby& owner_;
  pid_t peer_ = 0;
  bool peer_holds_lock_ = false;
  std::optional<platform::ProcessWatch> watch_;
};

TCommToRuby::TCommToRuby(std::int32_t channel_number, const platform::NamedMapping* announcement,
                         std::unique_ptr<RequestServer> server)
    : channel_number_(channel_number),
      announcement_(announcement),
      server_(std::move(server)),
      host_event_(OrCannotOpen([&] {
        return platform::NamedEvent::create_or_open(ChannelObjectName(ZTL_HOST_EVENT_PREFIX, channel_number));
      })),
      client_event_(OrCannotOpen([&] {
        return platform::NamedEvent::create_or_open(ChannelObjectName(ZTL_CLIENT_EVENT_PREFIX, channel_number));
      })),
      mapping_(OrCannotOpen([&] {
        return platform::NamedMapping::create_or_open(ChannelObjectName(ZTL_CHANNEL_MAPPING_PREFIX, channel_number),
                                                      ZTL_CHANNEL_OBJECT_SIZE);
      })),
      view_(OrCannotOpen([&] { return mapping_.view(0, ZTL_CHANNEL_OBJECT_SIZE, true); })),
      client_lock_(OrCannotOpen([&] {
        return platform::NamedMutex::create_or_open(ChannelObjectName(ZTL_CLIENT_LOCK_PREFIX, channel_number));
      })),
      transport_(std::make_unique<MappingTransport>(*this)),
      channel_(*transport_) {
  if (view_.size() < ZTL_CHANNEL_OBJECT_SIZE) throw ChannelError(kCannotOpenSharedMemory);
  // A client of an earlier channel on this number still holds its objects: it
  // would take this channel for the one it joined.
  ZtlChannelControl& control = Control();
  if (__atomic_load_n(&control.state, __ATOMIC_SEQ_CST) != ZTL_CHANNEL_FRESH) throw StaleChannelObjects();
  // Events start unsignalled: an event object that outlived the mapping of an
  // earlier channel on this number may still hold that channel's last signal.
  (void)host_event_.wait(std::chrono::milliseconds(0));
  (void)client_event_.wait(std::chrono::milliseconds(0));
  control.host_pid = static_cast<std::uint32_t>(::getpid());
  __atomic_store_n(&control.state, ZTL_CHANNEL_OPEN, __ATOMIC_SEQ_CST);
  // Last, so a script that reads N finds every object of the channel in place.
  Announce(static_cast<std::uint32_t>(channel_number));
}

std::unique_ptr<TCommToRuby> TCommToRuby::CreateFresh(std::int32_t channel_number,
                                                      const platform::NamedMapping* announcement,
                                                      const std::function<std::unique_ptr<RequestServer>()>& make_server) {
  for (int attempt = 1;; ++attempt) {
    try {
      return std::make_unique<TCommToRuby>(channel_number, announcement, make_server());
    } catch (const StaleChannelObjects&) {
      if (attempt == kChannelNumberTries) throw;
      channel_number = NextChannelNumber(channel_number);
    }
  }
}

ZtlChannelControl& TCommToRuby::Control() const noexcept {
  return *reinterpret_cast<ZtlChannelControl*>(view_.data() + ZTL_CHANNEL_CONTROL_OFFSET);
}

TCommToRuby::~TCommToRuby() {
  try {
    Close();
  } catch (...) {  // a destructor cannot report; Close() called earlier does
  }
}

void TCommToRuby::Close() {
  if (closed_) return;
  closed_ = true;
  std::exception_ptr failure;
  try {
    Announce(0);
  } catch (...) {
    failure = std::current_exception();
  }
  // After the announcement is withdrawn, so a client that checks both after
  // opening sees one or the other. The set wakes a client waiting for a reply
  // that will not come; it looks at the state before it trusts the frame.
  __atomic_store_n(&Control().state, ZTL_CHANNEL_CLOSED, __ATOMIC_SEQ_CST);
  host_event_.set();
  try {
    server_->ChannelClosing();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  try {
    TerminateScript();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  if (failure) std::rethrow_exception(failure);
}

void TCommToRuby::Announce(std::uint32_t value) {
  if (announcement_ == nullptr) return;
  OrCannotOpen([&] {
    platform::MappedView view = announcement_->view(0, sizeof value, true);
    if (view.size() < sizeof value) throw ChannelError(kCannotOpenSharedMemory);
    std::memcpy(view.data(), &value, sizeof value);
    view.flush(0, sizeof value);
    return 0;
  });
}

void TCommToRuby::ExecMessageProc() {
  server_->ExecMessageProc();
}

pid_t TCommToRuby::ScriptProcessId() const noexcept { return process_ ? process_->id() : 0; }

void TCommToRuby::DispatchRequests() {
  // The host's message processing may cancel the run (its wait form), so the
  // stop is looked at after it, before the request is served.
  while (!StopRequested() && channel_.WaitForRequest(std::chrono::milliseconds(ZTL_DISPATCH_WAIT_MS))) {
    const ServingMark serving(Control());
    ExecMessageProc();
    if (StopRequested()) return;
    channel_.CopyHeader();
    server_->Serve(channel_);
  }
}

void TCommToRuby::ServeProcess(pid_t process_id) {
  std::optional<platform::ProcessHandle> process = platform::ProcessHandle::open(process_id);
  if (!process) return;
  process_ = std::move(process);
  try {
    do {
      while (!StopRequested() && ((process_ && !process_->wait(1ms)) || RegisteredClientAlive())) {
        DispatchRequests();
        ExecMessageProc();
      }
    } while (!StopRequested() && !CloseIfUnused());
  } catch (const RunStopped&) {
    // A script started outside the host is not ours to end; it learns that
    // the host has gone when it next waits.
  }
  process_.reset();
}

void TCommToRuby::RequestStop() {
  stop_ = true;
  client_event_.interrupt();
}

bool TCommToRuby::StopRequested() const noexcept { return stop_ || platform::stop_request::raised(); }

// A client registers before it looks at the state, the host marks the state
// before it looks at the registrations: one of the two sees the other, so a
// client is either served or sees the channel closed, never left unanswered.
bool TCommToRuby::CloseIfUnused() {
  ZtlChannelControl& control = Control();
  __atomic_store_n(&control.state, ZTL_CHANNEL_CLOSED, __ATOMIC_SEQ_CST);
  if (!RegisteredClientAlive()) return true;
  __atomic_store_n(&control.state, ZTL_CHANNEL_OPEN, __ATOMIC_SEQ_CST);
  return false;
}

// The served process counts while held; a slot of a client that ended is freed.
bool TCommToRuby::RegisteredClientAlive() {
  bool alive = false;
  for (std::uint32_t& slot : Control().clients) {
    std::uint32_t pid = __atomic_load_n(&slot, __ATOMIC_SEQ_CST);
    if (pid == 0) continue;
    if (ProcessAlive(pid)) {
      alive = true;
    } else {
      __atomic_compare_exchange_n(&slot, &pid, 0u, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    }
  }
  return alive;
}

void TCommToRuby::AttachProcess(platform::ProcessHandle process) { process_ = std::move(process); }

void TCommToRuby::DetachProcess() noexcept { process_.reset(); }

void TCommToRuby::InterruptDispatch() { client_event_.interrupt(); }

void TCommToRuby::TerminateScript() {
  if (!process_) return;
  std::optional<platform::ProcessHandle> process = std::exchange(process_, std::nullopt);
  if (process->wait(0ms)) return;  // already ended: nothing to terminate
  try {
    process->terminate(0);
  } catch (...) {
    if (!process->wait(0ms)) throw;  // it ended in between: not a failure
  }
}

}  // namespace scriptlink
