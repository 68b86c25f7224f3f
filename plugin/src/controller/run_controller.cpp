// The run controller: how a host command becomes one finished script run, and
// how a script started outside the host is served. At most one script is
// served at a time; the busy flag turns a second attempt into a question.
#include "controller/run_controller.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <unistd.h>

#include <platform/error.h>
#include <platform/module.h>
#include <platform/paths.h>
#include <platform/process.h>
#include <platform/prompt.h>
#include <ztl/channel.h>

#include "channel/channel_error.h"
#include "channel/comm_to_ruby.h"
#include "commands/command_file.h"
#include "controller/help_launcher.h"
#include "dialogs/script_list_form.h"
#include "host_binding/host_api_table.h"
#include "launcher/run_script.h"
#include "controller/plugin_globals.h"
#include "controller/report_error.h"
#include "controller/run_outcome.h"
#include "controller/scriptlink.h"
#include "controller/serve_request.h"

namespace scriptlink {

namespace {

constexpr const char* kBusyQuestion =
    "他のRubyスクリプトが実行中です。強制終了させる場合は「はい」を押してください。"
    "コンソールのウィンドウが出ている場合は、それを終了してください。";

// Sets the busy flag for a scope; cleared on every way out.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

// Makes a folder the current directory for a scope and restores the old one.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& folder) {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) platform::throw_errno("read the current directory");
    previous_ = buffer;
    if (::chdir(folder.c_str()) != 0) platform::throw_errno("change to the script folder " + folder);
  }
  ~CurrentDirectoryScope() { (void)!::chdir(previous_.c_str()); }
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

 private:
  std::string previous_;
};

std::int32_t ChannelNumber() { return static_cast<std::int32_t>(platform::executable_module_handle()); }

// A channel failure of a run names its script on a line of its own: the fixed
// text alone does not say which of the user's scripts failed.
template <typename Run>
void NamingTheScriptOnChannelError(const std::string& script_path, Run&& run) {
  try {
    run();
  } catch (const ChannelError& error) {
    if (script_path.empty()) throw;
    throw ChannelError(std::string(error.what()) + "\n" + script_path);
  }
}


}  // namespace

bool FlagFromText(const char* text) {
  if (text == nullptr) return false;
  const char* end = text + std::strlen(text);
  const char* begin = text;
  if (begin != end && *begin == '+') ++begin;
  std::int32_t value = 0;
  const auto [last, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || last != end || begin == end) return false;
  return (static_cast<std::uint32_t>(value) & 0xFF) != 0;
}

std::string ScriptFromParameter(std::string_view script_file, const std::string& script_folder) {
  if (platform::paths::folder_of(script_file).empty()) return script_folder + std::string(script_file);
  return std::string(script_file);
}

std::vector<std::string> ScriptCandidates(std::string_view script_file, const std::string& script_folder) {
  std::vector<std::string> candidates{ScriptFromParameter(script_file, script_folder)};
  const bool bare = platform::paths::folder_of(script_file).empty();
  const bool has_extension = script_file.size() >= 3 && script_file.substr(script_file.size() - 3) == ".rb";
  if (bare && !has_extension && !script_file.empty()) candidates.push_back(candidates.front() + ".rb");
  return candidates;
}

// The channel object of the run in progress: created before the script
// starts (which announces the channel on a station and names it in the
// environment), made the current channel, and freed on every way out.
class TScriptlink::ChannelScope {
 public:
  explicit ChannelScope(TScriptlink& owner)
      : owner_(owner), channel_(MakeChannel(owner)) {
    channel_->interpreter = "ruby";
    owner_.current_channel_ = channel_.get();
  }
  ~ChannelScope() { owner_.current_channel_ = nullptr; }
  ChannelScope(const ChannelScope&) = delete;
  ChannelScope& operator=(const ChannelScope&) = delete;

  TCommToRuby& operator*() const { return *channel_; }
  TCommToRuby* operator->() const { return channel_.get(); }
  // Frees the channel object where its failure can still be reported.
  void Close() { channel_->Close(); }

 private:
  static std::unique_ptr<TCommToRuby> MakeChannel(const TScriptlink& owner) {
    const platform::NamedMapping* announcement = owner.AnnouncementMapping();
    if (owner.IsStation() && announcement == nullptr) throw ChannelError(kCannotOpenSharedMemory);
    return TCommToRuby::CreateFresh(ChannelNumber(), announcement,
                                    [] { return MakeDispatchServer(HandlerEnv{&Host(), {}, {}}); });
  }

  TScriptlink& owner_;
  std::unique_ptr<TCommToRuby> channel_;
};

void TScriptlink::AskToTerminateRunningScript() {
  const auto answer = platform::prompt::message_box(kBusyQuestion, "Scriptlink", platform::prompt::Buttons::yes_cancel,
                                                    platform::prompt::Icon::warning);
  if (answer != platform::prompt::Answer::yes || current_channel_ == nullptr) return;
  current_channel_->cancelled = true;
  current_channel_->TerminateScript();
}

bool TScriptlink::RunCommand(std::uint32_t n, const ZtlRunParams* params) {
  if (n == kHelpCommandNumber) {
    ShowHelp(0, PluginPath(), "First.html");
    return false;
  }
  if (n != kMacroExecCommandNumber && n < kFirstUserCommandNumber) return false;
  if (busy_) {
    AskToTerminateRunningScript();
    return false;
  }
  const CommandRecord* record = n >= kFirstUserCommandNumber ? FindCommand(n) : nullptr;
  const std::string script = record != nullptr ? FromStoredPath(record->ScriptFile(), ScriptFolder())
                             : params != nullptr && params->script_file != nullptr
                                 ? ScriptFromParameter(params->script_file, ScriptFolder())
                                 : std::string();
  NamingTheScriptOnChannelError(script, [&] {
    if (n >= kFirstUserCommandNumber) {
      RunUserCommand(n);
    } else {
      RunScriptCommand(params);
    }
  });
  return false;
}

void TScriptlink::RunUserCommand(std::uint32_t n) {
  BusyScope busy(busy_);
  ResetRunOutcome();
  // The interpreter runs with the script folder as its working directory.
  CurrentDirectoryScope directory(ScriptFolder());
  const CommandRecord* record = FindCommand(n);
  if (record == nullptr) return;
  ChannelScope channel(*this);
  channel->options = std::string(record->ScriptOptions());
  channel->output_file = FromStoredPath(record->OutputFile(), ScriptFolder());
  channel->copy_to_clipboard = record->CopyToClipboard();
  channel->hide_console = record->HideConsole();
  RunScript(*channel, FromStoredPath(record->ScriptFile(), ScriptFolder()));
  channel.Close();
}

void TScriptlink::RunScriptCommand(const ZtlRunParams* params) {
  BusyScope busy(busy_);
  ResetRunOutcome();
  if (params == nullptr) {
    RunChosenScript();
    return;
  }
  const auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
  ChannelScope channel(*this);
  channel->options = text(params->script_options);
  channel->output_file = text(params->output_file);
  channel->copy_to_clipboard = FlagFromText(params->copy_to_clipboard);
  channel->hide_console = FlagFromText(params->hide_console);
  // "NAME" is also "NAME.rb" of the script folder: the first that exists runs.
  std::vector<std::string> candidates = ScriptCandidates(text(params->script_file), ScriptFolder());
  std::vector<std::string> tried;
  while (candidates.size() > 1 && !platform::paths::file_exists(candidates.front())) {
    tried.push_back(candidates.front());
    candidates.erase(candidates.begin());
  }
  RunScript(*channel, candidates.front(), tried);
  channel.Close();
}

// The five values a run takes from the script list.
struct TScriptlink::ScriptChoice {
  std::string script;
  std::string options;
  std::string output_file;
  bool copy_to_clipboard = false;
  bool hide_console = false;
};

std::optional<TScriptlink::ScriptChoice> TScriptlink::ChooseScript() {
  platform::prompt::ScriptList::Actions actions{
      [] { ShowHelp(0, PluginPath(), platform::prompt::ScriptList::kHelpPage); }, [this] { EditCommands(); }};
  // The form is released (and its size kept) before the script runs.
  TScriptListForm form(ScriptFolder(), SettingsFilePath(PluginPath()), std::move(actions));
  if (!form.Run()) return std::nullopt;
  return ScriptChoice{form.Script(), form.Options(), form.OutputFile(), form.CopyToClipboard(), form.HideConsole()};
}

void TScriptlink::RunChosenScript() {
  const std::optional<ScriptChoice> choice = ChooseScript();
  if (!choice) return;
  NamingTheScriptOnChannelError(choice->script, [&] {
    ChannelScope channel(*this);
    channel->options = choice->options;
    channel->output_file = choice->output_file;
    channel->copy_to_clipboard = choice->copy_to_clipboard;
    channel->hide_console = choice->hide_console;
    RunScript(*channel, choice->script);
    channel.Close();
  });
}

void TScriptlink::ServeExternalScript() {
  if (busy_) {
    AskToTerminateRunningScript();
    return;
  }
  BusyScope busy(busy_);
  const platform::NamedMapping* announcement = AnnouncementMapping();
  if (announcement == nullptr) throw ChannelError(kCannotOpenSharedMemory);
  std::uint32_t client = 0;
  try {
    const platform::MappedView view = announcement->view(0, sizeof client, false);
    std::memcpy(&client, view.data(), sizeof client);
  } catch (const std::exception&) {
    throw ChannelError(kCannotOpenSharedMemory);
  }
  // A script that gave up waiting has taken its id back (0) or is gone: a
  // channel made for it would answer the next script's knock with a stale signal.
  if (client == 0 || !platform::ProcessHandle::open(static_cast<pid_t>(client))) return;
  ChannelScope channel(*this);
  if (wait_thread_) wait_thread_->host_wait_event().set();
  channel->ServeProcess(static_cast<pid_t>(client));
  channel.Close();
}

}  // namespace scriptlink
