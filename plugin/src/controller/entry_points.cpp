// The exported entry points the host calls. No C++ exception crosses one of
// them: each body runs in Guarded, which reports the error text and returns
// the entry point's failure value.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <type_traits>

#include <platform/file_version.h>
#include <platform/module.h>
#include <platform/paths.h>
#include <zentrella/host_api.h>
#include <zentrella/plugin_abi.h>

#include "controller/help_launcher.h"
#include "host_binding/host_api_table.h"
#include "controller/plugin_globals.h"
#include "controller/plugin_info.h"
#include "controller/plugin_version.h"
#include "controller/report_error.h"
#include "controller/request_trace.h"
#include "controller/run_outcome.h"
#include "controller/scriptlink.h"

// The plug-in's own version, read back by ZTLPlugin_SetVersion from the file.
ZTL_DEFINE_FILE_VERSION(ZTL_VERSION_MAJOR, ZTL_VERSION_MINOR, ZTL_VERSION_RELEASE,
                        ZTL_VERSION_BUILD)

namespace scriptlink {
namespace {

std::unique_ptr<TScriptlink> g_controller;

template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& error) {
    ReportError(error.what());
  } catch (...) {
    ReportError("予期しないエラーが発生しました");
  }
  return failure;
}

template <typename Body>
void Guarded(Body&& body) noexcept {
  Guarded(0, [&] {
    body();
    return 0;
  });
}

TScriptlink& Controller() {
  if (!g_controller) throw std::runtime_error("Scriptlinkが初期化されていません");
  return *g_controller;
}

void* LookUpHostFunction(const char* name) { return platform::executable_procedure(name); }

std::string AskUserFolder() {
  char buffer[ZTL_USER_FOLDER_MAX + 1] = {};
  Host().GetUserFolderName(buffer, ZTL_USER_FOLDER_MAX);
  buffer[ZTL_USER_FOLDER_MAX] = '\0';  // the host's text is untrusted
  return std::string(buffer, strnlen(buffer, ZTL_USER_FOLDER_MAX));
}

// Every script the host starts inherits the environment; with the plug-in's
// "ruby/" folder (where ztl.so lies) first on RUBYLIB, `require "ztl"` finds
// the extension that belongs to this plug-in.
void PutExtensionOnRubyLib() {
  const std::string ours = PluginFolder() + "ruby";
  const char* current = std::getenv("RUBYLIB");
  std::string value = ours;
  if (current != nullptr && *current != '\0') {
    const std::string existing(current);
    if (existing == ours || existing.rfind(ours + ":", 0) == 0) return;
    value += ":" + existing;
  }
  ::setenv("RUBYLIB", value.c_str(), 1);
}

std::int32_t Init(const char* plugin_path) {
  g_controller.reset();
  SetPluginPath(plugin_path != nullptr ? plugin_path : "");
  if (platform::executable_module_handle() <= 32) return ZTL_FALSE;
  // All 121 names before anything is created: a host that lacks one gets no
  // folder and no controller.
  if (!BindHostApi(Host(), LookUpHostFunction)) return ZTL_FALSE;

  SetUserFolder(AskUserFolder());
  platform::paths::create_folders(ScriptFolder());
  PutExtensionOnRubyLib();
  StartRequestTrace();
  g_controller = std::make_unique<TScriptlink>(Host().IsStation() != 0);
  PrepareHelp();
  return ZTL_TRUE;
}

}  // namespace
}  // namespace scriptlink

using namespace scriptlink;

#define ZTL_EXPORT extern "C" __attribute__((visibility("default")))

ZTL_EXPORT std::int32_t ZTLPlugin_Init(const char* plugin_path) {
  return Guarded(std::int32_t{ZTL_FALSE}, [&] { return Init(plugin_path); });
}

ZTL_EXPORT void ZTLPlugin_Unload(void) {
  Guarded([] { g_controller.reset(); });
  EndRequestTrace();
}

ZTL_EXPORT void ZTLPlugin_Activate(void) {}

ZTL_EXPORT void ZTLPlugin_SetVersion(std::uint32_t* high, std::uint32_t* low) {
  if (high != nullptr) *high = 0;
  if (low != nullptr) *low = 0;
  Guarded([&] {
    const platform::FileVersion version = PluginVersion();
    if (high != nullptr) *high = version.high;
    if (low != nullptr) *low = version.low;
  });
}

ZTL_EXPORT ZtlPluginInfo* ZTLPlugin_SetPluginInfo(void) {
  return Guarded(static_cast<ZtlPluginInfo*>(nullptr),
                 [] { return BuildPluginInfo(Controller().Commands()); });
}

ZTL_EXPORT void ZTLPlugin_FreePluginInfo(ZtlPluginInfo* info) { FreePluginInfo(info); }

ZTL_EXPORT std::int32_t ZTLPlugin_Execute(std::uint32_t command, const ZtlRunParams* params) {
  Guarded([&] { Controller().RunCommand(command, params); });
  return ZTL_FALSE;
}

// Not among the host's entry points: a host that wants the last run's outcome
// (its command line's exit status) looks this one up by name.
ZTL_EXPORT const ZtlRunOutcome* ZTLPlugin_LastRunOutcome(void) { return LastRunOutcomeRecord(); }

// The hooks: window procedures answer -1 ("not handled"), notifications do
// nothing.
#define ZTL_HOOK_RESULT_int32_t return -1;
#define ZTL_HOOK_RESULT_void
#define ZTL_DEFINE_HOOK(ret, name, params) \
  ZTL_EXPORT ret ZTLPlugin_##name params { ZTL_HOOK_RESULT_##ret }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
ZTL_DEFINE_HOOK(int32_t, OnZentrellaMainWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnTaskListViewWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnTreeViewWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnEditWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnFilerWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnCalendarWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnFolderLauncherWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnTaskLauncherWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnFilterTabWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnEditTabWndProc, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(int32_t, OnEditHotSpotDblClick, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(void, OnCommand, (intptr_t a, intptr_t b, intptr_t c, intptr_t d))
ZTL_DEFINE_HOOK(void, OnCurrentFolderChange, (intptr_t a))
ZTL_DEFINE_HOOK(void, OnCurrentItemChange, (intptr_t a))
ZTL_DEFINE_HOOK(void, OnCurrentDescriptionChange, (intptr_t a))
ZTL_DEFINE_HOOK(void, OnProjectModified, (intptr_t a))
ZTL_DEFINE_HOOK(void, OnCreateItemFromTemplate, (intptr_t a))
ZTL_DEFINE_HOOK(void, OnChangeCurrentProject, (intptr_t a, intptr_t b))
ZTL_DEFINE_HOOK(void, OnCreateTempFile, (intptr_t a, intptr_t b, intptr_t c))
ZTL_DEFINE_HOOK(void, OnEditChange, (void))
ZTL_DEFINE_HOOK(void, OnEditMoveCaret, (void))
ZTL_DEFINE_HOOK(void, OnCalendarChange, (void))
#pragma GCC diagnostic pop

// Each entry point must match the declared type in plugin_abi.h exactly.
#define ZTL_CHECK_ENTRY_TYPE(ret, name, params) \
  static_assert(std::is_same_v<decltype(&ZTLPlugin_##name), ZtlPluginFn_##name>);
ZENTRELLA_PLUGIN_ENTRY_POINTS(ZTL_CHECK_ENTRY_TYPE)
#undef ZTL_CHECK_ENTRY_TYPE
