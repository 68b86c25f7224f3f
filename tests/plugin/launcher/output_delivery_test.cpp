// A captured run's output when its target refuses it: kept in a fresh file of
// the user folder, never overwriting one, and the user told where.
#include "launcher/output_delivery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <vector>

#include <platform/clipboard.h>
#include <platform/testing.h>

#include "../test_support.h"

namespace scriptlink {
namespace {

using scriptlink_test::ReadFile;
using scriptlink_test::TempFolder;
using scriptlink_test::WriteFile;

// The files "Scriptlink-output-*" of a folder.
std::vector<std::string> KeptFiles(const std::string& folder) {
  std::vector<std::string> kept;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("Scriptlink-output-", 0) == 0) kept.push_back(entry.path().string());
  }
  return kept;
}

// ".../Scriptlink-output-YYYYMMDD-1.txt"
bool IsFirstKeptName(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const std::string prefix = "Scriptlink-output-";
  const std::string suffix = "-1.txt";
  if (name.size() != prefix.size() + 8 + suffix.size()) return false;
  if (name.rfind(prefix, 0) != 0 || name.substr(prefix.size() + 8) != suffix) return false;
  const std::string date = name.substr(prefix.size(), 8);
  return date.find_first_not_of("0123456789") == std::string::npos;
}

// Delivers and hands back the user's text of the refusal (none if delivered).
std::optional<std::string> Refusal(const std::string& output, const OutputSettings& settings,
                                   const std::string& user_folder) {
  try {
    DeliverOutput(output, settings, user_folder);
  } catch (const DeliveryError& error) {
    return std::string(error.what());
  }
  return std::nullopt;
}

class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class RefusedDelivery : public ::testing::Test {
 protected:
  // The one kept file: its name, its content, and that the text names it.
  void ExpectKeptAndNamed(const std::optional<std::string>& text, const std::string& target) {
    ASSERT_TRUE(text.has_value()) << "the refusal was not reported";
    const std::vector<std::string> kept = KeptFiles(user_.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadFile(kept.front()), kOutput);
    EXPECT_TRUE(IsFirstKeptName(kept.front())) << kept.front();
    EXPECT_NE(text->find(target), std::string::npos) << *text;
    EXPECT_NE(text->find("「" + kept.front() + "」に保存しました"), std::string::npos) << *text;
  }

  const std::string kOutput = std::string("line 1\nline 2\n\0\xff", 16);
  TempFolder user_;
  TempFolder elsewhere_;
};

TEST_F(RefusedDelivery, FolderMissingOrAFileOrADirectoryInPlaceKeepsTheOutput) {
  const std::string plain = elsewhere_.path() + "plain";
  WriteFile(plain, "a file, not a folder");
  const std::string folder_in_place = elsewhere_.path() + "folder.txt";
  std::filesystem::create_directory(folder_in_place);
  for (const std::string& target :
       {elsewhere_.path() + "missing/out.txt", plain + "/out.txt", folder_in_place}) {
    SCOPED_TRACE(target);
    ExpectKeptAndNamed(Refusal(kOutput, {false, target}, user_.path()), "出力ファイル「" + target + "」");
    for (const std::string& kept : KeptFiles(user_.path())) std::filesystem::remove(kept);
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder_in_place));
  EXPECT_EQ(ReadFile(plain), "a file, not a folder");
}

TEST_F(RefusedDelivery, AFullDiskKeepsTheOutputAndTheEarlierFileWhole) {
  const std::string target = elsewhere_.path() + "out.txt";
  WriteFile(target, "earlier");
  platform::testing::fail_writes_after(3);
  const auto text = Refusal(kOutput, {false, target}, user_.path());
  platform::testing::stop_failing_writes();
  ExpectKeptAndNamed(text, "出力ファイル「" + target + "」");
  EXPECT_EQ(ReadFile(target), "earlier");
}

TEST_F(RefusedDelivery, AReadOnlyFolderKeepsTheOutput) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
  const std::string folder = elsewhere_.path() + "read-only/";
  std::filesystem::create_directory(folder);
  ::chmod(folder.c_str(), 0555);
  const std::string target = folder + "out.txt";
  ExpectKeptAndNamed(Refusal(kOutput, {false, target}, user_.path()), "出力ファイル「" + target + "」");
  ::chmod(folder.c_str(), 0755);
}

TEST_F(RefusedDelivery, AnUnwritableClipboardKeepsTheOutput) {
  const ScopedVariable no_x("DISPLAY", nullptr);
  const ScopedVariable no_wayland("WAYLAND_DISPLAY", nullptr);
  const ScopedVariable clipboard(platform::clipboard::kClipboardFileVariable, (elsewhere_.path() + "x/y/z").c_str());
  WriteFile(elsewhere_.path() + "x", "a file, not a folder");
  ExpectKeptAndNamed(Refusal(kOutput, {true, "ignored.txt"}, user_.path()), "クリップボード");
}

TEST_F(RefusedDelivery, TheStarTargetIsNotOpenedWhenItWasNotWritten) {
  const std::string opened_log = elsewhere_.path() + "shell-open.log";
  const ScopedVariable log("ZTL_SHELL_OPEN_LOG", opened_log.c_str());
  std::filesystem::create_directory(user_.path() + "Temp.txt");
  const auto text = Refusal(kOutput, {false, "*.txt"}, user_.path());
  ExpectKeptAndNamed(text, "出力ファイル「" + user_.path() + "Temp.txt」");
  EXPECT_FALSE(std::filesystem::exists(opened_log)) << ReadFile(opened_log);
}

TEST_F(RefusedDelivery, EveryRefusalGetsAFreshFileAndNoneIsOverwritten) {
  const std::string target = elsewhere_.path() + "missing/out.txt";
  const std::string first = KeepOutput("earlier", user_.path());
  const auto second = Refusal("second", {false, target}, user_.path());
  const auto third = Refusal("third", {false, target}, user_.path());
  ASSERT_TRUE(second && third);
  EXPECT_EQ(ReadFile(first), "earlier");
  const std::string stem = first.substr(0, first.size() - std::string("1.txt").size());
  EXPECT_EQ(ReadFile(stem + "2.txt"), "second");
  EXPECT_EQ(ReadFile(stem + "3.txt"), "third");
  EXPECT_NE(third->find(stem + "3.txt"), std::string::npos) << *third;
}

TEST_F(RefusedDelivery, WhenTheUserFolderRefusesTooBothReasonsAreTold) {
  const std::string plain = elsewhere_.path() + "plain";
  WriteFile(plain, "x");
  const auto text = Refusal(kOutput, {false, plain + "/out.txt"}, plain + "/user/");
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find("保存することもできませんでした"), std::string::npos) << *text;
  EXPECT_NE(text->find(plain + "/user/"), std::string::npos) << *text;
  EXPECT_EQ(text->find("に保存しました"), std::string::npos) << *text;
}

TEST(DeliveredOutput, ReachesTheFileAndKeepsNothingElse) {
  TempFolder user;
  const std::string target = user.path() + "out.txt";
  DeliverOutput("all of it\n", {false, target}, user.path());
  EXPECT_EQ(ReadFile(target), "all of it\n");
  EXPECT_TRUE(KeptFiles(user.path()).empty());
}

}  // namespace
}  // namespace scriptlink
