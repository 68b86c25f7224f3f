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

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
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

struct Connection {
  NamedMapping mapping;
  // Mapped once for the life of the interpreter rather than per request: a
  // view per request would cost two system calls on every round trip.
  MappedView view;
  NamedEvent host_event;    // the host signals: chunk taken / reply chunk ready
  NamedEvent client_event;  // we signal: request chunk ready / reply chunk taken
  NamedMutex lock;          // one client at a time on the channel
  ProcessWatch host;        // every wait also ends when the host is gone
};

struct ClientState {
  std::optional<Connection> connection;
  // A failure in the middle of an exchange leaves the frames out of step with
  // the host; from then on every request fails instead of reading stale data.
  ZtlSendStatus broken = ZTL_SEND_OK;
  std::string last_error;
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
    __atomic_store_n(slot, pid, __ATOMIC_RELEASE);
    view->flush(0, sizeof(std::uint32_t));
    client_wait->set();
    const ProcessWatch station(host_wait->creator_pid());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ZTL_EXTERNAL_HANDSHAKE_MS);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || host_wait->wait(left, station) != WaitResult::signaled) break;
      const std::uint32_t number = __atomic_load_n(slot, __ATOMIC_ACQUIRE);
      if (number != pid) return number;  // else the signal was meant for another script
    }
  } catch (...) {
  }
  // Take our id back, but never a channel number the station wrote meanwhile.
  std::uint32_t expected = pid;
  __atomic_compare_exchange_n(slot, &expected, 0u, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE);
  view->flush(0, sizeof(std::uint32_t));
  throw ConnectFailure{ZTL_CONNECT_HOST_1};
}

// Opens the objects of channel N. A number whose objects are gone (a stale
// announcement) is a connect error here, not a hang at the first request.
Connection open_channel(std::uint32_t number) {
  try {
    auto mapping = NamedMapping::try_open(channel_object_name(ZTL_CHANNEL_MAPPING_PREFIX, number),
                                          ZTL_CHANNEL_MAPPING_SIZE);
    auto host_event = NamedEvent::try_open(channel_object_name(ZTL_HOST_EVENT_PREFIX, number));
    auto client_event = NamedEvent::try_open(channel_object_name(ZTL_CLIENT_EVENT_PREFIX, number));
    auto lock = NamedMutex::try_open(channel_object_name(ZTL_CLIENT_LOCK_PREFIX, number));
    if (!mapping || !host_event || !client_event || !lock) throw ConnectFailure{ZTL_CONNECT_HOST_2};
    ProcessWatch host(host_event->creator_pid());
    if (!host.valid() || host.ended()) throw ConnectFailure{ZTL_CONNECT_HOST_2};
    MappedView view = mapping->view(0, 0, true);
    if (view.size() < ZTL_CHANNEL_MAPPING_SIZE) throw ConnectFailure{ZTL_CONNECT_HOST_2};
    return Connection{std::move(*mapping), std::move(view), std::move(*host_event),
                      std::move(*client_event), std::move(*lock), std::move(host)};
  } catch (const ConnectFailure&) {
    throw;
  } catch (...) {
    throw ConnectFailure{ZTL_CONNECT_HOST_2};
  }
}

void connect() {
  std::uint32_t number = read_announced_number();
  if (number == 0) number = external_handshake();
  if (number == 0) throw ConnectFailure{ZTL_CONNECT_HOST_2};
  state().connection.emplace(open_channel(number));
}

// ---- one exchange ----

struct FreeDeleter {
  void operator()(std::uint8_t* p) const noexcept { std::free(p); }
};
using ReplyBuffer = std::unique_ptr<std::uint8_t, FreeDeleter>;

void wait_for_host(Connection& c) {
  if (c.host_event.wait(c.host) != WaitResult::signaled) throw ExchangeFailure{ZTL_SEND_HOST_GONE, kHostGone};
}

void write_frame(Connection& c, const ZtlFrameHeader& header, const std::uint8_t* chunk) {
  std::uint8_t* base = c.view.data();
  if (header.chunk_length > 0) std::memcpy(base + ZTL_FRAME_HEADER_SIZE, chunk, header.chunk_length);
  std::memcpy(base, &header, sizeof header);
  c.view.flush(0, ZTL_FRAME_HEADER_SIZE + header.chunk_length);
  c.client_event.set();
}

// Sends the request in chunks; returns once the host has the first reply chunk ready.
void send_request(Connection& c, std::uint32_t code, std::uint32_t value, const std::uint8_t* payload,
                  std::size_t length) {
  const auto total = static_cast<std::uint32_t>(length);
  std::size_t sent = 0;
  while (length - sent > ZTL_CHUNK_MAX) {
    write_frame(c, ZtlFrameHeader{code, value, total, ZTL_CHUNK_MAX, 0}, payload + sent);
    wait_for_host(c);
    sent += ZTL_CHUNK_MAX;
  }
  const auto rest = static_cast<std::uint32_t>(length - sent);
  write_frame(c, ZtlFrameHeader{code, value, total, rest, 1}, payload == nullptr ? nullptr : payload + sent);
  wait_for_host(c);
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

ZtlReply receive_reply(Connection& c) {
  ZtlFrameHeader header = read_header(c);
  const std::uint32_t total = header.total_length;
  if (total == 0) {
    check_chunk(header, 0, 0);
    return ZtlReply{nullptr, 0};
  }
  // When the total cannot be allocated the chunks are still taken (and
  // dropped), so the channel stays in step for the next request.
  ReplyBuffer buffer(static_cast<std::uint8_t*>(std::malloc(total)));
  std::size_t received = 0;
  for (;;) {
    check_chunk(header, total, received);
    if (buffer) std::memcpy(buffer.get() + received, c.view.data() + ZTL_FRAME_HEADER_SIZE, header.chunk_length);
    received += header.chunk_length;
    if (header.last == 1) break;
    c.client_event.set();
    wait_for_host(c);
    header = read_header(c);
  }
  if (!buffer) throw ExchangeFailure{ZTL_SEND_OUT_OF_MEMORY, kOutOfMemory};
  return ZtlReply{buffer.release(), total};
}

ZtlReply exchange(Connection& c, std::uint32_t code, std::uint32_t value, const std::uint8_t* payload,
                  std::size_t length) {
  platform::NamedMutexLock guard(c.lock);
  if (guard.abandoned()) {
    // The last client died inside an exchange; a signal meant for it must not
    // pass for the answer to ours.
    c.host_event.wait(std::chrono::milliseconds(0));
  }
  send_request(c, code, value, payload, length);
  return receive_reply(c);
}

ZtlSendStatus fail(ZtlSendStatus status, std::string text) {
  ClientState& s = state();
  s.last_error = std::move(text);
  if (status == ZTL_SEND_HOST_GONE) s.broken = ZTL_SEND_HOST_GONE;
  if (status == ZTL_SEND_BAD_REPLY || status == ZTL_SEND_SYSTEM_ERROR) s.broken = ZTL_SEND_BROKEN;
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
  }
  return "";
}

ZtlSendStatus ztl_channel_send(uint32_t code, uint32_t value, const void* payload, size_t length,
                               ZtlReply* reply) {
  *reply = ZtlReply{nullptr, 0};
  ClientState& s = state();
  if (!s.connection) {
    s.last_error = "Not connected to Zentrella";
    return ZTL_SEND_NOT_CONNECTED;
  }
  if (s.broken != ZTL_SEND_OK) {
    s.last_error = s.broken == ZTL_SEND_HOST_GONE ? kHostGone : kBroken;
    return s.broken;
  }
  if (length > UINT32_MAX) {
    s.last_error = "Request too large for the channel";
    return ZTL_SEND_SYSTEM_ERROR;
  }
  try {
    *reply = exchange(*s.connection, code, value, static_cast<const std::uint8_t*>(payload), length);
    return ZTL_SEND_OK;
  } catch (const ExchangeFailure& failure) {
    return fail(failure.status, failure.text);
  } catch (const std::bad_alloc&) {
    return fail(ZTL_SEND_SYSTEM_ERROR, kOutOfMemory);
  } catch (const std::exception& e) {
    return fail(ZTL_SEND_SYSTEM_ERROR, std::string("Channel failure: ") + e.what());
  } catch (...) {
    return fail(ZTL_SEND_SYSTEM_ERROR, "Channel failure");
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
