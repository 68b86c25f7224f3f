#include <gtest/gtest.h>

#include <atomic>
#include <sched.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

#include "process_pair.h"

namespace bench {
namespace {

std::string message_of(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(ServerProcess, FailureBeforeReadyIsReported) {
  const std::string what = message_of([] {
    ServerProcess server({}, [](const std::function<void()>&) { throw std::runtime_error("no channel"); });
  });
  EXPECT_NE(what.find("ended before it was ready: exited with 1"), std::string::npos) << what;
}

TEST(ServerProcess, FailureAfterReadyIsReportedByFinish) {
  ServerProcess server({}, [](const std::function<void()>& ready) {
    ready();
    throw std::runtime_error("wrong request");
  });
  const std::string what = message_of([&] { server.finish(); });
  EXPECT_NE(what.find("the server failed: exited with 1"), std::string::npos) << what;
}

TEST(ServerProcess, AServerThatHangsIsKilledWhenTheClientGivesUp) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(run_pair(
                   unpinned(),
                   [](const std::function<void()>& ready) {
                     ready();
                     pause();
                   },
                   []() -> int { throw std::runtime_error("client failed"); }),
               std::runtime_error);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ServerProcess, SharedRegionCarriesResultsBack) {
  SharedRegion region(sizeof(std::atomic<int>));
  auto* value = new (region.data()) std::atomic<int>(0);
  const int seen = run_pair(
      unpinned(),
      [&](const std::function<void()>& ready) {
        value->store(42);
        ready();
      },
      [&] { return value->load(); });
  EXPECT_EQ(seen, 42);
}

TEST(Placement, EachSideRunsOnItsCpu) {
  if (sysconf(_SC_NPROCESSORS_ONLN) < 2) GTEST_SKIP() << "needs two CPUs";
  SharedRegion region(sizeof(std::atomic<int>));
  auto* server_cpu = new (region.data()) std::atomic<int>(-1);
  const Placement placement = one_cpu_each();
  const int client_cpu = run_pair(
      placement,
      [&](const std::function<void()>& ready) {
        server_cpu->store(sched_getcpu());
        ready();
      },
      [] { return sched_getcpu(); });
  EXPECT_EQ(client_cpu, placement.client_cpus.front());
  EXPECT_EQ(server_cpu->load(), placement.server_cpus.front());
}

TEST(Placement, PinningIsUndoneAfterwards) {
  cpu_set_t before;
  ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
  { ScopedAffinity pin({0}); }
  cpu_set_t after;
  ASSERT_EQ(sched_getaffinity(0, sizeof after, &after), 0);
  EXPECT_TRUE(CPU_EQUAL(&before, &after));
}

}  // namespace
}  // namespace bench

namespace bench {
namespace {

TEST(Placement, ParallelWhenTheSidesCanRunAtOnce) {
  EXPECT_FALSE(one_cpu().parallel());
  EXPECT_TRUE(two_cpus().parallel());
  EXPECT_TRUE(one_cpu_each().parallel());
  EXPECT_TRUE(unpinned().parallel());
}

}  // namespace
}  // namespace bench
