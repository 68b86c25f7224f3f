#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "process_pair.h"
#include "raw_channel.h"

namespace bench {
namespace {

TEST(FutexEvent, ASignalWaitsForItsWaiterAndCountsOnce) {
  FutexEvent event;
  EXPECT_FALSE(event.try_consume());
  event.set();
  event.set();
  EXPECT_TRUE(event.try_consume());
  EXPECT_FALSE(event.try_consume());
}

TEST(FutexEvent, AWaitWithoutSignalEndsAtTheGuard) {
  FutexEvent event;
  EXPECT_THROW(event.wait(std::chrono::milliseconds(20)), std::runtime_error);
  EXPECT_THROW(event.wait_spinning(std::chrono::microseconds(100), std::chrono::milliseconds(20)), std::runtime_error);
}

TEST(FutexEvent, WakesAWaiterInAnotherProcess) {
  SharedRegion region(2 * sizeof(FutexEvent));
  auto* events = new (region.data()) FutexEvent[2];
  run_pair(
      unpinned(),
      [&](const std::function<void()>& ready) {
        ready();
        events[0].wait();  // then answer, so the parent sees the child woke
        events[1].set();
      },
      [&] {
        events[0].set();
        events[1].wait();
        return 0;
      });
}

// The bulk sizes around the chunk boundary, each moved between two processes.
class RawBulk : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RawBulk, ArrivesWholeInBothWaitStyles) {
  for (WaitStyle style : {WaitStyle::sleep, WaitStyle::spin_then_sleep}) {
    SharedRegion region(sizeof(RawChannel));
    auto& channel = *new (region.data()) RawChannel();
    const auto pattern = bulk_pattern(GetParam());
    const auto replies = run_pair(
        unpinned(),
        [&](const std::function<void()>& ready) {
          ready();
          raw_serve(channel, style, pattern);
        },
        [&] {
          RawClient client(channel, style);
          std::vector<std::vector<std::uint8_t>> got{client.bulk_reply(), client.bulk_reply()};
          client.round_trips(3);  // small requests still work after bulk ones
          client.stop();
          return got;
        });
    EXPECT_EQ(replies[0], pattern);
    EXPECT_EQ(replies[1], pattern);
  }
}

INSTANTIATE_TEST_SUITE_P(ChunkEdges, RawBulk,
                         ::testing::Values(0, 1, ZTL_CHUNK_MAX, ZTL_CHUNK_MAX + 1, 20000, 3 * ZTL_CHUNK_MAX));

TEST(RawServer, AnUnknownCodeFailsTheServer) {
  SharedRegion region(sizeof(RawChannel));
  auto& channel = *new (region.data()) RawChannel();
  ServerProcess server({}, [&](const std::function<void()>& ready) {
    ready();
    raw_serve(channel, WaitStyle::sleep, {});
  });
  const ZtlFrameHeader bogus{99, 0, 0, 0, 1};
  std::memcpy(channel.frame, &bogus, sizeof bogus);
  channel.client_event.set();
  EXPECT_THROW(server.finish(), std::runtime_error);
}

TEST(BulkPattern, IsDeterministicAndNotFlat) {
  const auto a = bulk_pattern(4096);
  EXPECT_EQ(a, bulk_pattern(4096));
  EXPECT_NE(std::count(a.begin(), a.end(), a[0]), 4096);
}

}  // namespace
}  // namespace bench
