#include "controller/run_controller.h"

#include <gtest/gtest.h>

namespace scriptlink {
namespace {

TEST(RunParameters, FlagTextIsOnWhenTheNumbersLowestByteIsNotZero) {
  EXPECT_TRUE(FlagFromText("1"));
  EXPECT_TRUE(FlagFromText("-1"));
  EXPECT_TRUE(FlagFromText("+3"));
  EXPECT_TRUE(FlagFromText("257"));
  EXPECT_FALSE(FlagFromText("256")) << "only the lowest byte counts";
  EXPECT_FALSE(FlagFromText("0"));
  EXPECT_FALSE(FlagFromText("abc"));
  EXPECT_FALSE(FlagFromText("1x"));
  EXPECT_FALSE(FlagFromText(""));
  EXPECT_FALSE(FlagFromText("99999999999")) << "out of range is not a number";
  EXPECT_FALSE(FlagFromText(nullptr));
}

TEST(RunParameters, BareScriptNameLiesInTheScriptFolder) {
  EXPECT_EQ(ScriptFromParameter("a.rb", "/u/Script/"), "/u/Script/a.rb");
  EXPECT_EQ(ScriptFromParameter("/elsewhere/a.rb", "/u/Script/"), "/elsewhere/a.rb");
  EXPECT_EQ(ScriptFromParameter("sub/a.rb", "/u/Script/"), "sub/a.rb") << "a folder part is taken as given";
}

TEST(RunParameters, BareNameWithoutExtensionIsAlsoLookedForAsRubyFile) {
  EXPECT_EQ(ScriptCandidates("tidy", "/u/Script/"), (std::vector<std::string>{"/u/Script/tidy", "/u/Script/tidy.rb"}));
  EXPECT_EQ(ScriptCandidates("tidy.rb", "/u/Script/"), std::vector<std::string>{"/u/Script/tidy.rb"});
  EXPECT_EQ(ScriptCandidates("/x/tidy", "/u/Script/"), std::vector<std::string>{"/x/tidy"})
      << "a path names its one file";
}

}  // namespace
}  // namespace scriptlink
