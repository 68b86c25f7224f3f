// The project option requests against the real host: the record's layout, an
// item standing for its project, and records the host must not take.
#include <gtest/gtest.h>

#include <vector>

#include <ztl/payloads.h>
#include <ztl/request_codes.h>

#include "real_host.h"

namespace {

using request_test::W;
using request_test::Words;

// The host answers an option that is on as its own truth value.
constexpr std::int32_t On = ZTL_TRUE;

class ProjectOptionTest : public request_test::RealHostTest {
 protected:
  W Get(zentrella::Handle item) { return RequestWords(ZTL_REQ_PROJECT_OPTION_GET, item); }
  W Set(zentrella::Handle item, const std::vector<std::uint8_t>& record) {
    return RequestWords(ZTL_REQ_PROJECT_OPTION_SET, item, record);
  }
  zentrella::ProjectOptions& Options(zentrella::Handle project) { return Host().store().item(project)->options; }
};

TEST_F(ProjectOptionTest, ReadAnswersTheHeaderHandleThenTheFiveOptionsInOrder) {
  EXPECT_EQ(Get(P), (W{static_cast<std::int32_t>(P), 0, 0, On, 0, 0}));  // a new project adds at the bottom
  Options(P) = {false, false, false, false, true};
  EXPECT_EQ(Get(P), (W{static_cast<std::int32_t>(P), 0, 0, 0, 0, On}));
  Options(P) = {true, true, false, true, false};
  // A task deep in the project stands for it; the record names the task.
  EXPECT_EQ(Get(A), (W{static_cast<std::int32_t>(A), On, On, 0, On, 0}));
}

TEST_F(ProjectOptionTest, WriteTakesTheHeaderHandleAndPassesEveryValue) {
  // The record's first word names another project: the header's item decides.
  const zentrella::Handle other = Host().add_project(Tree(), "/tmp/other.json");
  EXPECT_EQ(Set(B, Words({static_cast<std::int32_t>(other), 1, 0, 0, 1, 7})), W{1});
  EXPECT_EQ(Options(P), (zentrella::ProjectOptions{true, false, false, true, true}));
  EXPECT_EQ(Options(other), zentrella::ProjectOptions{});
  EXPECT_EQ(Set(P, Words({0, 0, 1, 1, 0, 0})), W{1});
  EXPECT_EQ(Get(D), (W{static_cast<std::int32_t>(D), 0, On, On, 0, 0}));
}

TEST_F(ProjectOptionTest, NoItemAndUnknownItemsAnswerNothingAndChangeNothing) {
  const scriptlink::HostApi no_host{};
  env.host = &no_host;
  EXPECT_TRUE(Request(ZTL_REQ_PROJECT_OPTION_GET, 0).empty());
  EXPECT_EQ(Set(0, Words({0, 1, 1, 1, 1, 1})), W{0});
  env.host = &host;

  // A deleted item is no item, not a project with every option off.
  const zentrella::ProjectOptions before = Options(P);
  DeleteForGood(C);
  EXPECT_TRUE(Request(ZTL_REQ_PROJECT_OPTION_GET, C).empty());
  EXPECT_EQ(Set(C, Words({0, 1, 1, 0, 1, 1})), W{0});
  EXPECT_EQ(Options(P), before);
}

TEST_F(ProjectOptionTest, ShortRecordIsRefusedWhole) {
  Options(P) = {true, true, true, true, true};
  EXPECT_EQ(Set(A, Words({0, 1, 1, 1, 1})), W{0});  // no relative paths word
  EXPECT_EQ(Set(A, {}), W{0});
  std::vector<std::uint8_t> almost = Words({0, 1, 1, 1, 1, 1});
  almost.pop_back();
  EXPECT_EQ(Set(A, almost), W{0});
  EXPECT_EQ(Options(P), (zentrella::ProjectOptions{true, true, true, true, true}));
  // Bytes past the record are not the host's business.
  std::vector<std::uint8_t> longer = Words({0, 0, 0, 0, 0, 0, 99});
  EXPECT_EQ(Set(A, longer), W{1});
  EXPECT_EQ(Options(P), (zentrella::ProjectOptions{false, false, false, false, false}));
}

TEST_F(ProjectOptionTest, SpecialProjectsKeepOptionsOfTheirOwn) {
  const zentrella::Handle bin = ZTLPlugin_GetRecycled();
  EXPECT_EQ(Set(bin, Words({0, 0, 0, 0, 1, 0})), W{1});
  EXPECT_EQ(Get(bin), (W{static_cast<std::int32_t>(bin), 0, 0, 0, On, 0}));
  EXPECT_EQ(Get(P), (W{static_cast<std::int32_t>(P), 0, 0, On, 0, 0}));
}

}  // namespace
