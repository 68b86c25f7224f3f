#include <gtest/gtest.h>

#include <stdexcept>
#include <unistd.h>

#include "child_sample.h"
#include "report.h"

namespace bench {
namespace {

TEST(Target, BoundsAreInclusiveExceptForBelow) {
  EXPECT_TRUE((Target{Goal::at_most, 1.5}).met(1.5));
  EXPECT_FALSE((Target{Goal::at_most, 1.5}).met(1.51));
  EXPECT_FALSE((Target{Goal::below, 1.0}).met(1.0));
  EXPECT_TRUE((Target{Goal::below, 1.0}).met(0.99));
  EXPECT_TRUE((Target{Goal::at_least, 0.7}).met(0.7));
  EXPECT_FALSE((Target{Goal::at_least, 0.7}).met(0.69));
  EXPECT_EQ((Target{Goal::at_least, 0.7}).describe(), ">= 0.70x");
}

TEST(Format, UnitsAndPrecision) {
  EXPECT_EQ(format_micros(11.234e-6), "11.2 us");
  EXPECT_EQ(format_micros(0.7e-6), "0.70 us");
  EXPECT_EQ(format_micros(1234e-6), "1234 us");
  EXPECT_EQ(format_gbps(0.67e9), "0.670 GB/s");
}

TEST(ChildSample, BringsBackEveryRun) {
  const Sample sample = sample_in_child([] { return Sample{{1.0, 2.0, 3.0}}; });
  EXPECT_EQ(sample.per_op, (std::vector<double>{1.0, 2.0, 3.0}));
}

TEST(ChildSample, AFailureInTheChildKeepsItsMessage) {
  try {
    sample_in_child([]() -> Sample { throw std::runtime_error("the current item came back wrong"); });
    FAIL() << "no throw";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "the current item came back wrong");
  }
}

TEST(ChildSample, AChildThatDiesIsAnErrorNotASample) {
  EXPECT_THROW(sample_in_child([]() -> Sample { _exit(0); }), std::runtime_error);
}

}  // namespace
}  // namespace bench
