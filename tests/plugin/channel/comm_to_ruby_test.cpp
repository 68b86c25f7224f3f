// The channel object on real named objects, with a forked client process.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <platform/message_queue.h>
#include <platform/named_event.h>
#include <platform/named_mapping.h>
#include <platform/named_mutex.h>
#include <platform/stop_request.h>
#include <ztl/channel.h>
#include <ztl/request_codes.h>

#include "channel/channel_error.h"
#include "channel/comm_to_ruby.h"
#include "channel/wait_thread.h"
#include "controller/serve_request.h"
#include "fake_host_api.h"
#include "controller/notify_window.h"

using namespace scriptlink;
using namespace std::chrono_literals;
using channel_test::Fake;

namespace {

constexpr std::int32_t kChannel = 4242;

// The client side as the extension plays it, written out plainly.
struct Client {
  platform::NamedMapping mapping = platform::NamedMapping::open(
      ChannelObjectName(ZTL_CHANNEL_MAPPING_PREFIX, kChannel), ZTL_CHANNEL_MAPPING_SIZE);
  platform::MappedView view = mapping.view();
  platform::NamedEvent host = platform::NamedEvent::open(ChannelObjectName(ZTL_HOST_EVENT_PREFIX, kChannel));
  platform::NamedEvent client = platform::NamedEvent::open(ChannelObjectName(ZTL_CLIENT_EVENT_PREFIX, kChannel));
  platform::NamedMutex lock = platform::NamedMutex::open(ChannelObjectName(ZTL_CLIENT_LOCK_PREFIX, kChannel));

  void Send(ZtlFrameHeader header, const std::uint8_t* bytes) {
    if (header.chunk_length != 0) std::memcpy(view.data() + ZTL_FRAME_HEADER_SIZE, bytes, header.chunk_length);
    std::memcpy(view.data(), &header, sizeof header);
    client.set();
  }
  bool AwaitHost() { return host.wait(5000ms) == platform::WaitResult::signaled; }
  ZtlFrameHeader Header() const {
    ZtlFrameHeader header;
    std::memcpy(&header, view.data(), sizeof header);
    return header;
  }
};

// Runs body in a child process; its result is the child's exit code.
pid_t Fork(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
      code = 98;
    }
    ::_exit(code);
  }
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

class CommToRubyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    const std::string space = "pc" + std::to_string(::getpid()) + "x" + std::to_string(++counter);
    ::setenv("ZTL_NAMESPACE", space.c_str(), 1);
    channel_test::ResetFakeHost();
  }
  void TearDown() override { ::unsetenv("ZTL_NAMESPACE"); }

  std::uint32_t Announced() const {
    std::uint32_t value = 0;
    std::memcpy(&value, announcement.view(0, 4, false).data(), 4);
    return value;
  }
  // Dispatches until the exchange fails (or a generous guard passes).
  std::string DispatchUntilFailure(TCommToRuby& channel) {
    for (int round = 0; round < 100; ++round) {
      try {
        channel.DispatchRequests();
      } catch (const ChannelError& error) {
        return error.what();
      }
    }
    return "no failure";
  }

  platform::NamedMapping announcement =
      platform::NamedMapping::create_or_open(ZTL_ANNOUNCE_MAPPING_NAME, ZTL_ANNOUNCE_MAPPING_SIZE);
};

TEST_F(CommToRubyTest, AnnouncesWhileItLivesAndRemakesWhatIsPending) {
  {
    auto server = MakeDispatchServer(channel_test::FakeEnv());
    DispatchServer& dispatch = *server;
    TCommToRuby channel(kChannel, announcement, std::move(server));
    EXPECT_EQ(Announced(), static_cast<std::uint32_t>(kChannel));
    EXPECT_TRUE(platform::NamedMutex::try_open(ChannelObjectName(ZTL_CLIENT_LOCK_PREFIX, kChannel)).has_value());
    dispatch.state().task_list_remake_pending = true;
    channel.Close();
    EXPECT_EQ(Announced(), 0u);
    EXPECT_EQ(Fake().remakes, 1);
  }
  EXPECT_EQ(Fake().remakes, 1);  // Close ran once
}

TEST_F(CommToRubyTest, ServesAForkedClientUntilItEnds) {
  Fake().version_high = (2u << 16) | 5u;
  Fake().version_low = 1u << 16;
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t child = Fork([] {
    Client client;
    client.lock.lock();
    client.Send({ZTL_REQ_HOST_VERSION, 0, 0, 0, 1}, nullptr);
    if (!client.AwaitHost()) return 1;
    std::int32_t version = 0;
    std::memcpy(&version, client.view.data() + ZTL_FRAME_HEADER_SIZE, 4);
    if (client.Header().total_length != 4 || version != 20501) return 2;
    // A two-chunk request: 8172 bytes, then 1.
    std::string payload(ZTL_CHUNK_MAX + 1, 'a');
    payload[3] = '\0';
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(payload.data());
    client.Send({ZTL_REQ_EXEC_COMMAND, 0, ZTL_CHUNK_MAX + 1, ZTL_CHUNK_MAX, 0}, bytes);
    if (!client.AwaitHost()) return 3;  // chunk taken
    client.Send({ZTL_REQ_EXEC_COMMAND, 0, ZTL_CHUNK_MAX + 1, 1, 1}, bytes + ZTL_CHUNK_MAX);
    if (!client.AwaitHost()) return 4;
    client.lock.unlock();
    return client.Header().last == 1 ? 0 : 5;
  });
  channel.ServeProcess(child);
  EXPECT_EQ(ExitCode(child), 0);
  EXPECT_FALSE(channel.HasProcess());
  ASSERT_EQ(Fake().commands.size(), 1u);
  EXPECT_EQ(Fake().commands[0].name, "aaa");
  EXPECT_EQ(Fake().commands[0].arguments[0].size(), ZTL_CHUNK_MAX + 1 - 4u);
}

TEST_F(CommToRubyTest, LockOwnerDyingInsideARequestEndsTheWait) {
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t child = Fork([] {
    Client client;
    client.lock.lock();
    const std::string chunk(ZTL_CHUNK_MAX, 'x');
    client.Send({ZTL_REQ_EXEC_COMMAND, 0, 9000, ZTL_CHUNK_MAX, 0}, reinterpret_cast<const std::uint8_t*>(chunk.data()));
    client.AwaitHost();
    ::_exit(0);  // dies holding the lock, the second chunk never sent
    return 0;
  });
  EXPECT_EQ(DispatchUntilFailure(channel), kScriptEndedMidExchange);
  EXPECT_EQ(ExitCode(child), 0);
  EXPECT_TRUE(Fake().commands.empty());
}

TEST_F(CommToRubyTest, ScriptDyingBeforeTakingTheReplyEndsTheWait) {
  // No client lock taken: the attached script process is watched instead.
  Fake().list_view.assign(5000, 7);
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t child = Fork([] {
    Client client;
    const std::int32_t selector = 10;
    client.Send({ZTL_REQ_SPECIAL_ITEM, 0, 4, 4, 1}, reinterpret_cast<const std::uint8_t*>(&selector));
    client.AwaitHost();
    return client.Header().last == 0 ? 0 : 1;  // the first of three chunks; never acknowledged
  });
  auto process = platform::ProcessHandle::open(child);
  ASSERT_TRUE(process.has_value());
  channel.AttachProcess(std::move(*process));
  EXPECT_EQ(DispatchUntilFailure(channel), kScriptEndedMidExchange);
  EXPECT_EQ(ExitCode(child), 0);
  EXPECT_EQ(Fake().lists_released, Fake().lists_handed_out);
}

TEST_F(CommToRubyTest, TerminateScriptAndCloseEndAHeldProcess) {
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t first = Fork([] {
    ::pause();
    return 0;
  });
  channel.AttachProcess(*platform::ProcessHandle::open(first));
  channel.TerminateScript();
  EXPECT_FALSE(channel.HasProcess());
  EXPECT_EQ(ExitCode(first), -SIGKILL);
  const pid_t second = Fork([] {
    ::pause();
    return 0;
  });
  channel.AttachProcess(*platform::ProcessHandle::open(second));
  channel.Close();
  EXPECT_EQ(ExitCode(second), -SIGKILL);
}

// A client that never leaves the dispatcher 100 ms without a request.
int AskEvery20Ms() {
  Client client;
  for (int round = 0; round < 500; ++round) {
    client.Send({ZTL_REQ_HOST_VERSION, 0, 0, 0, 1}, nullptr);
    if (!client.AwaitHost()) return 1;
    ::usleep(20'000);
  }
  return 0;
}

// A client that sends the first of two chunks and then stalls, alive.
int StallInsideARequest() {
  Client client;
  client.lock.lock();
  const std::string chunk(ZTL_CHUNK_MAX, 'x');
  client.Send({ZTL_REQ_EXEC_COMMAND, 0, 9000, ZTL_CHUNK_MAX, 0}, reinterpret_cast<const std::uint8_t*>(chunk.data()));
  client.AwaitHost();
  ::pause();
  return 0;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Ends a forked client that is still running.
void EndClient(pid_t child) {
  ::kill(child, SIGKILL);
  ExitCode(child);
}

TEST_F(CommToRubyTest, AStopIsHonouredBetweenRequestsThatNeverPause) {
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t child = Fork(AskEvery20Ms);
  const auto start = std::chrono::steady_clock::now();
  std::thread cancel([&channel] {
    std::this_thread::sleep_for(300ms);
    channel.RequestStop();
  });
  channel.DispatchRequests();
  const double seconds = SecondsSince(start);
  cancel.join();
  EndClient(child);
  EXPECT_LT(seconds, 2.0) << "a client asking every 20 ms kept the dispatcher from its cancel";
  EXPECT_TRUE(channel.StopRequested());
}

TEST_F(CommToRubyTest, TheHostsStopRequestEndsAnExchangeWithAStalledClient) {
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t child = Fork(StallInsideARequest);
  std::thread stop([] {
    std::this_thread::sleep_for(300ms);
    platform::stop_request::raise();
  });
  const auto start = std::chrono::steady_clock::now();
  bool stopped = false;
  try {
    for (int round = 0; round < 100 && !stopped; ++round) channel.DispatchRequests();
  } catch (const RunStopped&) {
    stopped = true;
  }
  const double seconds = SecondsSince(start);
  stop.join();
  platform::stop_request::clear();
  EXPECT_TRUE(stopped);
  EXPECT_LT(seconds, 2.0);
  EXPECT_TRUE(Fake().commands.empty()) << "the unfinished request is not served";
  EndClient(child);
}

TEST_F(CommToRubyTest, AStoppedStationLeavesItsExternalScriptAlone) {
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t child = Fork(StallInsideARequest);
  std::thread stop([] {
    std::this_thread::sleep_for(300ms);
    platform::stop_request::raise();
  });
  channel.ServeProcess(child);
  stop.join();
  platform::stop_request::clear();
  EXPECT_FALSE(channel.HasProcess());
  channel.Close();
  EXPECT_EQ(::waitpid(child, nullptr, WNOHANG), 0) << "the script was not ended";
  EndClient(child);
}

ZtlChannelControl Control(std::int32_t number) {
  const platform::NamedMapping mapping = platform::NamedMapping::open(
      ChannelObjectName(ZTL_CHANNEL_MAPPING_PREFIX, number), ZTL_CHANNEL_OBJECT_SIZE);
  ZtlChannelControl control{};
  std::memcpy(&control, mapping.view().data() + ZTL_CHANNEL_CONTROL_OFFSET, sizeof control);
  return control;
}

// A client still holding the objects of the last channel must never find the
// next channel in them: it would take the new channel for the closed one.
TEST_F(CommToRubyTest, ANewChannelNeverReusesObjectsAClientStillHolds) {
  std::optional<Client> stale;
  {
    auto first = TCommToRuby::CreateFresh(kChannel, &announcement, [] { return MakeDispatchServer(channel_test::FakeEnv()); });
    EXPECT_EQ(first->channel_number(), kChannel);
    EXPECT_EQ(Control(kChannel).state, ZTL_CHANNEL_OPEN);
    EXPECT_EQ(Control(kChannel).host_pid, static_cast<std::uint32_t>(::getpid()));
    stale.emplace();
    first->Close();
    EXPECT_EQ(Control(kChannel).state, ZTL_CHANNEL_CLOSED);
    EXPECT_EQ(stale->host.wait(0ms), platform::WaitResult::signaled) << "a waiting client is woken";
  }
  auto second = TCommToRuby::CreateFresh(kChannel, &announcement, [] { return MakeDispatchServer(channel_test::FakeEnv()); });
  EXPECT_NE(second->channel_number(), kChannel);
  EXPECT_EQ(Announced(), static_cast<std::uint32_t>(second->channel_number()));
  EXPECT_EQ(Control(second->channel_number()).state, ZTL_CHANNEL_OPEN);
  EXPECT_EQ(Control(kChannel).state, ZTL_CHANNEL_CLOSED) << "the stale client's objects are left alone";
}

TEST_F(CommToRubyTest, AHostThatIsNotTheStationAnnouncesNothing) {
  TCommToRuby channel(kChannel, nullptr, MakeDispatchServer(channel_test::FakeEnv()));
  EXPECT_EQ(Announced(), 0u);
  EXPECT_EQ(Control(kChannel).state, ZTL_CHANNEL_OPEN);
  channel.Close();
  EXPECT_EQ(Control(kChannel).state, ZTL_CHANNEL_CLOSED);
}

// A client that joined the channel of the served script is served until it
// ends, though the served script ended first.
TEST_F(CommToRubyTest, ServeProcessServesARegisteredClientToItsEnd) {
  Fake().version_high = (2u << 16) | 5u;
  TCommToRuby channel(kChannel, announcement, MakeDispatchServer(channel_test::FakeEnv()));
  const pid_t served = Fork([] { return 0; });
  const pid_t joined = Fork([] {
    Client client;
    ::usleep(400000);  // the served script has ended meanwhile
    client.lock.lock();
    client.Send({ZTL_REQ_HOST_VERSION, 0, 0, 0, 1}, nullptr);
    if (!client.AwaitHost()) return 1;
    return Control(kChannel).state == ZTL_CHANNEL_OPEN ? 0 : 2;
  });
  {  // registered as the extension does after opening the channel
    const platform::NamedMapping mapping = platform::NamedMapping::open(
        ChannelObjectName(ZTL_CHANNEL_MAPPING_PREFIX, kChannel), ZTL_CHANNEL_OBJECT_SIZE);
    const platform::MappedView view = mapping.view();
    auto* control = reinterpret_cast<ZtlChannelControl*>(view.data() + ZTL_CHANNEL_CONTROL_OFFSET);
    __atomic_store_n(&control->clients[3], static_cast<std::uint32_t>(joined), __ATOMIC_SEQ_CST);
  }
  channel.ServeProcess(served);
  EXPECT_EQ(ExitCode(joined), 0);
  EXPECT_EQ(ExitCode(served), 0);
  EXPECT_EQ(Control(kChannel).state, ZTL_CHANNEL_CLOSED);
}

TEST_F(CommToRubyTest, WaitThreadPostsExternalScriptsToTheNotifyWindow) {
  int calls = 0;
  TNotifyWindowForm form([&] { ++calls; });
  {
    TWaitThread thread(form.handle());
    platform::NamedEvent::open(ZTL_CLIENT_WAIT_EVENT_NAME).set();
    for (int round = 0; round < 100 && calls == 0; ++round)
      platform::MessageQueue::instance().wait_and_dispatch(50ms);
    EXPECT_TRUE(platform::NamedEvent::try_open(ZTL_HOST_WAIT_EVENT_NAME).has_value());
  }
  EXPECT_EQ(calls, 1);
  // Other messages to the window are not WmExtMacro.
  platform::MessageQueue::instance().post(form.handle(), ZTL_WM_EXT_MACRO + 1);
  platform::MessageQueue::instance().dispatch_pending();
  EXPECT_EQ(calls, 1);
}

}  // namespace
