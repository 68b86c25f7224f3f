#include "side_by_side.h"

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "child_sample.h"
#include "raw_channel.h"
#include "real_channel.h"
#include "socket_pingpong.h"

namespace bench {
namespace {

using Op = std::function<void(std::size_t)>;

// A raw channel in shared memory with its server, pinned as placed.
struct RawSide {
  SharedRegion region{sizeof(RawChannel)};
  RawChannel& channel = *new (region.data()) RawChannel();
  WaitStyle style;
  ServerProcess server;

  RawSide(const Placement& placement, WaitStyle wait_style, const std::vector<std::uint8_t>& bulk)
      : style(wait_style), server(placement.server_cpus, [this, &bulk](const std::function<void()>& ready) {
          ready();
          raw_serve(channel, style, bulk);
        }) {}
};

struct SocketSide {
  SocketPair sockets;
  ServerProcess server;

  explicit SocketSide(const Placement& placement)
      : server(placement.server_cpus, [this](const std::function<void()>& ready) {
          ready();
          socket_serve(sockets.server_end());
        }) {}
};

std::optional<Sample> take_if(bool present, std::vector<Sample>& samples, std::size_t& next) {
  if (!present) return std::nullopt;
  return samples.at(next++);
}

// Released before the next request, as the real client's reply is, so both
// allocate alike.
void replace_reply(std::vector<std::uint8_t>& last, RawClient& client) {
  std::vector<std::uint8_t>().swap(last);
  last = client.bulk_reply();
}

}  // namespace

RoundTrips measure_round_trips(const Placement& placement, bool with_real, const Budget& budget) {
  const std::vector<std::uint8_t> no_bulk;
  RawSide raw(placement, WaitStyle::sleep, no_bulk);
  std::optional<RawSide> spin;
  if (placement.parallel()) spin.emplace(placement, WaitStyle::spin_then_sleep, no_bulk);
  SocketSide socket(placement);
  std::optional<RealHost> host;
  if (with_real) host.emplace(placement.server_cpus, 0);

  ScopedAffinity pin(placement.client_cpus);
  std::vector<Sample> samples = samples_in_child([&] {
    RawClient raw_client(raw.channel, raw.style);
    SocketClient socket_client(socket.sockets.client_end());
    std::optional<RawClient> spin_client;
    if (spin) spin_client.emplace(spin->channel, spin->style);
    std::optional<RealClient> real_client;
    if (host) real_client.emplace();
    std::vector<Op> ops = {[&](std::size_t n) { raw_client.round_trips(n); },
                           [&](std::size_t n) { socket_client.round_trips(n); }};
    if (spin_client) ops.push_back([&](std::size_t n) { spin_client->round_trips(n); });
    if (real_client) ops.push_back([&](std::size_t n) { real_client->round_trips(n); });
    std::vector<Sample> result = measure_interleaved(ops, budget);
    raw_client.stop();
    socket_client.stop();
    if (spin_client) spin_client->stop();
    return result;
  });
  raw.server.finish();
  socket.server.finish();
  if (spin) spin->server.finish();
  if (host) host->stop();

  std::size_t next = 2;
  RoundTrips figures{samples.at(0), samples.at(1), std::nullopt, std::nullopt};
  figures.spin = take_if(spin.has_value(), samples, next);
  figures.real = take_if(host.has_value(), samples, next);
  return figures;
}

BulkReplies measure_bulk_replies(const Placement& placement, bool with_real, const Budget& budget) {
  const std::vector<std::uint8_t> pattern = bulk_pattern(kBulkBytes);
  RawSide raw(placement, WaitStyle::sleep, pattern);
  std::optional<RawSide> spin;
  if (placement.parallel()) spin.emplace(placement, WaitStyle::spin_then_sleep, pattern);
  std::optional<RealHost> host;
  if (with_real) host.emplace(placement.server_cpus, kBulkBytes);

  ScopedAffinity pin(placement.client_cpus);
  std::vector<Sample> samples = samples_in_child([&] {
    RawClient raw_client(raw.channel, raw.style);
    std::optional<RawClient> spin_client;
    if (spin) spin_client.emplace(spin->channel, spin->style);
    std::optional<RealClient> real_client;
    if (host) real_client.emplace();
    // Checking every reply would be timed with it; the last of each kind
    // stands for all.
    std::vector<std::uint8_t> raw_last;
    std::vector<std::uint8_t> spin_last;
    std::vector<Op> ops = {[&](std::size_t n) {
      for (std::size_t i = 0; i < n; ++i) replace_reply(raw_last, raw_client);
    }};
    if (spin_client) {
      ops.push_back([&](std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) replace_reply(spin_last, *spin_client);
      });
    }
    if (real_client) {
      ops.push_back([&](std::size_t n) { real_client->bulk_replies(n); });
      ops.push_back([&](std::size_t n) { real_client->item_lists(n); });
    }
    std::vector<Sample> result = measure_interleaved(ops, budget);
    raw_client.stop();
    if (spin_client) spin_client->stop();
    if (raw_last != pattern || (spin_client && spin_last != pattern)) {
      throw std::runtime_error("a raw bulk reply differed from what was sent");
    }
    if (real_client && !real_client->bulk_replies_intact(kBulkBytes)) {
      throw std::runtime_error("a real bulk reply differed from what the host sent");
    }
    return result;
  });
  raw.server.finish();
  if (spin) spin->server.finish();
  if (host) host->stop();

  std::size_t next = 1;
  BulkReplies figures{samples.at(0), std::nullopt, std::nullopt, std::nullopt};
  figures.spin = take_if(spin.has_value(), samples, next);
  figures.real = take_if(host.has_value(), samples, next);
  figures.list = take_if(host.has_value(), samples, next);
  return figures;
}

}  // namespace bench
