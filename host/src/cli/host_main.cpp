#include "cli/host_main.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include <platform/atomic_file.h>
#include <platform/clipboard.h>
#include <platform/codepage.h>
#include <platform/file_version.h>
#include <platform/message_queue.h>
#include <platform/named_mapping.h>
#include <platform/orphaned_objects.h>
#include <platform/paths.h>
#include <platform/process.h>
#include <platform/prompt.h>
#ifdef ZTL_HAVE_DESKTOP
#include <desktop/desktop_front_end.h>
#endif

#include <ztl/channel.h>

#include "cli/command_cli.h"
#include "cli/desktop_runner.h"
#include "cli/item_views.h"
#include "cli/options.h"
#include "cli/terminal_text.h"
#include "cli/plugin_host.h"
#include "cli/script_cli.h"
#include "cli/run_report.h"
#include "model/host_commands.h"
#include "model/interrupt.h"
#include "model/record_ledger.h"
#include "model/session.h"
#include "storage/project_file.h"
#include "storage/session_files.h"

namespace zentrella::cli {

namespace {

constexpr const char* kSampleName = "sample-projects.json";
constexpr const char* kDefaultProject = "default.json";
constexpr const char* kTraceVariable = "ZTL_TRACE";

std::string executable_folder() { return platform::paths::folder_of(platform::current_executable_path()); }

std::string default_user_folder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return platform::paths::with_trailing_slash(data) + "zentrella/";
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') throw std::runtime_error("neither XDG_DATA_HOME nor HOME is set; use --user-folder");
  return platform::paths::with_trailing_slash(home) + ".local/share/zentrella/";
}

std::string first_existing(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates) {
    if (platform::paths::file_exists(path)) return path;
  }
  return {};
}

std::string find_plugin(const Options& options) {
  if (options.plugin) return *options.plugin;
  const std::string here = executable_folder();
  const std::string found = first_existing({here + "Scriptlink.so", here + "../lib/zentrella/Scriptlink.so"});
  if (found.empty()) throw PluginError("no plug-in found: looked for " + here + "Scriptlink.so and " + here + "../lib/zentrella/Scriptlink.so");
  return found;
}

// The default project, made from the bundled sample the first time.
std::string default_project(const std::string& user_folder) {
  const std::string path = user_folder + kDefaultProject;
  if (platform::paths::file_exists(path)) return path;
  const std::string here = executable_folder();
  const std::string sample =
      first_existing({here + "examples/" + kSampleName, here + "../share/zentrella/examples/" + kSampleName});
  if (!sample.empty()) {
    load_projects(sample);  // a broken sample must not become the user's file
    platform::write_file_atomically(path, *platform::read_whole_file(sample));
  } else {
    ItemTree inbox;
    inbox.fields.kind = ItemKind::project;
    inbox.fields.title = platform::codepage::from_utf8("受信箱");
    save_projects(path, {inbox});
  }
  return path;
}

// A display that does not answer can take a second to say so: it is asked
// once per process.
bool display_answers() {
#ifdef ZTL_HAVE_DESKTOP
  static const bool answers = desktop::display_reachable();
  return answers;
#else
  return false;
#endif
}

// The main window needs a display, and a host built with it.
void check_desktop(const Options& options) {
  if (options.command != "desktop") return;
  if (!desktop_runner()) throw std::runtime_error("desktop: this host was built without the desktop (Qt 6)");
  if (!display_answers()) {
    throw std::runtime_error("desktop: no display answers (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM)");
  }
}

// Without a command the main window opens when there is a display to show it on.
void choose_command(Options& options) {
  if (!options.command.empty()) return;
  if (desktop_runner() && display_answers()) {
    options.command = "desktop";
    return;
  }
  throw UsageError("no command given");
}

// The plug-in traces its requests into the file ZTL_TRACE names (--trace sets
// it). A file that cannot be written is an error before anything runs.
void prepare_trace(const Options& options) {
  if (options.trace) setenv(kTraceVariable, options.trace->c_str(), 1);
  const char* path = std::getenv(kTraceVariable);
  if (path == nullptr || *path == '\0') return;
  std::FILE* file = std::fopen(path, "we");
  if (file == nullptr) {
    throw std::runtime_error("cannot write the trace file " + std::string(path) + ": " + std::strerror(errno));
  }
  std::fclose(file);
}

// Scripted answers, when asked for, come before any front end of the user's.
void choose_front_end(const Options& options) {
  check_desktop(options);
  const char* answers = std::getenv(platform::prompt::kAnswersVariable);
  if (answers != nullptr && *answers != '\0') return;
  if (options.ui == "terminal" && options.command != "desktop") return;
#ifdef ZTL_HAVE_DESKTOP
  // Looked at only when the desktop may be wanted.
  if (!display_answers()) {
    if (options.ui == "desktop") {
      throw std::runtime_error("--ui desktop: no display answers (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM)");
    }
    return;
  }
  platform::prompt::set_front_end(desktop::make_desktop_front_end());
#else
  if (options.ui == "desktop") throw UsageError("this host was built without the desktop front end (Qt 6)");
#endif
}

void set_up_session(const Options& options) {
  if (options.codepage) {
    platform::codepage::set_current(*options.codepage == "932" ? platform::codepage::CodePage::cp932
                                                               : platform::codepage::CodePage::utf8);
    setenv(platform::codepage::kCodePageVariable, options.codepage->c_str(), 1);
  } else {
    // Fixed once from the environment: texts ask for the page at every request.
    platform::codepage::set_current(platform::codepage::current());
  }
  Session& s = session();
  s.user_folder = platform::paths::with_trailing_slash(options.user_folder ? *options.user_folder : default_user_folder());
  platform::paths::create_folders(s.user_folder);
  s.station = !options.no_station;
  std::vector<std::string> files = options.projects;
  if (files.empty()) files.push_back(default_project(s.user_folder));
  for (const std::string& repeated : open_project_files(s, files)) {
    std::fprintf(stderr, "zentrella: %s is already open; it is loaded once\n", repeated.c_str());
  }
  open_special_projects(s, s.user_folder + kSpecialProjectsFile);
  s.set_default_project_file(files.front());
  set_save_handler([] { save_dirty_files(session()); });
}

// Captions and names come from the user's command file.
std::string shown(const char* text) {
  return printable(text != nullptr ? text : "", platform::codepage::current() == platform::codepage::CodePage::utf8);
}

void print_commands(const PluginHost& plugin) {
  const ZtlPluginInfo* info = plugin.info();
  if (info == nullptr || info->commands == nullptr) return;
  for (std::int32_t i = 0; i < info->command_count && info->commands[i] != nullptr; ++i) {
    const ZtlCommandEntry* entry = info->commands[i];
    std::printf("%u\t%s\t%s\t%d\t%u\n", entry->number, shown(entry->name).c_str(),
                shown(entry->caption).c_str(), entry->icon, static_cast<unsigned>(entry->type));
  }
}

// Every byte, NULs included: the clipboard holds what a script put there.
void print_clipboard() {
  const std::string text = platform::clipboard::get_text();
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
    throw std::runtime_error("cannot print the clipboard: " + std::string(std::strerror(errno)));
  }
}

void print_version(const PluginHost& plugin) {
  const auto own = platform::read_file_version(platform::current_executable_path());
  std::printf("zentrella %s\n", version_text(own ? own->high : 0, own ? own->low : 0).c_str());
  const ZtlPluginInfo* info = plugin.info();
  const char* name = info != nullptr && info->name != nullptr ? info->name : "plug-in";
  std::printf("%s %s\n", name, version_text(plugin.version_high(), plugin.version_low()).c_str());
}

int run_script(const PluginHost& plugin, const RunOptions& run) {
  if (run.clipboard && !run.output.empty()) {
    std::fprintf(stderr, "zentrella: --clipboard takes the output; %s is not written\n", run.output.c_str());
  }
  const ZtlRunParams params{run.script.c_str(), run.options.c_str(), run.output.c_str(), run.clipboard ? "1" : "0",
                            run.hide_console ? "1" : "0"};
  plugin.entry().Execute(0, &params);
  return run_exit_code(plugin.last_run_outcome(), stderr);
}

bool offers_command(const PluginHost& plugin, unsigned number) {
  const ZtlPluginInfo* info = plugin.info();
  if (info == nullptr || info->commands == nullptr) return false;
  for (std::int32_t i = 0; i < info->command_count && info->commands[i] != nullptr; ++i) {
    if (info->commands[i]->number == number) return true;
  }
  return false;
}

int exec_command(const PluginHost& plugin, unsigned number) {
  if (!offers_command(plugin, number)) {
    std::fprintf(stderr, "zentrella: the plug-in has no command %u (see 'zentrella commands')\n", number);
    return kExitFailure;
  }
  plugin.entry().Execute(number, nullptr);
  return run_exit_code(plugin.last_run_outcome(), stderr);
}

// --select: the item is current for the run, as if the user had clicked it.
void select_item(const std::string& path) {
  Session& s = session();
  const Handle item = find_item_by_path(s, path);
  if (item == 0) {
    throw std::runtime_error("--select: no item has the path \"" + path +
                             "\" (titles from the project down, joined by '/')");
  }
  s.set_current_item(item);
  // The choice is the user's, not a script's passing focus: the file keeps it
  // for the next start even when nothing else changes.
  if (!s.is_special(s.project_of(item))) s.mark_file_dirty(s.file_of(s.project_of(item)));
}

void print_tree() {
  const std::string text = format_tree(session());
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
    throw std::runtime_error("cannot print the tree: " + std::string(std::strerror(errno)));
  }
}

// The plug-in claims the station of the namespace for a host that is one; a
// live station claimed it first when the claim names another process.
pid_t claimed_station() {
  const auto claim = platform::NamedMapping::try_open(ZTL_STATION_MAPPING_NAME, ZTL_STATION_MAPPING_SIZE);
  if (!claim) return 0;
  const platform::MappedView view = claim->view(0, sizeof(std::uint32_t), false);
  return static_cast<pid_t>(__atomic_load_n(reinterpret_cast<const std::uint32_t*>(view.data()), __ATOMIC_ACQUIRE));
}

void serve_station() {
  if (session().station && claimed_station() != platform::current_process_id()) {
    throw std::runtime_error("another host (process " + std::to_string(claimed_station()) +
                             ") is the station of this namespace; this one does not serve");
  }
  std::fprintf(stderr, "zentrella: serving scripts; Ctrl-C ends\n");
  while (!interrupt_requested() && !close_requested()) {
    platform::MessageQueue::instance().wait_and_dispatch(std::chrono::milliseconds(100));
    save_dirty_files(session());
  }
  clear_interrupt();
}

// Host commands named after a plug-in command run it, as the host's menus would.
void offer_plugin_commands(const PluginHost& plugin) {
  set_plugin_command_handler([&plugin](const std::string& name) {
    const ZtlPluginInfo* info = plugin.info();
    if (info == nullptr || info->commands == nullptr) return false;
    for (std::int32_t i = 0; i < info->command_count && info->commands[i] != nullptr; ++i) {
      const ZtlCommandEntry* entry = info->commands[i];
      if (entry->name != nullptr && name == entry->name) {
        plugin.entry().Execute(entry->number, nullptr);
        return true;
      }
    }
    return false;
  });
}

// Every record and list the host handed to the plug-in must have come back
// through its release function by the time the plug-in is unloaded; one that
// did not is a fault of the plug-in, and the run says so.
int report_unreturned_records(int code) {
  const std::size_t kept = outstanding_records();
  const std::size_t wrong = release_errors();
  if (kept == 0 && wrong == 0) return code;
  std::fprintf(stderr, "zentrella: the plug-in kept %zu host records and made %zu wrong releases\n", kept, wrong);
  return kExitFailure;
}

// A command stopped by SIGTERM has failed, and so has one during which the
// user was shown an error (the plug-in could not deliver a run's output, say),
// though it ran to its end.
constexpr std::size_t kBoxesDoNotCount = static_cast<std::size_t>(-1);  // for one whose boxes do not

int command_exit_code(int code, std::size_t error_boxes_before) {
  if (termination_requested()) {
    // The command was stopped: its script ended, its output delivered, and the
    // projects are saved, but it did not run to its end.
    std::fprintf(stderr, "zentrella: terminated\n");
    return kExitFailure;
  }
  if (code != kExitOk || error_boxes_before == kBoxesDoNotCount ||
      platform::prompt::error_boxes_asked() == error_boxes_before) {
    return code;
  }
  std::fprintf(stderr, "zentrella: the command reported an error\n");
  return kExitFailure;
}

int run_command(const Options& options) {
  if (options.command == "clipboard") {
    print_clipboard();
    return kExitOk;
  }
  if (options.command == "command") {
    return run_command_cli(options.command_arguments, session().user_folder,
                           options.plugin.value_or(executable_folder() + "Scriptlink.so"));
  }
  if (options.command == "scripts") return list_scripts(session().user_folder + "Script/");
  if (options.command == "new") return new_script(options.command_arguments, session().user_folder + "Script/");
  if (options.command == "tree") {
    print_tree();
    return kExitOk;
  }
  PluginHost plugin(find_plugin(options));
  offer_plugin_commands(plugin);
  struct Withdraw {
    ~Withdraw() { set_plugin_command_handler({}); }
  } withdraw;
  int code = kExitOk;
  if (options.command == "commands") print_commands(plugin);
  if (options.command == "version") print_version(plugin);
  if (options.command == "run") code = run_script(plugin, options.run);
  if (options.command == "exec") code = exec_command(plugin, options.exec_number);
  if (options.command == "station") serve_station();
  if (options.command == "desktop") return desktop_runner()(plugin);
  save_dirty_files(session());
  return code;
}

// One "zentrella:" line for each line of an error (a save names each file).
void report_lines(std::string_view text) {
  for (std::size_t begin = 0; begin <= text.size();) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    std::fprintf(stderr, "zentrella: %.*s\n", static_cast<int>(end - begin), text.data() + begin);
    begin = end + 1;
  }
}

}  // namespace

int host_main(int argc, char** argv) {
  Options options;
  try {
    options = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.help) choose_command(options);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "zentrella: %s\nTry 'zentrella --help' for more information.\n", error.what());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(command_help(options.help_topic).c_str(), stdout);
    return kExitOk;
  }
  install_interrupt_handler();
  // Objects left by a host or script that crashed would otherwise stay until
  // their name is used again.
  platform::remove_orphaned_objects();
  try {
    prepare_trace(options);
    choose_front_end(options);
    set_up_session(options);
    if (options.select) select_item(*options.select);
    const std::size_t error_boxes = platform::prompt::error_boxes_asked();
    // A desktop session's error boxes were the user's to read; its exit code
    // says whether the changes were saved.
    const bool boxes_fail = options.command != "desktop";
    const int code = command_exit_code(run_command(options), boxes_fail ? error_boxes : kBoxesDoNotCount);
    std::fflush(stdout);
    return report_unreturned_records(code);
  } catch (const UsageError& error) {
    // A command's own words, read by its runner: nothing was changed.
    std::fprintf(stderr, "zentrella: %s\nTry 'zentrella help %s' for more information.\n", error.what(),
                 options.command.c_str());
    return kExitUsage;
  } catch (const SaveError& error) {
    // The save was the last step and has just failed: trying it again would
    // only report the same failure twice.
    report_lines(error.what());
    return kExitFailure;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zentrella: %s\n", error.what());
    // What was changed before the failure is still saved; a file that failed
    // to load was never opened, so it cannot be written.
    try {
      save_dirty_files(session());
    } catch (const std::exception& save_error) {
      report_lines(save_error.what());
    }
    return kExitFailure;
  }
}

}  // namespace zentrella::cli
