// The client end of the bridge channel: the connection prologue and the one
// request-and-reply exchange through which every Ruby method reaches the host.
// C++ over the platform layer, behind a C interface that never throws.
#include "channel_client.h"

#include <platform/named_event.h>
#include <platform/named_mapping.h>
#include <platform/named_mutex.h>
#include <platform/codepage.h>
#include <platform/process.h>

#include <ztl/channel.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <utility>

namespace {

using platform::MappedView;
using platform::NamedEvent;
using platform::NamedMapping;
using platform::NamedMutex;
using platform::ProcessWatch;
using platform::WaitResult;

constexpr const char* kHostGone = "Zentrella has gone away";
constexpr const char* kBadReply = "Malformed reply from Zentrella";
constexpr const char* kBroken = "Connection to Zentrella is broken";
constexpr const char* kOutOfMemory = "Out of Memory";
constexpr const char* kInterrupted = "Request to Zentrella was interrupted";

// A wait first runs one slice as it is (with the interpreter's lock: giving
// that up costs far more than a prompt reply takes); a wait that goes on runs
// through the caller's blocking runner in slices, between which the client
// looks whether the channel was closed or the wait cancelled.
constexpr auto kFirstSlice = std::chrono::milliseconds(20);
constexpr auto kWaitSlice = std::chrono::milliseconds(50);
// How long an external script keeps trying when the channel it found closes
// under it (the one before it just ended) or the word it read was no channel.
constexpr auto kConnectRetries = std::chrono::milliseconds(2000);
constexpr auto kConnectPause = std::chrono::milliseconds(5);

struct ConnectFailure {
  ZtlConnectStatus status;
};

struct ExchangeFailure {
  ZtlSendStatus status;
  std::string text;
};

std::string channel_object_name(const char* prefix, std::uint32_t number) {
  return prefix + std::to_string(number);
}

std::uint32_t load_word(const std::uint8_t* at) {
  return __atomic_load_n(reinterpret_cast<const std::uint32_t*>(at), __ATOMIC_ACQUIRE);
}

ZtlChannelControl& control_of(const MappedView& view) {
  return *reinterpret_cast<ZtlChannelControl*>(view.data() + ZTL_CHANNEL_CONTROL_OFFSET);
}

std::uint32_t channel_state(const MappedView& view) {
  return __atomic_load_n(&control_of(view).state, __ATOMIC_SEQ_CST);
}

// This process in the channel's client table: a station serves an external
// script's channel until every registered client has ended.
class Registration {
 public:
  Registration() = default;
  explicit Registration(const MappedView& view) {
    const auto pid = static_cast<std::uint32_t>(platform::current_process_id());
    for (std::uint32_t& slot : control_of(view).clients) {
      std::uint32_t expected = 0;
      if (__atomic_compare_exchange_n(&slot, &expected, pid, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST)) {
        slot_ = &slot;
        return;
      }
    }
  }
  Registration(Registration&& other) noexcept : slot_(std::exchange(other.slot_, nullptr)) {}
  Registration& operator=(Registration&&) = delete;
  Registration(const Registration&) = delete;
  // Runs before the view goes: the Connection declares it after the view.
  ~Registration() {
    if (slot_ != nullptr) __atomic_store_n(slot_, 0u, __ATOMIC_SEQ_CST);
  }

 private:
  std::uint32_t* slot_ = nullptr;
};

struct Connection {
  NamedMapping mapping;
  // Mapped once for the life of the interpreter rather than per request: a
  // view per request would cost two system calls on every round trip.
  MappedView view;
  NamedEvent host_event;    // the host signals: chunk taken / reply chunk ready
  NamedEvent client_event;  // we signal: request chunk ready / reply chunk taken
  NamedMutex lock;          // one client at a time on the channel
  ProcessWatch host;        // every wait also ends when the host is gone
  Registration registration;
};

struct ClientState {
  std::optional<Connection> connection;
  // A failure in the middle of an exchange leaves the frames out of step with
  // the host; from then on every request fails instead of reading stale data.
  ZtlSendStatus broken = ZTL_SEND_OK;
  std::string last_error;
  // Found through the announcement (not named by the host that started us),
  // and whether any request has been answered on it yet.
  bool announced = false;
  bool answered = false;
  // Requests of several interpreter threads, which run without the interpreter's
  // lock while they wait, take turns here before the channel's own lock.
  std::timed_mutex exchange_turn;
};

ClientState& state() {
  static ClientState client;
  return client;
}

// ---- connection prologue ----

std::uint32_t read_announced_number() {
  std::optional<NamedMapping> announcement;
  try {
    announcement.emplace(NamedMapping::create_or_open(ZTL_ANNOUNCE_MAPPING_NAME, ZTL_ANNOUNCE_MAPPING_SIZE));
  } catch (...) {
    throw ConnectFailure{ZTL_CONNECT_MAPPING_2};
  }
  try {
    MappedView view = announcement->view(0, 0, false);
    return load_word(view.data());
  } catch (...) {
    throw ConnectFailure{ZTL_CONNECT_MAPPING_1};
  }
}

std::optional<NamedEvent> try_open_event(const std::string& name) {
  try {
    return NamedEvent::try_open(name);
  } catch (...) {
    return std::nullopt;
  }
}

// A script started outside the host asks the station for a channel: it puts
// its process id into the announcement and waits for the station's answer.
// Returns the number the announcement then holds, which open_channel checks:
// it may be the channel made for another script that knocked at the same time.
std::uint32_t external_handshake() {
  std::optional<NamedEvent> host_wait = try_open_event(ZTL_HOST_WAIT_EVENT_NAME);
  std::optional<NamedEvent> client_wait = try_open_event(ZTL_CLIENT_WAIT_EVENT_NAME);
  if (!host_wait || !client_wait) throw ConnectFailure{ZTL_CONNECT_HOST_0};

  std::optional<NamedMapping> announcement;
  std::optional<MappedView> view;
  try {
    announcement.emplace(NamedMapping::create_or_open(ZTL_ANNOUNCE_MAPPING_NAME, ZTL_ANNOUNCE_MAPPING_SIZE));
    view.emplace(announcement->view(0, 0, true));
  } catch (...) {
    throw ConnectFailure{ZTL_CONNECT_MAPPING_3};
  }
  auto* slot = reinterpret_cast<std::uint32_t*>(view->data());
  const auto pid = static_cast<std::uint32_t>(platform::current_process_id());
  try {
    // A signal left by a script that gave up before the station answered it
    // is not an answer to this one.
    (void)host_wait->wait(std::chrono::milliseconds(0));
    // Only over a 0: a channel announced or another script's knock since we
    // read the word stays, and is what we try next.
    std::uint32_t found = 0;
    if (!__atomic_compare_exchange_n(slot, &found, pid, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) return found;
    view->flush(0, sizeof(std::uint32_t));
    client_wait->set();
    const ProcessWatch station(host_wait->creator_pid());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ZTL_EXTERNAL_HANDSHAKE_MS);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || host_wait->wait(left, station) != WaitResult::signaled) break;
      const std::uint32_t number = __atomic_load_n(slot, __ATOMIC_ACQUIRE);
      if (number != pid && number != 0) return number;  // else the signal was meant for another script
    }
  } catch (...) {
  }
  // Take our id back, but never a channel number the station wrote meanwhile.
  std::uint32_t expected = pid;
  if (!__atomic_compare_exchange_n(slot, &expected, 0u, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE) && expected != 0)
    return expected;
  view->flush(0, sizeof(std::uint32_t));
  throw ConnectFailure{ZTL_CONNECT_HOST_1};
}

// Registered and open: the host serves this client. A host deciding whether
// to close looks at the registrations after marking the state, so a state
// seen open after registering stays open while this client lives.
bool wait_for_open_state(const MappedView& view) {
  for (;;) {
    const std::uint32_t state = channel_state(view);
    if (state == ZTL_CHANNEL_OPEN) return true;
    if (state != ZTL_CHANNEL_CLOSING) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the host decides at once
  }
}

// Opens the objects of channel N. A number whose objects are gone (a stale
// announcement) or whose host has closed it is a connect error here, not a
// hang at the first request.
Connection open_channel(std::uint32_t number) {
  try {
    auto mapping = NamedMapping::try_open(channel_object_name(ZTL_CHANNEL_MAPPING_PREFIX, number),
                                          ZTL_CHANNEL_OBJECT_SIZE);
    auto host_event = NamedEvent::try_open(channel_object_name(ZTL_HOST_EVENT_PREFIX, number));
    auto client_event = NamedEvent::try_open(channel_object_name(ZTL_CLIENT_EVENT_PREFIX, number));
    auto lock = NamedMutex::try_open(channel_object_name(ZTL_CLIENT_LOCK_PREFIX, number));
    if (!mapping || !host_event || !client_event || !lock) throw ConnectFailure{ZTL_CONNECT_HOST_2};
    ProcessWatch host(host_event->creator_pid());
    if (!host.valid() || host.ended()) throw ConnectFailure{ZTL_CONNECT_HOST_2};
    MappedView view = mapping->view(0, 0, true);
    if (view.size() < ZTL_CHANNEL_OBJECT_SIZE) throw ConnectFailure{ZTL_CONNECT_HOST_2};
    Registration registration(view);
    if (!wait_for_open_state(view)) throw ConnectFailure{ZTL_CONNECT_HOST_2};
    return Connection{std::move(*mapping),      std::move(view), std::move(*host_event), std::move(*client_event),
                      std::move(*lock),         std::move(host), std::move(registration)};
  } catch (const ConnectFailure&) {
    throw;
  } catch (...) {
    throw ConnectFailure{ZTL_CONNECT_HOST_2};
  }
}

// The channel the host that started this process named, if it did: decimal,
// nonzero and positive, or the connection fails rather than quietly going to
// whatever host the announcement names.
std::optional<std::uint32_t> inherited_channel_number() {
  const char* text = std::getenv(ZTL_CHANNEL_ENV);
  if (text == nullptr) return std::nullopt;
  if (*text < '1' || *text > '9') throw ConnectFailure{ZTL_CONNECT_BAD_CHANNEL_ENV};
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || value > 0x7fffffffUL) throw ConnectFailure{ZTL_CONNECT_BAD_CHANNEL_ENV};
  return static_cast<std::uint32_t>(value);
}

// The announcement names a channel that may close under us (the script before
// this one just ended) or holds another script's knock; both pass, so try
// again from the announcement for a while before giving up.
Connection connect_announced() {
  const auto give_up = std::chrono::steady_clock::now() + kConnectRetries;
  for (;;) {
    std::uint32_t number = read_announced_number();
    if (number == 0) number = external_handshake();
    try {
      return open_channel(number);
    } catch (const ConnectFailure&) {
      if (std::chrono::steady_clock::now() >= give_up) throw;
    }
    std::this_thread::sleep_for(kConnectPause);
  }
}

void connect() {
  if (const std::optional<std::uint32_t> number = inherited_channel_number()) {
    state().connection.emplace(open_channel(*number));
    return;
  }
  state().connection.emplace(connect_announced());
  state().announced = true;
}

// ---- one exchange ----

struct FreeDeleter {
  void operator()(std::uint8_t* p) const noexcept { std::free(p); }
};
using ReplyBuffer = std::unique_ptr<std::uint8_t, FreeDeleter>;

// What one exchange waits for besides the host: the caller's blocking runner
// and cancel flag.
struct Exchange {
  Connection& c;
  const ZtlBlocking* blocking;
  bool under_way = false;  // a frame was written: an end now leaves the channel out of step
};

// A request's payload: its parts, read as one run of bytes.
class Outgoing {
 public:
  Outgoing(const ZtlBytes* parts, std::size_t count) : parts_(parts, count) {
    for (const ZtlBytes& part : parts_) total_ += part.length;
  }
  std::size_t total() const noexcept { return total_; }

  // Copies the next length bytes to to.
  void take(std::uint8_t* to, std::size_t length) {
    while (length > 0) {
      const ZtlBytes& part = parts_[part_];
      const std::size_t n = std::min(length, part.length - offset_);
      if (n > 0) std::memcpy(to, static_cast<const std::uint8_t*>(part.data) + offset_, n);
      to += n;
      length -= n;
      offset_ += n;
      if (offset_ == part.length) {
        ++part_;
        offset_ = 0;
      }
    }
  }

 private:
  std::span<const ZtlBytes> parts_;
  std::size_t total_ = 0;
  std::size_t part_ = 0;    // the part the next byte comes from
  std::size_t offset_ = 0;  // and where in it
};

bool cancelled(const Exchange& x) {
  return x.blocking != nullptr && x.blocking->cancel != nullptr && __atomic_load_n(x.blocking->cancel, __ATOMIC_ACQUIRE) != 0;
}

[[noreturn]] void throw_interrupted() { throw ExchangeFailure{ZTL_SEND_INTERRUPTED, kInterrupted}; }

// A wait is a slice function: given a slice length, true when what it waits
// for came; it throws when that never will.
template <typename Slice>
void wait_remaining_slices(const Slice& slice, const Exchange& x) {
  while (!slice(kWaitSlice)) {
    if (cancelled(x)) throw_interrupted();
  }
}

template <typename Slice>
struct SlicedWait {
  const Slice& slice;
  const Exchange& x;
  std::exception_ptr failure;

  // Runs in the blocking runner, outside this library's frames: nothing may
  // be thrown through it.
  static void* run(void* arg) {
    auto* wait = static_cast<SlicedWait*>(arg);
    wait->failure = nullptr;  // run again after an interrupt that raised nothing
    try {
      wait_remaining_slices(wait->slice, wait->x);
    } catch (...) {
      wait->failure = std::current_exception();
    }
    return arg;
  }
};

template <typename Slice>
void wait_in_slices(const Exchange& x, std::chrono::milliseconds first, const Slice& slice) {
  if (slice(first)) return;
  if (x.blocking == nullptr || x.blocking->run == nullptr) return wait_remaining_slices(slice, x);
  SlicedWait<Slice> wait{slice, x, nullptr};
  if (x.blocking->run(&SlicedWait<Slice>::run, &wait, x.blocking->context) == nullptr) throw_interrupted();
  if (wait.failure) std::rethrow_exception(wait.failure);
}

// Ends when the host signals, or fails when the host process ended, the host
// closed the channel (a station outlives its channels) or the caller cancelled.
// A signal is looked at with the state, as a closing host sets the event to
// wake this wait.
void wait_for_host(Exchange& x) {
  wait_in_slices(x, kFirstSlice, [&x](std::chrono::milliseconds slice) {
    const WaitResult result = x.c.host_event.wait(slice, x.c.host);
    if (result == WaitResult::peer_ended || channel_state(x.c.view) == ZTL_CHANNEL_CLOSED)
      throw ExchangeFailure{ZTL_SEND_HOST_GONE, kHostGone};
    return result == WaitResult::signaled;
  });
}

// Holds the channel's client lock, taken in slices so that a client whose
// turn does not come (its host closed the channel, the caller cancelled)
// gives up rather than blocks.
class ClientTurn {
 public:
  explicit ClientTurn(Exchange& x) : lock_(x.c.lock) {
    wait_in_slices(x, kFirstSlice, [this, &x](std::chrono::milliseconds slice) {
      // A lock its holder died with is taken like any other: the exchange
      // waits for the host to be idle and drops stale signals before it writes.
      if (lock_.try_lock_for(slice)) return true;
      if (channel_state(x.c.view) == ZTL_CHANNEL_CLOSED) throw ExchangeFailure{ZTL_SEND_HOST_GONE, kHostGone};
      return false;
    });
  }
  ~ClientTurn() { lock_.unlock(); }
  ClientTurn(const ClientTurn&) = delete;
  ClientTurn& operator=(const ClientTurn&) = delete;

 private:
  NamedMutex& lock_;
};

void write_frame(Exchange& x, const ZtlFrameHeader& header, Outgoing& payload) {
  Connection& c = x.c;
  x.under_way = true;
  std::uint8_t* base = c.view.data();
  payload.take(base + ZTL_FRAME_HEADER_SIZE, header.chunk_length);
  std::memcpy(base, &header, sizeof header);
  c.view.flush(0, ZTL_FRAME_HEADER_SIZE + header.chunk_length);
  c.client_event.set();
}

// Sends the request in chunks; returns once the host has the first reply chunk ready.
void send_request(Exchange& x, std::uint32_t code, std::uint32_t value, Outgoing& payload) {
  const std::size_t length = payload.total();
  const auto total = static_cast<std::uint32_t>(length);
  std::size_t sent = 0;
  while (length - sent > ZTL_CHUNK_MAX) {
    write_frame(x, ZtlFrameHeader{code, value, total, ZTL_CHUNK_MAX, 0}, payload);
    wait_for_host(x);
    sent += ZTL_CHUNK_MAX;
  }
  const auto rest = static_cast<std::uint32_t>(length - sent);
  write_frame(x, ZtlFrameHeader{code, value, total, rest, 1}, payload);
  wait_for_host(x);
}

ZtlFrameHeader read_header(const Connection& c) {
  // One copy, checked and used from then on: the host may write the view at any time.
  ZtlFrameHeader header;
  std::memcpy(&header, c.view.data(), sizeof header);
  return header;
}

// The reply's frames come from another process and are checked before use:
// each chunk fits the frame, the chunks add up to the total, and the total
// does not change between chunks.
void check_chunk(const ZtlFrameHeader& h, std::uint32_t total, std::size_t received) {
  const bool fits = h.chunk_length <= ZTL_CHUNK_MAX && h.total_length == total &&
                    h.chunk_length <= total - received && (h.last == 0 || h.last == 1);
  const bool progresses = h.last == 1 ? received + h.chunk_length == total : h.chunk_length > 0;
  if (!fits || !progresses) throw ExchangeFailure{ZTL_SEND_BAD_REPLY, kBadReply};
}

// A reply repeats its request's code and value; anything else is an answer
// meant for another exchange.
void check_reply_of(const ZtlFrameHeader& header, std::uint32_t code, std::uint32_t value) {
  if (header.code != code || header.value != value) throw ExchangeFailure{ZTL_SEND_BAD_REPLY, kBadReply};
}

ZtlReply receive_reply(Exchange& x, std::uint32_t code, std::uint32_t value, const ZtlReplyRoom* room) {
  Connection& c = x.c;
  ZtlFrameHeader header = read_header(c);
  check_reply_of(header, code, value);
  const std::uint32_t total = header.total_length;
  if (total == 0) {
    check_chunk(header, 0, 0);
    return ZtlReply{nullptr, 0};
  }
  // When the total cannot be allocated the chunks are still taken (and
  // dropped), so the channel stays in step for the next request.
  ReplyBuffer buffer;
  std::uint8_t* into = nullptr;
  if (room != nullptr) {
    into = room->make(total, room->context);
  } else {
    buffer.reset(static_cast<std::uint8_t*>(std::malloc(total)));
    into = buffer.get();
  }
  const auto taken = [room, into](std::size_t received) {
    if (room != nullptr && room->taken != nullptr && into != nullptr) room->taken(received, room->context);
  };
  std::size_t received = 0;
  for (;;) {
    check_chunk(header, total, received);
    if (into != nullptr) std::memcpy(into + received, c.view.data() + ZTL_FRAME_HEADER_SIZE, header.chunk_length);
    received += header.chunk_length;
    if (header.last == 1) break;
    c.client_event.set();
    taken(received);
    wait_for_host(x);
    header = read_header(c);
    check_reply_of(header, code, value);
  }
  if (into == nullptr) throw ExchangeFailure{ZTL_SEND_OUT_OF_MEMORY, kOutOfMemory};
  taken(received);
  (void)buffer.release();  // the caller's now
  return ZtlReply{into, total};
}

// The host marks the time from taking a request to publishing its answer.
// Between two requests of living clients it is over by the time the next one
// has the lock, or nearly; after a client died inside its exchange the host
// may still be answering it into the frame.
void wait_until_host_idle(Exchange& x) {
  const ZtlChannelControl& control = control_of(x.c.view);
  const auto idle = [&control] { return __atomic_load_n(&control.serving, __ATOMIC_SEQ_CST) == 0; };
  for (int turn = 0; turn < 64; ++turn) {
    if (idle()) return;
    std::this_thread::yield();
  }
  wait_in_slices(x, std::chrono::milliseconds(0), [&](std::chrono::milliseconds slice) {
    for (auto end = std::chrono::steady_clock::now() + slice;;) {
      if (idle()) return true;
      if (channel_state(x.c.view) == ZTL_CHANNEL_CLOSED || x.c.host.ended())
        throw ExchangeFailure{ZTL_SEND_HOST_GONE, kHostGone};
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
}

// What a send asks: the request, and where its reply goes.
struct Request {
  std::uint32_t code;
  std::uint32_t value;
  const ZtlBytes* parts;
  std::size_t count;
  const ZtlReplyRoom* room;
};

ZtlReply exchange(Exchange& x, const Request& request) {
  ClientTurn turn(x);
  // A client that died inside its exchange can leave the host's last signal
  // (a chunk taken, its answer) unconsumed: it must not pass for ours.
  wait_until_host_idle(x);
  (void)x.c.host_event.take_signal();
  Outgoing payload(request.parts, request.count);
  send_request(x, request.code, request.value, payload);
  return receive_reply(x, request.code, request.value, request.room);
}

// This process's threads one at a time; a thread whose turn does not come
// before it is cancelled gives up. Its first slice is none: the thread that
// has the turn may need the interpreter's lock to finish.
class ThreadTurn {
 public:
  explicit ThreadTurn(Exchange& x) : mutex_(state().exchange_turn) {
    wait_in_slices(x, std::chrono::milliseconds(0), [this](std::chrono::milliseconds slice) {
      return slice.count() == 0 ? mutex_.try_lock() : mutex_.try_lock_for(slice);
    });
  }
  ~ThreadTurn() { mutex_.unlock(); }
  ThreadTurn(const ThreadTurn&) = delete;
  ThreadTurn& operator=(const ThreadTurn&) = delete;

 private:
  std::timed_mutex& mutex_;
};

// under_way: the failure came after a frame was written, so an interrupted
// exchange leaves the frames out of step as a malformed reply does.
ZtlSendStatus fail(ZtlSendStatus status, std::string text, bool under_way) {
  ClientState& s = state();
  s.last_error = std::move(text);
  if (status == ZTL_SEND_HOST_GONE) s.broken = ZTL_SEND_HOST_GONE;
  if (status == ZTL_SEND_BAD_REPLY || status == ZTL_SEND_SYSTEM_ERROR) s.broken = ZTL_SEND_BROKEN;
  if (status == ZTL_SEND_INTERRUPTED && under_way) s.broken = ZTL_SEND_BROKEN;
  return status;
}

ZtlSendStatus send_in_turn(Exchange& x, const Request& request, ZtlReply* reply) {
  ClientState& s = state();
  if (s.broken != ZTL_SEND_OK) {
    s.last_error = s.broken == ZTL_SEND_HOST_GONE ? kHostGone : kBroken;
    return s.broken;
  }
  try {
    *reply = exchange(x, request);
    return ZTL_SEND_OK;
  } catch (const ExchangeFailure& failure) {
    return fail(failure.status, failure.text, x.under_way);
  } catch (const std::bad_alloc&) {
    return fail(ZTL_SEND_SYSTEM_ERROR, kOutOfMemory, x.under_way);
  } catch (const std::exception& e) {
    return fail(ZTL_SEND_SYSTEM_ERROR, std::string("Channel failure: ") + e.what(), x.under_way);
  } catch (...) {
    return fail(ZTL_SEND_SYSTEM_ERROR, "Channel failure", x.under_way);
  }
}

// A station closes a channel whose client died inside an exchange; a script
// that joined it just then finds it closed at its first request, which the
// host never took. Such a script has nothing on that channel yet: it connects
// again through the announcement, once, instead of failing.
bool may_connect_again(const ClientState& s) {
  return s.announced && !s.answered && s.connection && !s.connection->host.ended() &&
         channel_state(s.connection->view) == ZTL_CHANNEL_CLOSED;
}

bool connect_again(ClientState& s) {
  try {
    std::optional<Connection> fresh;
    fresh.emplace(connect_announced());
    s.connection.reset();
    s.connection.emplace(std::move(*fresh));
    s.broken = ZTL_SEND_OK;
    return true;
  } catch (...) {
    return false;  // the first failure stands
  }
}

ZtlSendStatus send_once_more_if_closed(Exchange& x, const Request& request, ZtlReply* reply) {
  ClientState& s = state();
  ZtlSendStatus status = send_in_turn(x, request, reply);
  if (status == ZTL_SEND_HOST_GONE && may_connect_again(s) && connect_again(s)) {
    Exchange again{*s.connection, x.blocking};
    status = send_in_turn(again, request, reply);
  }
  if (status == ZTL_SEND_OK) s.answered = true;
  return status;
}

}  // namespace

extern "C" {

ZtlConnectStatus ztl_channel_connect(void) {
  if (state().connection) return ZTL_CONNECT_OK;
  try {
    connect();
    return ZTL_CONNECT_OK;
  } catch (const ConnectFailure& failure) {
    return failure.status;
  } catch (...) {
    return ZTL_CONNECT_HOST_2;
  }
}

const char* ztl_connect_line(ZtlConnectStatus status) {
  switch (status) {
    case ZTL_CONNECT_OK: return "";
    case ZTL_CONNECT_MAPPING_1: return "Failed to open file mapping memory[1]\n";
    case ZTL_CONNECT_MAPPING_2: return "Failed to open file mapping memory[2]\n";
    case ZTL_CONNECT_MAPPING_3: return "Failed to open file mapping memory[3]\n";
    case ZTL_CONNECT_HOST_0: return "Can't connect to Zentrella[0]\n";
    case ZTL_CONNECT_HOST_1: return "Can't connect to Zentrella[1]\n";
    case ZTL_CONNECT_HOST_2: return "Can't connect to Zentrella[2]\n";
    case ZTL_CONNECT_BAD_CHANNEL_ENV: return "Can't connect to Zentrella: " ZTL_CHANNEL_ENV " holds no channel number\n";
  }
  return "";
}

const char* ztl_connect_message(ZtlConnectStatus status) {
  switch (status) {
    case ZTL_CONNECT_OK: return "";
    case ZTL_CONNECT_MAPPING_1: return "Can't open file mapping memory[1]";
    case ZTL_CONNECT_MAPPING_2: return "Can't open file mapping memory[2]";
    case ZTL_CONNECT_MAPPING_3: return "Can't open file mapping memory[3]";
    case ZTL_CONNECT_HOST_0: return "Can't connect to Zentrella[0]";
    case ZTL_CONNECT_HOST_1: return "Can't connect to Zentrella[1]";
    case ZTL_CONNECT_HOST_2: return "Can't connect to Zentrella[2]";
    case ZTL_CONNECT_BAD_CHANNEL_ENV: return "Can't connect to Zentrella: " ZTL_CHANNEL_ENV " holds no channel number";
  }
  return "";
}

ZtlSendStatus ztl_channel_send(uint32_t code, uint32_t value, const void* payload, size_t length,
                               ZtlReply* reply) {
  return ztl_channel_send_blocking(code, value, payload, length, reply, nullptr);
}

ZtlSendStatus ztl_channel_send_blocking(uint32_t code, uint32_t value, const void* payload, size_t length,
                                        ZtlReply* reply, const ZtlBlocking* blocking) {
  const ZtlBytes part{payload, payload == nullptr ? 0 : length};
  return ztl_channel_send_parts(code, value, &part, 1, reply, blocking, nullptr);
}

ZtlSendStatus ztl_channel_send_parts(uint32_t code, uint32_t value, const ZtlBytes* parts, size_t count,
                                     ZtlReply* reply, const ZtlBlocking* blocking, const ZtlReplyRoom* room) {
  *reply = ZtlReply{nullptr, 0};
  ClientState& s = state();
  if (!s.connection) {
    s.last_error = "Not connected to Zentrella";
    return ZTL_SEND_NOT_CONNECTED;
  }
  bool too_large = false;
  for (std::size_t i = 0, length = 0; i < count && !too_large; ++i) {
    too_large = parts[i].length > UINT32_MAX - length;
    length += parts[i].length;
  }
  if (too_large) {
    s.last_error = "Request too large for the channel";
    return ZTL_SEND_SYSTEM_ERROR;
  }
  // A trap handler runs while this thread waits inside a request; a request of
  // its own would wait for the turn this thread holds.
  static thread_local bool in_request = false;
  if (in_request) {
    s.last_error = "A request to Zentrella cannot be made while another one waits (from a signal handler?)";
    return ZTL_SEND_SYSTEM_ERROR;
  }
  const struct InRequest {
    InRequest() { in_request = true; }
    ~InRequest() { in_request = false; }
  } marked;
  Exchange x{*s.connection, blocking};
  try {
    const ThreadTurn turn(x);
    return send_once_more_if_closed(x, Request{code, value, parts, count, room}, reply);
  } catch (const ExchangeFailure& failure) {  // cancelled while another thread had its turn
    s.last_error = failure.text;
    return failure.status;
  } catch (...) {
    s.last_error = "Channel failure";
    return ZTL_SEND_SYSTEM_ERROR;
  }
}

void ztl_reply_free(ZtlReply* reply) {
  std::free(reply->data);
  reply->data = nullptr;
  reply->length = 0;
}

const char* ztl_channel_last_error(void) { return state().last_error.c_str(); }

const char* ztl_host_text_encoding(void) {
  try {
    return platform::codepage::current() == platform::codepage::CodePage::cp932 ? "Windows-31J" : "UTF-8";
  } catch (...) {
    return "UTF-8";
  }
}

}  // extern "C"
