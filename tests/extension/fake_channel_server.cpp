// A stand-in for the plug-in's end of the channel, for the extension's tests.
// It lays out the kernel objects for one channel number, prints "ready", then
// answers every request with the next line of a reply script and logs what it
// received, so a Ruby test can check the exact frames the extension sends.
//
//   fake_channel_server --mode channel|station|silent-station|stale
//                       --number N --replies FILE --log FILE [--default LINE]
//
// Reply lines: "empty", "words W...", "text T", "hex H", "fill N [NUL-AT]", "echo",
// "stale LINE" (LINE, then one signal too many), "recode LINE" (LINE under
// another code), "after MS LINE" (LINE, MS milliseconds late),
// "die" (exit without replying), "frames T C L [T C L...]" (raw headers),
// "hang" (never reply), "close" (close the channel as a station does after
// its script, and stay alive).
#include <platform/named_event.h>
#include <platform/named_mapping.h>
#include <platform/named_mutex.h>
#include <platform/process.h>

#include <ztl/channel.h>

#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Options {
  std::string mode = "channel";
  std::uint32_t number = 4242;
  std::string replies;
  std::string log;
  std::string fallback = "empty";
};

Options parse(int argc, char** argv) {
  Options o;
  std::map<std::string, std::string*> text{{"--mode", &o.mode}, {"--replies", &o.replies},
                                           {"--log", &o.log}, {"--default", &o.fallback}};
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    if (key == "--number") {
      o.number = static_cast<std::uint32_t>(std::stoul(argv[i + 1]));
    } else if (text.count(key) != 0) {
      *text[key] = argv[i + 1];
    } else {
      std::cerr << "unknown option " << key << "\n";
      std::exit(2);
    }
  }
  return o;
}

std::string name_for(const char* prefix, std::uint32_t number) { return prefix + std::to_string(number); }

class Log {
 public:
  explicit Log(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
    if (file_ == nullptr) std::exit(3);
  }
  void line(const std::string& text) {
    std::fputs((text + "\n").c_str(), file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
};

std::string hex(const Bytes& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (auto b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out.empty() ? "-" : out;
}

Bytes unhex(const std::string& text) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  }
  return out;
}

struct Channel {
  platform::NamedMapping mapping;
  platform::MappedView view;
  platform::NamedEvent host;
  platform::NamedEvent client;
  platform::NamedMutex lock;

  ZtlFrameHeader header() const {
    ZtlFrameHeader h;
    std::memcpy(&h, view.data(), sizeof h);
    return h;
  }
  void put(const ZtlFrameHeader& h, const std::uint8_t* chunk) {
    if (chunk != nullptr) std::memcpy(view.data() + ZTL_FRAME_HEADER_SIZE, chunk, std::min<std::uint32_t>(h.chunk_length, ZTL_CHUNK_MAX));
    std::memcpy(view.data(), &h, sizeof h);
    host.set();
  }
};

ZtlChannelControl& control(const Channel& c) {
  return *reinterpret_cast<ZtlChannelControl*>(c.view.data() + ZTL_CHANNEL_CONTROL_OFFSET);
}

Channel make_channel(std::uint32_t number) {
  auto mapping = platform::NamedMapping::create_or_open(name_for(ZTL_CHANNEL_MAPPING_PREFIX, number),
                                                         ZTL_CHANNEL_OBJECT_SIZE);
  auto view = mapping.view();
  auto* block = reinterpret_cast<ZtlChannelControl*>(view.data() + ZTL_CHANNEL_CONTROL_OFFSET);
  block->host_pid = static_cast<std::uint32_t>(getpid());
  __atomic_store_n(&block->state, ZTL_CHANNEL_OPEN, __ATOMIC_SEQ_CST);
  return Channel{std::move(mapping), std::move(view),
                 platform::NamedEvent::create_or_open(name_for(ZTL_HOST_EVENT_PREFIX, number)),
                 platform::NamedEvent::create_or_open(name_for(ZTL_CLIENT_EVENT_PREFIX, number)),
                 platform::NamedMutex::create_or_open(name_for(ZTL_CLIENT_LOCK_PREFIX, number))};
}

void announce(const platform::NamedMapping& announcement, std::uint32_t value) {
  auto view = announcement.view();
  std::memcpy(view.data(), &value, sizeof value);
}

// Takes one request as the plug-in does: chunk after chunk until the last.
Bytes read_request(Channel& c, ZtlFrameHeader& first, int& chunks) {
  Bytes payload;
  ZtlFrameHeader h = c.header();
  first = h;
  chunks = 1;
  while (h.last == 0) {
    payload.insert(payload.end(), c.view.data() + ZTL_FRAME_HEADER_SIZE,
                   c.view.data() + ZTL_FRAME_HEADER_SIZE + h.chunk_length);
    c.host.set();
    c.client.wait();
    h = c.header();
    ++chunks;
  }
  payload.insert(payload.end(), c.view.data() + ZTL_FRAME_HEADER_SIZE,
                 c.view.data() + ZTL_FRAME_HEADER_SIZE + h.chunk_length);
  return payload;
}

// Sends a reply as the plug-in does; every chunk but the last waits for the ack.
void write_reply(Channel& c, const ZtlFrameHeader& request, const Bytes& reply, Log& log) {
  ZtlFrameHeader h = request;
  h.total_length = static_cast<std::uint32_t>(reply.size());
  std::size_t sent = 0;
  while (reply.size() - sent > ZTL_CHUNK_MAX) {
    h.chunk_length = ZTL_CHUNK_MAX;
    h.last = 0;
    c.put(h, reply.data() + sent);
    c.client.wait();
    log.line("ack");
    sent += ZTL_CHUNK_MAX;
  }
  h.chunk_length = static_cast<std::uint32_t>(reply.size() - sent);
  h.last = 1;
  c.put(h, reply.data() + sent);
}

// A large fill is produced chunk by chunk rather than held whole.
void write_fill(Channel& c, const ZtlFrameHeader& request, std::uint32_t total, std::uint32_t nul_at, Log& log) {
  ZtlFrameHeader h = request;
  h.total_length = total;
  std::uint8_t chunk[ZTL_CHUNK_MAX];
  std::uint32_t sent = 0;
  int acks = 0;
  do {
    h.chunk_length = std::min<std::uint32_t>(total - sent, ZTL_CHUNK_MAX);
    std::memset(chunk, 'x', sizeof chunk);
    if (nul_at >= sent && nul_at - sent < h.chunk_length) chunk[nul_at - sent] = 0;
    sent += h.chunk_length;
    h.last = sent == total ? 1 : 0;
    c.put(h, chunk);
    if (h.last == 0) {
      c.client.wait();
      ++acks;
    }
  } while (sent < total);
  log.line("acks " + std::to_string(acks));
}

void write_frames(Channel& c, const ZtlFrameHeader& request, std::istringstream& fields) {
  std::vector<std::uint32_t> v;
  std::int64_t x;
  while (fields >> x) v.push_back(static_cast<std::uint32_t>(x));
  static const std::uint8_t zeros[ZTL_CHUNK_MAX] = {};
  for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
    ZtlFrameHeader h = request;
    h.total_length = v[i];
    h.chunk_length = v[i + 1];
    h.last = v[i + 2];
    c.put(h, zeros);
    if (i + 3 < v.size()) c.client.wait();
  }
}

void answer(Channel& c, const ZtlFrameHeader& request, const Bytes& payload, const std::string& line, Log& log) {
  std::istringstream fields(line);
  std::string kind;
  fields >> kind;
  Bytes reply;
  if (kind == "stale") {
    // Answers as the rest of the line says, then signals once more, as the
    // host's last signal to a client that died before taking it stays set.
    std::string rest;
    std::getline(fields, rest);
    answer(c, request, payload, rest, log);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the client has taken the answer
    c.host.set();
    return;
  }
  if (kind == "after") {
    // Answers as the rest of the line says, MS milliseconds late.
    int ms = 0;
    fields >> ms;
    std::string rest;
    std::getline(fields, rest);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    answer(c, request, payload, rest, log);
    return;
  }
  if (kind == "recode") {
    // Answers as the rest of the line says, under another request's code.
    std::string rest;
    std::getline(fields, rest);
    ZtlFrameHeader other = request;
    ++other.code;
    answer(c, other, payload, rest, log);
    return;
  }
  if (kind == "die") {
    log.line("died");
    std::_Exit(0);
  } else if (kind == "hang") {
    log.line("hanging");
    for (;;) pause();
  } else if (kind == "close") {
    __atomic_store_n(&control(c).state, ZTL_CHANNEL_CLOSED, __ATOMIC_SEQ_CST);
    c.host.set();
    log.line("closed");
    for (;;) pause();
  } else if (kind == "words") {
    std::int64_t w;
    while (fields >> w) {
      const auto u = static_cast<std::uint32_t>(w);
      for (int s = 0; s < 32; s += 8) reply.push_back(static_cast<std::uint8_t>(u >> s));
    }
  } else if (kind == "text") {
    std::string rest;
    std::getline(fields, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    reply.assign(rest.begin(), rest.end());
    reply.push_back(0);
  } else if (kind == "hex") {
    std::string h;
    fields >> h;
    reply = unhex(h);
  } else if (kind == "fill") {
    std::uint32_t n = 0;
    std::uint32_t nul_at = UINT32_MAX;
    fields >> n >> nul_at;
    write_fill(c, request, n, nul_at, log);
    return;
  } else if (kind == "echo") {
    reply = payload;
  } else if (kind == "frames") {
    write_frames(c, request, fields);
    return;
  }
  write_reply(c, request, reply, log);
}

[[noreturn]] void serve(Channel& c, std::deque<std::string> replies, const Options& o, Log& log) {
  for (;;) {
    c.client.wait();
    ZtlFrameHeader first{};
    int chunks = 0;
    const Bytes payload = read_request(c, first, chunks);
    log.line("req " + std::to_string(first.code) + " " + std::to_string(first.value) + " " +
             std::to_string(chunks) + " " + hex(payload));
    std::string line = o.fallback;
    if (!replies.empty()) {
      line = replies.front();
      replies.pop_front();
    }
    answer(c, first, payload, line, log);
  }
}

std::deque<std::string> read_replies(const std::string& path) {
  std::deque<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void ready() {
  std::cout << "ready" << std::endl;
}

[[noreturn]] void idle() {
  for (;;) pause();
}

}  // namespace

int main(int argc, char** argv) {
  // Never outlive the test that started us.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const Options o = parse(argc, argv);
  Log log(o.log);
  auto replies = read_replies(o.replies);
  auto announcement = platform::NamedMapping::create_or_open(ZTL_ANNOUNCE_MAPPING_NAME, ZTL_ANNOUNCE_MAPPING_SIZE);

  if (o.mode == "stale") {
    announce(announcement, o.number);
    ready();
    idle();
  }
  if (o.mode == "channel") {
    Channel c = make_channel(o.number);
    announce(announcement, o.number);
    ready();
    serve(c, replies, o, log);
  }
  auto host_wait = platform::NamedEvent::create_or_open(ZTL_HOST_WAIT_EVENT_NAME);
  auto client_wait = platform::NamedEvent::create_or_open(ZTL_CLIENT_WAIT_EVENT_NAME);
  announce(announcement, 0);
  ready();
  if (o.mode == "silent-station") idle();
  // A station: take one external script, as the wait thread and the notify
  // window would, then serve it.
  client_wait.wait();
  auto view = announcement.view();
  std::uint32_t pid = 0;
  std::memcpy(&pid, view.data(), sizeof pid);
  log.line("external " + std::to_string(pid));
  Channel c = make_channel(o.number);
  announce(announcement, o.number);
  host_wait.set();
  serve(c, replies, o, log);
}
