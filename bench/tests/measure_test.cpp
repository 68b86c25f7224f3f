#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "measure.h"

namespace bench {
namespace {

TEST(Median, OddEvenAndEmpty) {
  EXPECT_DOUBLE_EQ(median_of({5, 1, 3}), 3);
  EXPECT_DOUBLE_EQ(median_of({4, 1, 3, 2}), 2.5);
  EXPECT_DOUBLE_EQ(median_of({7}), 7);
  EXPECT_THROW(median_of({}), std::invalid_argument);
}

TEST(Median, OneWildRunDoesNotMoveIt) {
  Sample s{{1.0, 1.1, 0.9, 50.0, 1.0}};
  EXPECT_DOUBLE_EQ(s.median(), 1.0);
  EXPECT_DOUBLE_EQ(s.low(), 0.9);
  EXPECT_DOUBLE_EQ(s.high(), 50.0);
}

TEST(Measure, RunsEqualBatchesAfterWarmUp) {
  std::vector<std::size_t> batches;
  Budget budget{4, std::chrono::milliseconds(2), std::chrono::milliseconds(2), 1000};
  const Sample s = measure([&](std::size_t n) { batches.push_back(n); }, budget);
  ASSERT_EQ(s.per_op.size(), 4u);
  ASSERT_GE(batches.size(), 5u);
  // The timed runs are the last four calls and all have the same count.
  const std::size_t timed = batches.back();
  for (std::size_t i = batches.size() - 4; i < batches.size(); ++i) EXPECT_EQ(batches[i], timed);
  EXPECT_LE(timed, 1000u);
  for (double per_op : s.per_op) EXPECT_GE(per_op, 0.0);
}

TEST(Measure, RejectsABudgetWithoutRuns) {
  Budget budget;
  budget.runs = 0;
  EXPECT_THROW(measure([](std::size_t) {}, budget), std::invalid_argument);
}

TEST(Measure, AnOperationThatThrowsEndsTheMeasurement) {
  EXPECT_THROW(measure([](std::size_t) { throw std::runtime_error("wrong reply"); }), std::runtime_error);
}

}  // namespace
}  // namespace bench

namespace bench {
namespace {

TEST(MeasureInterleaved, RunsTakeTurnsAfterEachIsWarm) {
  std::vector<char> calls;
  Budget budget{3, std::chrono::milliseconds(1), std::chrono::milliseconds(1), 100};
  const auto samples = measure_interleaved(
      {[&](std::size_t) { calls.push_back('a'); }, [&](std::size_t) { calls.push_back('b'); }}, budget);
  ASSERT_EQ(samples.size(), 2u);
  EXPECT_EQ(samples[0].per_op.size(), 3u);
  EXPECT_EQ(samples[1].per_op.size(), 3u);
  ASSERT_GE(calls.size(), 6u);
  const std::vector<char> timed(calls.end() - 6, calls.end());
  EXPECT_EQ(timed, (std::vector<char>{'a', 'b', 'a', 'b', 'a', 'b'}));
  // Every warm-up of a came before the first warm-up of b.
  const auto first_b = std::find(calls.begin(), calls.end(), 'b');
  EXPECT_EQ(std::find(first_b, calls.end() - 6, 'a'), calls.end() - 6);
}

}  // namespace
}  // namespace bench
