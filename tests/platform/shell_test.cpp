#include <gtest/gtest.h>

#include <chrono>
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

}  // namespace
}  // namespace platform
