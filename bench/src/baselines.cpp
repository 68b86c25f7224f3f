#include "baselines.h"

#include <new>
#include <stdexcept>

#include "socket_pingpong.h"

namespace bench {
namespace {

RawChannel& make_channel(SharedRegion& region) {
  return *new (region.data()) RawChannel();
}

}  // namespace

Sample raw_round_trip(const Placement& placement, WaitStyle style, const Budget& budget) {
  SharedRegion region(sizeof(RawChannel));
  RawChannel& channel = make_channel(region);
  const std::vector<std::uint8_t> no_bulk;
  return run_pair(
      placement,
      [&](const std::function<void()>& ready) {
        ready();
        raw_serve(channel, style, no_bulk);
      },
      [&] {
        RawClient client(channel, style);
        Sample sample = measure([&](std::size_t n) { client.round_trips(n); }, budget);
        client.stop();
        return sample;
      });
}

Sample socket_round_trip(const Placement& placement, const Budget& budget) {
  SocketPair sockets;
  return run_pair(
      placement,
      [&](const std::function<void()>& ready) {
        ready();
        socket_serve(sockets.server_end());
      },
      [&] {
        SocketClient client(sockets.client_end());
        Sample sample = measure([&](std::size_t n) { client.round_trips(n); }, budget);
        client.stop();
        return sample;
      });
}

Sample raw_bulk(const Placement& placement, WaitStyle style, std::size_t bytes, const Budget& budget) {
  SharedRegion region(sizeof(RawChannel));
  RawChannel& channel = make_channel(region);
  const std::vector<std::uint8_t> pattern = bulk_pattern(bytes);
  return run_pair(
      placement,
      [&](const std::function<void()>& ready) {
        ready();
        raw_serve(channel, style, pattern);
      },
      [&] {
        RawClient client(channel, style);
        // Checking every reply would be timed with it; the last one stands for all.
        std::vector<std::uint8_t> last;
        Sample sample = measure(
            [&](std::size_t n) {
              for (std::size_t i = 0; i < n; ++i) {
                // Released before the next request, as the real client's reply is,
                // so both allocate alike.
                std::vector<std::uint8_t>().swap(last);
                last = client.bulk_reply();
              }
            },
            budget);
        client.stop();
        if (last != pattern) throw std::runtime_error("raw bulk: the reply differed from what was sent");
        return sample;
      });
}

}  // namespace bench
