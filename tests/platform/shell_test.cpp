#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include "platform/shell.h"
#include "scratch_space.h"

namespace platform {
namespace {

using test::ScopedVariable;
using test::ScratchFolder;

TEST(ShellOpen, LogRecordsEachTargetAsALine) {
  ScratchFolder folder;
  ScopedVariable log(shell::kShellOpenLogVariable, folder / "opened");
  shell::open("/u/Temp.txt");
  shell::open("/u/Help/a page.html");
  shell::open("http://example.invalid/?q=1&r=2");
  EXPECT_EQ(test::file_text(folder / "opened"),
            "/u/Temp.txt\n/u/Help/a page.html\nhttp://example.invalid/?q=1&r=2\n");
}

TEST(ShellOpen, SaysSoWhenThereIsNoOpener) {
  ScratchFolder empty_path;
  ScopedVariable no_log(shell::kShellOpenLogVariable, std::nullopt);
  ScopedVariable path("PATH", empty_path.path());
  ::testing::internal::CaptureStderr();
  shell::open("/u/Temp");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "cannot open /u/Temp: xdg-open not found\n");
}

TEST(ShellOpen, StartsTheOpenerDetached) {
  // A stand-in opener records its argument; the call returns at once.
  ScratchFolder folder;
  std::string opener = folder / "xdg-open";
  test::write_text(opener, "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/seen\"\n");
  ::chmod(opener.c_str(), 0755);
  ScopedVariable no_log(shell::kShellOpenLogVariable, std::nullopt);
  ScopedVariable path("PATH", folder.path() + ":/usr/bin:/bin");
  shell::open("/u/a b.txt");
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (test::file_text(folder / "seen").empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(test::file_text(folder / "seen"), "/u/a b.txt\n");
}

std::string wait_for_text(const std::string& path) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (test::file_text(path).empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return test::file_text(path);
}

TEST(ShellOpenWith, LogRecordsTargetFolderAndOption) {
  ScratchFolder folder;
  ScopedVariable log(shell::kShellOpenLogVariable, folder / "opened");
  EXPECT_TRUE(shell::open_with({"/u/a;b.txt", "/u", "-x $(y)"}));
  EXPECT_TRUE(shell::open_with({"http://example.invalid/", "", ""}));
  EXPECT_EQ(test::file_text(folder / "opened"), "/u/a;b.txt\t/u\t-x $(y)\nhttp://example.invalid/\t\t\n");
}

TEST(ShellOpenWith, StartsAProgramInItsFolderWithTheOptionWordsAsArguments) {
  // The words reach the program as they are: no shell expands or runs them.
  ScratchFolder folder;
  std::string program = folder / "tool;$(touch pwned)";
  test::write_text(program, "#!/bin/sh\npwd > seen.tmp; for a in \"$@\"; do echo \"[$a]\"; done >> seen.tmp; mv seen.tmp seen\n");
  ::chmod(program.c_str(), 0755);
  ScopedVariable no_log(shell::kShellOpenLogVariable, std::nullopt);
  EXPECT_TRUE(shell::open_with({program, folder.path(), "  -v  $(touch pwned2) `id`;x "}));
  EXPECT_EQ(wait_for_text(folder / "seen"), folder.path() + "\n[-v]\n[$(touch]\n[pwned2)]\n[`id`;x]\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "pwned"));
  EXPECT_FALSE(std::filesystem::exists(folder / "pwned2"));
}

TEST(ShellOpenWith, FailsWhenTheFolderCannotBeEntered) {
  ScratchFolder folder;
  std::string program = folder / "tool";
  test::write_text(program, "#!/bin/sh\n");
  ::chmod(program.c_str(), 0755);
  ScopedVariable no_log(shell::kShellOpenLogVariable, std::nullopt);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(shell::open_with({program, folder / "no-such-folder", ""}));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot open"), std::string::npos);
}

}  // namespace
}  // namespace platform
