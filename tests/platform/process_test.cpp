#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/error.h"
#include "platform/pipe.h"
#include "platform/process.h"
#include "scratch_space.h"

namespace platform {
namespace {

using namespace std::chrono_literals;
using test::ScratchFolder;

// Generous guard: a test fails rather than hangs when something never ends.
constexpr auto kGuard = 10s;

// Reads everything the child writes until no writer is left, in reads that
// never block while the child runs. Returns the number of reads that got data.
int drain(PipeReadEnd& read, std::string& out) {
  int reads = 0;
  for (;;) {
    if (!read.wait_readable(kGuard)) {
      ADD_FAILURE() << "pipe stayed silent";
      return reads;
    }
    if (read.read_available(out, 8191) > 0) {
      ++reads;
      continue;
    }
    // Readable with nothing waiting: the writers are gone.
    if (read.read_blocking(out, 8191) == 0) return reads;
    ++reads;
  }
}

struct Captured {
  std::string output;
  int exit_code = -1;
  int reads = 0;
};

Captured run_captured(const std::string& command_line, StartOptions options = {}) {
  Pipe pipe = Pipe::create();
  options.capture = &pipe.write;
  ChildProcess child = ChildProcess::start(command_line, options);
  pipe.write.close();
  Captured result;
  result.reads = drain(pipe.read, result.output);
  EXPECT_TRUE(child.wait(kGuard));
  result.exit_code = child.exit_code().value_or(-1);
  return result;
}

bool is_zombie_or_alive(pid_t pid) {
  return std::filesystem::exists("/proc/" + std::to_string(pid) + "/status");
}

TEST(ChildProcess, CapturesStandardOutputAndErrorOnThePipe) {
  Captured result = run_captured(R"("/bin/sh" -c "echo out; echo err >&2; exit 3")");
  EXPECT_EQ(result.output, "out\nerr\n");
  EXPECT_EQ(result.exit_code, 3);
}

TEST(ChildProcess, CaptureGivesTheChildNoInput) {
  Captured result = run_captured(R"(/bin/sh -c "readlink /proc/self/fd/0; cat")");
  EXPECT_EQ(result.output, "/dev/null\n");
}

TEST(ChildProcess, LargeOutputArrivesWholeOverSeveralReads) {
  Captured result = run_captured(R"(/bin/sh -c "yes x | head -c 100000")");
  ASSERT_EQ(result.output.size(), 100000u);
  EXPECT_EQ(result.output.substr(0, 6), "x\nx\nx\n");
  EXPECT_GT(result.reads, 1);
  EXPECT_EQ(result.exit_code, 0);
}

TEST(ChildProcess, ReadingASilentChildDoesNotBlock) {
  Pipe pipe = Pipe::create();
  StartOptions options;
  options.capture = &pipe.write;
  ChildProcess child = ChildProcess::start("sleep 30", options);
  pipe.write.close();
  std::string out;
  EXPECT_EQ(pipe.read.peek(), 0u);
  EXPECT_EQ(pipe.read.read_available(out, 8191), 0u);
  EXPECT_FALSE(pipe.read.wait_readable(0ms));
  EXPECT_FALSE(child.wait(1ms));
  EXPECT_FALSE(child.exit_code());
  child.terminate(0);
  ASSERT_TRUE(child.wait(kGuard));
  // The child's end of the pipe is gone with it.
  EXPECT_TRUE(pipe.read.wait_readable(kGuard));
  EXPECT_EQ(pipe.read.read_blocking(out, 10), 0u);
}

TEST(ChildProcess, TerminateReportsTheGivenExitCode) {
  ChildProcess child = ChildProcess::start("sleep 30");
  child.terminate(7);
  ASSERT_TRUE(child.wait(kGuard));
  EXPECT_EQ(child.exit_code(), 7);
  child.terminate(9);  // already ended: changes nothing
  EXPECT_EQ(child.exit_code(), 7);
}

TEST(ChildProcess, ExitCodesAndUntimedWait) {
  ChildProcess ok = ChildProcess::start("true");
  ok.wait();
  EXPECT_EQ(ok.exit_code(), 0);
  ChildProcess failed = ChildProcess::start(R"(sh -c "exit 200")");
  failed.wait();
  EXPECT_EQ(failed.exit_code(), 200);
  ChildProcess signalled = ChildProcess::start(R"(sh -c "kill -TERM $$")");
  signalled.wait();
  EXPECT_EQ(signalled.exit_code(), 128 + SIGTERM);
}

TEST(ChildProcess, ProgramNotFoundThrowsAtStart) {
  try {
    ChildProcess::start(R"("no-such-program-ztl" a b)");
    FAIL() << "started a program that does not exist";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.error_number(), ENOENT);
  }
  EXPECT_THROW(ChildProcess::start("/etc/passwd"), SystemError);  // not executable
  EXPECT_THROW(ChildProcess::start(""), SystemError);
  EXPECT_THROW(ChildProcess::start("cmd"), SystemError);  // interpreter without /c
  StartOptions options;
  options.directory = "/no/such/folder";
  EXPECT_THROW(ChildProcess::start("true", options), SystemError);
}

TEST(ChildProcess, DestroyedWhileRunningIsReapedLater) {
  pid_t pid = 0;
  {
    ChildProcess child = ChildProcess::start("sleep 30");
    pid = child.id();
  }
  ASSERT_TRUE(is_zombie_or_alive(pid));
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  auto deadline = std::chrono::steady_clock::now() + kGuard;
  while (is_zombie_or_alive(pid) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_FALSE(is_zombie_or_alive(pid)) << "the child stayed a zombie";
}

TEST(ChildProcess, MovedFromObjectLeavesTheChildToTheNewOwner) {
  ChildProcess first = ChildProcess::start(R"(sh -c "exit 5")");
  ChildProcess second = std::move(first);
  second = ChildProcess::start(R"(sh -c "exit 6")");  // the first child goes to the reaper
  second.wait();
  EXPECT_EQ(second.exit_code(), 6);
}

TEST(ChildProcess, BuiltinInterpreterRunsTheCommandWithTheQuoteRule) {
  Captured result = run_captured(R"("" /c ""/bin/echo" "a  b" c")");
  EXPECT_EQ(result.output, "a  b c\n");
  result = run_captured(R"(cmd.exe /C /bin/echo plain)");
  EXPECT_EQ(result.output, "plain\n");
}

TEST(ChildProcess, ConsoleFormOfTheLauncherReachesTheBatchFile) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder / "plug in");
  std::string batch = folder / "plug in/rubyp.bat";
  test::write_text(batch, "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
  ::chmod(batch.c_str(), 0755);
  Captured result =
      run_captured("\"\" /c \"\"" + batch + "\" -Ks \"/u/Script/a b.rb\" -x\"");
  EXPECT_EQ(result.output, "[-Ks]\n[/u/Script/a b.rb]\n[-x]\n");
}

TEST(ChildProcess, RunsInTheChosenDirectory) {
  ScratchFolder folder;
  StartOptions options;
  options.directory = folder.path();
  Captured result = run_captured("/bin/pwd -P", options);
  EXPECT_EQ(result.output, std::filesystem::canonical(folder.path()).string() + "\n");
}

TEST(ChildProcess, HiddenChildGetsNullStreams) {
  StartOptions options;
  options.hidden = true;
  const char* check =
      R"(sh -c "for fd in 0 1 2; do [ $(readlink /proc/$$/fd/$fd) = /dev/null ] || exit 1; done")";
  ChildProcess child = ChildProcess::start(check, options);
  child.wait();
  EXPECT_EQ(child.exit_code(), 0);
}

TEST(ChildProcess, NoOtherDescriptorReachesTheChild) {
  int stray = ::open("/dev/null", O_RDONLY);  // deliberately without close-on-exec
  ASSERT_GE(stray, 3);
  Pipe other = Pipe::create();
  std::string script = "test -e /proc/self/fd/" + std::to_string(stray) + " && exit 1; test -e " +
                       "/proc/self/fd/" + std::to_string(other.write.fd()) + " && exit 2; exit 0";
  Captured result = run_captured("sh -c \"" + script + "\"");
  ::close(stray);
  EXPECT_EQ(result.exit_code, 0) << "1: stray descriptor, 2: pipe end leaked";
}

TEST(ProcessHandle, OpensWaitsForAndTerminatesAChild) {
  ChildProcess child = ChildProcess::start("sleep 30");
  std::optional<ProcessHandle> handle = ProcessHandle::open(child.id());
  ASSERT_TRUE(handle);
  EXPECT_EQ(handle->id(), child.id());
  EXPECT_FALSE(handle->wait(1ms));
  handle->terminate(4);
  EXPECT_TRUE(handle->wait(kGuard));
  ASSERT_TRUE(child.wait(kGuard));
  EXPECT_EQ(child.exit_code(), 4);
  ProcessHandle moved = std::move(*handle);
  EXPECT_TRUE(moved.wait(0ms));
}

TEST(ProcessHandle, WaitsForAProcessThatIsNotOurChild) {
  // The forked child starts a grandchild and tells us its id.
  Pipe pipe = Pipe::create();
  StartOptions options;
  options.capture = &pipe.write;
  ChildProcess child = ChildProcess::start(R"(sh -c "sleep 30 & echo $!")", options);
  pipe.write.close();
  std::string out;
  while (out.find('\n') == std::string::npos) {
    ASSERT_TRUE(pipe.read.wait_readable(kGuard));
    ASSERT_GT(pipe.read.read_blocking(out, 64), 0u);
  }
  pid_t grandchild = std::stoi(out);
  std::optional<ProcessHandle> handle = ProcessHandle::open(grandchild);
  ASSERT_TRUE(handle);
  EXPECT_FALSE(handle->wait(1ms));
  handle->terminate(0);
  EXPECT_TRUE(handle->wait(kGuard));
  child.wait();
}

TEST(ProcessHandle, OpenFailsForNoProcess) {
  EXPECT_FALSE(ProcessHandle::open(0));
  EXPECT_FALSE(ProcessHandle::open(-1));
  EXPECT_FALSE(ProcessHandle::open(0x3fffffff));
}

TEST(CurrentProcess, ChildSeesOurIdAndExecutable) {
  Captured result = run_captured(R"(sh -c "echo $PPID")");
  EXPECT_EQ(result.output, std::to_string(current_process_id()) + "\n");
  std::string path = current_executable_path();
  ASSERT_EQ(path.front(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
}


}  // namespace
}  // namespace platform

namespace platform {
namespace {

using namespace std::chrono_literals;

// Starts "sleep 30" from a forked process that then ends, and hands back the
// sleeper's id.
pid_t sleeper_of_an_ended_parent(bool end_with_parent) {
  int ids[2];
  if (::pipe(ids) != 0) return -1;
  const pid_t parent = ::fork();
  if (parent == 0) {
    try {
      StartOptions options;
      options.end_with_parent = end_with_parent;
      ChildProcess child = ChildProcess::start("sleep 30", options);
      const pid_t id = child.id();
      [[maybe_unused]] ssize_t written = ::write(ids[1], &id, sizeof id);
    } catch (...) {
    }
    ::_exit(0);
  }
  ::close(ids[1]);
  pid_t sleeper = -1;
  if (::read(ids[0], &sleeper, sizeof sleeper) != sizeof sleeper) sleeper = -1;
  ::close(ids[0]);
  ::waitpid(parent, nullptr, 0);
  return sleeper;
}

bool ends_within(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    std::string state;
    std::ifstream status("/proc/" + std::to_string(pid) + "/stat");
    if (!status) return true;
    std::string ignored;
    status >> ignored >> ignored >> state;
    if (state == "Z") return true;  // ended, not yet reaped by its new parent
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

TEST(ChildProcess, AChildThatEndsWithItsParentDiesWithIt) {
  const pid_t tied = sleeper_of_an_ended_parent(true);
  ASSERT_GT(tied, 0);
  EXPECT_TRUE(ends_within(tied, 5000ms)) << "the child outlived its parent";
  ::kill(tied, SIGKILL);

  const pid_t untied = sleeper_of_an_ended_parent(false);
  ASSERT_GT(untied, 0);
  EXPECT_FALSE(ends_within(untied, 300ms)) << "by default a child outlives its parent";
  ::kill(untied, SIGKILL);
}

// Started by fork and exec rather than posix_spawn: the same streams,
// directory, descriptors and failures.
TEST(ChildProcess, EndingWithItsParentKeepsEveryOtherPromise) {
  StartOptions tied;
  tied.end_with_parent = true;
  EXPECT_EQ(run_captured(R"(sh -c "echo out; echo err >&2; read x || echo no-input")", tied).output,
            "out\nerr\nno-input\n");
  ScratchFolder folder;
  StartOptions in_folder = tied;
  in_folder.directory = folder.path();
  EXPECT_EQ(run_captured("/bin/pwd -P", in_folder).output,
            std::filesystem::canonical(folder.path()).string() + "\n");

  int stray = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(stray, 3);
  const std::string check = "test -e /proc/self/fd/" + std::to_string(stray) + " && exit 1; exit 0";
  EXPECT_EQ(run_captured("sh -c \"" + check + "\"", tied).exit_code, 0) << "a stray descriptor leaked";
  ::close(stray);

  StartOptions hidden = tied;
  hidden.hidden = true;
  ChildProcess nulls = ChildProcess::start(
      R"(sh -c "for fd in 0 1 2; do [ $(readlink /proc/$$/fd/$fd) = /dev/null ] || exit 1; done")", hidden);
  nulls.wait();
  EXPECT_EQ(nulls.exit_code(), 0);

  try {
    ChildProcess::start(R"("no-such-program-ztl" a)", tied);
    FAIL() << "started a program that does not exist";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.error_number(), ENOENT);
  }
  EXPECT_THROW(ChildProcess::start("/etc/passwd", tied), SystemError);
  StartOptions nowhere = tied;
  nowhere.directory = "/no/such/folder";
  EXPECT_THROW(ChildProcess::start("true", nowhere), SystemError);
}

// A child's own variables reach it (and what it starts) by either way of
// starting, replace an inherited one of the same name, and never leak into
// this process's environment or the next child's.
TEST(ChildProcess, GetsItsOwnVariablesWithoutChangingOurs) {
  ::setenv("ZTL_TEST_INHERITED", "ours", 1);
  const std::string show = R"(sh -c "echo $ZTL_TEST_INHERITED/$ZTL_TEST_OWN; sh -c 'echo $ZTL_TEST_OWN'")";
  for (bool tied : {false, true}) {
    StartOptions options;
    options.end_with_parent = tied;
    options.environment = {"ZTL_TEST_INHERITED=theirs", "ZTL_TEST_OWN=7"};
    EXPECT_EQ(run_captured(show, options).output, "theirs/7\n7\n") << "tied " << tied;
    EXPECT_STREQ(std::getenv("ZTL_TEST_INHERITED"), "ours");
    EXPECT_EQ(std::getenv("ZTL_TEST_OWN"), nullptr);
    EXPECT_EQ(run_captured(show).output, "ours/\n\n");
  }
  ::unsetenv("ZTL_TEST_INHERITED");
}

}  // namespace
}  // namespace platform
