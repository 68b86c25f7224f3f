#include "launcher/run_script.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <optional>

#include <platform/error.h>
#include <platform/paths.h>
#include <platform/pipe.h>
#include <platform/process.h>
#include <platform/prompt.h>

#include "channel/comm_to_ruby.h"
#include "host_api_table.h"
#include "launcher/command_line.h"
#include "launcher/interpreter_line.h"
#include "launcher/output_delivery.h"
#include "launcher/output_watcher.h"
#include "plugin_globals.h"

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

std::atomic<bool> g_cancel_request{false};

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
  WaitForm(bool shown, const std::string& script_path) : shown_(shown) {
    if (!shown_) return;
    const std::string name = platform::paths::file_name_of(script_path);
    Host().ShowWaitForm(&CancelRunCallback, "スクリプト実行中", name.c_str(),
                        "強制終了時は中止ボタンを押してください", "", -1);
  }
  ~WaitForm() {
    if (shown_) Host().CloseWaitForm();
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

void Drain(platform::PipeReadEnd& pipe, std::string& output) {
  while (pipe.wait_readable(kDrainSilence)) {
    if (pipe.read_blocking(output, 1 << 20) == 0) return;  // no writer is left
  }
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
    } catch (const std::exception&) {
      failure = std::current_exception();
      channel.TerminateScript();
      break;
    }
    ReadWaiting(pipe, output);
    watcher.Rearm();
    Host().ExecMessageProc();
    if (g_cancel_request.exchange(false)) channel.TerminateScript();
  }
  channel.DetachProcess();
  return failure;
}

}  // namespace

int32_t CancelRunCallback() {
  g_cancel_request = true;
  return 0;
}

bool RunScript(TCommToRuby& channel, const std::string& script_path) {
  if (!platform::paths::file_exists(script_path)) {
    // The fixed text first, then which script it was.
    Tell((std::string(kScriptNotFound) + "\n" + script_path).c_str(), platform::prompt::Icon::none);
    return false;
  }
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
    child = platform::ChildProcess::start(command_line, options);
  } catch (const platform::SystemError&) {
    Tell(kStartFailed, platform::prompt::Icon::warning);
    return false;
  }
  pipe->write.close();

  g_cancel_request = false;
  std::string output;
  std::exception_ptr failure;
  {
    WaitForm form(mode.quiet, script_path);
    failure = Serve(channel, *child, pipe->read, output);
    Drain(pipe->read, output);
    DeliverOutput(output, {channel.copy_to_clipboard, channel.output_file}, UserFolder());
  }
  pipe->read.close();
  if (failure) std::rethrow_exception(failure);
  return false;
}

}  // namespace scriptlink
