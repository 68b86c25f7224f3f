// The host as a whole: version, windows, panes, commands, the message pump,
// the wait form, the status bar and the item selection dialog.
#include <unistd.h>

#include <platform/codepage.h>
#include <platform/file_version.h>
#include <platform/message_queue.h>
#include <platform/process.h>

#include "api/api_support.h"
#include "model/host_commands.h"
#include "model/host_dialogs.h"
#include "model/view_hooks.h"
#include "model/wait_form.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

// Fixed identifiers of the host's panes, in the parameter order.
enum : ZtlWindow { kMain = 1, kTree, kList, kEdit, kFiler, kClient, kStatus };

void put(ZtlWindow* slot, ZtlWindow value) {
  if (slot != nullptr) *slot = value;
}

std::string text_or_empty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

extern "C" void ZTLPlugin_GetVersion(uint32_t* high, uint32_t* low) {
  guarded_void("GetVersion", [&] {
    // The executable does not change while it runs: read its version once.
    static const auto version = platform::read_file_version(platform::current_executable_path());
    if (high != nullptr) *high = version ? version->high : 0;
    if (low != nullptr) *low = version ? version->low : 0;
  });
}

extern "C" void ZTLPlugin_GetWindowHandle(ZtlWindow* main, ZtlWindow* tree, ZtlWindow* list, ZtlWindow* edit,
                                          ZtlWindow* filer, ZtlWindow* client, ZtlWindow* status) {
  put(main, kMain);
  put(tree, kTree);
  put(list, kList);
  put(edit, kEdit);
  put(filer, kFiler);
  put(client, kClient);
  put(status, kStatus);
}

extern "C" ZtlBool ZTLPlugin_IsStation(void) {
  return guarded<ZtlBool>("IsStation", ZTL_FALSE, [] { return truth(s().station); });
}

extern "C" int32_t ZTLPlugin_GetActiveControl(void) {
  return guarded<int32_t>("GetActiveControl", ZTL_AC_NONE, [] { return s().active_control; });
}

extern "C" ZtlBool ZTLPlugin_SetActiveControl(int32_t control) {
  return guarded<ZtlBool>("SetActiveControl", ZTL_FALSE, [&] {
    if (control < ZTL_AC_NONE || control > ZTL_AC_FILER) return ZTL_FALSE;
    s().active_control = control;
    return ZTL_TRUE;
  });
}

extern "C" int32_t ZTLPlugin_Command(int32_t, const char* name, int32_t, int32_t shift,
                                     const char* const* arguments) {
  return guarded<int32_t>("Command", 0, [&] {
    if (name == nullptr) return 0;
    std::vector<std::string> given;
    for (std::size_t i = 0; arguments != nullptr && i < 64 && arguments[i] != nullptr; ++i) {
      given.emplace_back(arguments[i]);
    }
    return run_host_command(name, shift != 0, given);
  });
}

extern "C" void ZTLPlugin_ExecMessageProc(void) {
  guarded_void("ExecMessageProc", [] {
    platform::MessageQueue::instance().dispatch_pending();
    wait_form().pump();
    pump_window_events();
  });
}

extern "C" void ZTLPlugin_ShowWaitForm(ZtlWaitCancelProc cancel, const char* caption, const char* label,
                                       const char*, const char*, int32_t) {
  guarded_void("ShowWaitForm", [&] { wait_form().show(cancel, text_or_empty(caption), text_or_empty(label)); });
}

extern "C" void ZTLPlugin_SetWaitFormLabel(const char* label) {
  guarded_void("SetWaitFormLabel", [&] { wait_form().set_label(text_or_empty(label)); });
}

extern "C" void ZTLPlugin_CloseWaitForm(void) {
  guarded_void("CloseWaitForm", [] { wait_form().close(); });
}

extern "C" void ZTLPlugin_ShowMsgToStatusBar(const char* text) {
  guarded_void("ShowMsgToStatusBar", [&] {
    s().status_text = text_or_empty(text);
    if (isatty(STDERR_FILENO) == 1 && !wait_form().shown()) {
      std::fprintf(stderr, "%s\n", platform::codepage::to_utf8(s().status_text).c_str());
    }
  });
}

extern "C" ZtlHandle ZTLPlugin_SelectItemFormShow(const char* caption, ZtlHandle start, int32_t flag1,
                                                  int32_t flag2, int32_t flag3) {
  return guarded<ZtlHandle>("SelectItemFormShow", 0, [&] {
    const Handle chosen = select_item(text_or_empty(caption), start, {flag1 != 0, flag2 != 0, flag3 != 0});
    return s().store().item(chosen) != nullptr ? chosen : 0;
  });
}
