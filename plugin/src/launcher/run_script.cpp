#include "launcher/run_script.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <optional>
#include <string>

#include <platform/error.h>
#include <platform/paths.h>
#include <platform/pipe.h>
#include <platform/process.h>
#include <platform/prompt.h>
#include <ztl/channel.h>

#include "channel/channel_error.h"
#include "channel/comm_to_ruby.h"
#include "host_binding/host_api_table.h"
#include "launcher/command_line.h"
#include "launcher/interpreter_line.h"
#include "launcher/output_delivery.h"
#include "launcher/output_watcher.h"
#include "controller/plugin_globals.h"
#include "controller/report_error.h"
#include "controller/run_outcome.h"

namespace scriptlink {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCaption = "Scriptlink";
constexpr const char* kScriptNotFound = "Script not found";
constexpr const char* kFailedToCreatePipe = "Failed to create PIPE";
constexpr const char* kStartFailed = "プログラム起動に失敗しました。";
// Once the script has ended, output still comes only from processes it left
// behind holding its output; the run does not wait for those longer than this.
constexpr auto kDrainSilence = 1000ms;
constexpr auto kDrainSlice = 200ms;
constexpr const char* kLateOutputNotCaptured =
    "スクリプトが残したプロセスが出力をまだ保持しています。スクリプトの終了後の出力は取り込まれません。";

// The channel of the run whose wait form is shown: its cancel stops that run.
std::atomic<TCommToRuby*> g_cancel_target{nullptr};

void Tell(const char* text, platform::prompt::Icon icon) {
  platform::prompt::message_box(text, kCaption, platform::prompt::Buttons::ok, icon);
}

struct RunMode {
  bool capture;
  bool quiet;
};

std::string BuildCommandLine(const TCommToRuby& channel, const RunMode& mode, const std::string& script_path) {
  const InterpreterLine line = ScanInterpreterLineOfFile(script_path);
  if (mode.quiet) return BuildDirectCommandLine(line, channel.interpreter, script_path, channel.options);
  return BuildConsoleCommandLine({ShellFromEnvironment(), PluginFolder(), true}, line, script_path, channel.options);
}

// The wait form of a quiet run, closed on every way out.
class WaitForm {
 public:
  WaitForm(bool shown, const std::string& script_path, TCommToRuby& channel) : shown_(shown) {
    if (!shown_) return;
    g_cancel_target = &channel;
    const std::string name = platform::paths::file_name_of(script_path);
    Host().ShowWaitForm(&CancelRunCallback, "スクリプト実行中", name.c_str(),
                        "強制終了時は中止ボタンを押してください", "", -1);
  }
  ~WaitForm() {
    if (!shown_) return;
    Host().CloseWaitForm();
    g_cancel_target = nullptr;
  }
  WaitForm(const WaitForm&) = delete;
  WaitForm& operator=(const WaitForm&) = delete;

 private:
  bool shown_;
};

void ReadWaiting(platform::PipeReadEnd& pipe, std::string& output) {
  while (pipe.read_available(output, 1 << 20) != 0) {
  }
}

// Reads until no writer is left or the output falls silent. True when it fell
// silent: a process the script left behind still holds the output, and what
// it writes from now on is not captured. It waits in slices and processes the
// host's messages between them, so a cancel or a host that is ending stops it
// within a second even while a leftover process writes on; what the pipe
// holds then is still taken.
bool Drain(TCommToRuby& channel, platform::PipeReadEnd& pipe, std::string& output) {
  auto silence = 0ms;
  while (silence < kDrainSilence) {
    Host().ExecMessageProc();
    if (channel.StopRequested()) {
      ReadWaiting(pipe, output);
      return false;
    }
    if (!pipe.wait_readable(kDrainSlice)) {
      silence += kDrainSlice;
      continue;
    }
    if (pipe.read_blocking(output, 1 << 20) == 0) return false;  // no writer is left
    silence = 0ms;
  }
  return true;
}

// A refused delivery is an error of the run (the host's command fails), its
// text naming the file that kept the output.
void Deliver(const TCommToRuby& channel, const std::string& output) {
  RunOutcome& outcome = LastRunOutcome();
  try {
    const Delivered delivered = DeliverOutput(output, {channel.copy_to_clipboard, channel.output_file}, UserFolder());
    outcome.output = delivered.clipboard      ? ZTL_OUTPUT_CLIPBOARD
                     : delivered.path.empty() ? ZTL_OUTPUT_NONE
                                              : ZTL_OUTPUT_FILE;
    outcome.output_path = delivered.path;
  } catch (const DeliveryError& error) {
    outcome.output = error.kept_path().empty() ? ZTL_OUTPUT_LOST : ZTL_OUTPUT_KEPT;
    outcome.output_path = error.kept_path();
    ReportError(error.what(), platform::prompt::Icon::error);
  }
}

// The script's exit status once it has ended (it has, or was killed, when the
// serve loop is over); -1 when it could not be learned.
int ExitStatus(platform::ChildProcess& child) {
  if (!child.wait(std::chrono::seconds(5))) return -1;
  return child.exit_code().value_or(-1);
}

// Serves the script until it ends or is terminated. A channel failure ends the
// script at once and is handed back, so the output can still be delivered.
std::exception_ptr Serve(TCommToRuby& channel, platform::ChildProcess& child, platform::PipeReadEnd& pipe,
                         std::string& output) {
  std::optional<platform::ProcessHandle> handle = platform::ProcessHandle::open(child.id());
  if (!handle) {  // not watchable: no requests are served, the output still is
    while (!child.wait(100ms)) {
      ReadWaiting(pipe, output);
      Host().ExecMessageProc();
      if (channel.StopRequested()) child.terminate(0);
    }
    return nullptr;
  }
  const platform::ProcessWatch watch(child.id());
  channel.AttachProcess(std::move(*handle));
  OutputWatcher watcher(pipe.fd(), watch.fd(), [&channel] { channel.InterruptDispatch(); });
  std::exception_ptr failure;
  // The watcher ends a dispatch as soon as the script has output or has ended,
  // so the loop looks at the process without the 1-ms sleep of a polling loop.
  while (channel.HasProcess() && !child.wait(0ms)) {
    try {
      channel.DispatchRequests();
    } catch (const RunStopped&) {
      channel.TerminateScript();
      break;
    } catch (const std::exception&) {
      failure = std::current_exception();
      channel.TerminateScript();
      break;
    }
    ReadWaiting(pipe, output);
    watcher.Rearm();
    Host().ExecMessageProc();
    if (channel.StopRequested()) channel.TerminateScript();
  }
  channel.DetachProcess();
  return failure;
}

}  // namespace

int32_t CancelRunCallback() {
  if (TCommToRuby* channel = g_cancel_target.load()) channel->RequestStop();
  return 0;
}

bool RunScript(TCommToRuby& channel, const std::string& script_path, const std::vector<std::string>& also_tried) {
  RunOutcome& outcome = LastRunOutcome();
  outcome.script = script_path;
  if (!platform::paths::file_exists(script_path)) {
    std::vector<std::string> tried = also_tried;
    tried.push_back(script_path);
    outcome.state = ZTL_RUN_NOT_FOUND;
    outcome.script = PathsTried(tried);
    // The fixed text first, then where the script was looked for.
    Tell((std::string(kScriptNotFound) + "\n" + outcome.script).c_str(), platform::prompt::Icon::none);
    return false;
  }
  outcome.state = ZTL_RUN_NOT_STARTED;
  const bool capture = channel.copy_to_clipboard || !channel.output_file.empty();
  const RunMode mode{capture, capture || channel.hide_console};
  const std::string command_line = BuildCommandLine(channel, mode, script_path);

  std::optional<platform::Pipe> pipe;
  try {
    pipe = platform::Pipe::create();
  } catch (const platform::SystemError&) {
    Tell(kFailedToCreatePipe, platform::prompt::Icon::none);
    return false;
  }
  std::optional<platform::ChildProcess> child;
  try {
    platform::StartOptions options;
    options.capture = mode.capture ? &pipe->write : nullptr;
    options.hidden = channel.hide_console;
    // A script the host started must not outlive it, however the host ends.
    options.end_with_parent = true;
    // The script, and scripts it starts, reach this host's channel whatever
    // another host writes into the announcement.
    options.environment.push_back(std::string(ZTL_CHANNEL_ENV "=") + std::to_string(channel.channel_number()));
    child = platform::ChildProcess::start(command_line, options);
  } catch (const platform::SystemError&) {
    Tell(kStartFailed, platform::prompt::Icon::warning);
    return false;
  }
  pipe->write.close();

  std::string output;
  std::exception_ptr failure;
  bool late_output_lost = false;
  {
    WaitForm form(mode.quiet, script_path, channel);
    failure = Serve(channel, *child, pipe->read, output);
    late_output_lost = Drain(channel, pipe->read, output);
    outcome.exit_code = ExitStatus(*child);
    outcome.state = channel.StopRequested() || channel.cancelled ? ZTL_RUN_CANCELLED : ZTL_RUN_ENDED;
    Deliver(channel, output);
  }
  pipe->read.close();
  if (late_output_lost) ReportError(kLateOutputNotCaptured);
  if (failure) std::rethrow_exception(failure);
  return false;
}

}  // namespace scriptlink
