#include "fake_host_api.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace channel_test {

namespace {

FakeHostState state;
scriptlink::HostApi api;
// Lists handed out and not yet given back; a release of anything else is a fault.
std::vector<std::unique_ptr<ZtlHandle[]>> outstanding;

ZtlHandle* HandOut(const std::vector<ZtlHandle>& entries, bool present) {
  if (!present) return nullptr;
  auto list = std::make_unique<ZtlHandle[]>(entries.size() + 1);
  std::copy(entries.begin(), entries.end(), list.get());
  list[entries.size()] = 0;
  ++state.lists_handed_out;
  outstanding.push_back(std::move(list));
  return outstanding.back().get();
}

void FreeEntries(ZtlHandle* entries) {
  for (auto it = outstanding.begin(); it != outstanding.end(); ++it) {
    if (it->get() == entries) {
      outstanding.erase(it);
      ++state.lists_released;
      return;
    }
  }
  ++state.foreign_releases;
}

void Bind() {
  api = {};
  api.GetCurrnetItem = [] { return state.current_item; };
  api.GetCurrentProject = [] { return state.current_project; };
  api.GetCurrentFolder = [] { return state.current_folder; };
  api.GetRecycled = [] { return state.recycled; };
  api.GetFindProject = [] { return state.find_project; };
  api.GetTemplateProject = [] { return state.template_project; };
  api.GetScrapProject = [] { return state.scrap_project; };
  api.GetCurrentDescription = [] { return state.current_document; };
  api.GetSelectedItems = [] { return HandOut(state.selected, state.has_selected); };
  api.GetListViewItems = [] { return HandOut(state.list_view, state.has_list_view); };
  api.GetLoadedProjects = [] { return HandOut(state.loaded, state.has_loaded); };
  api.FreeItemEntries = &FreeEntries;
  api.GetWindowHandle = [](ZtlWindow* main, ZtlWindow* tree, ZtlWindow* list, ZtlWindow* edit, ZtlWindow* filer,
                           ZtlWindow* client, ZtlWindow* status) {
    for (ZtlWindow* other : {main, tree, list, edit, filer, status})
      if (other != nullptr) *other = 1;
    if (client != nullptr) *client = kClientWindow;
  };
  api.RemakeTaskListView = [](std::int32_t a, std::int32_t b, std::int32_t c) {
    if (a == 0 && b == -1 && c == -1) ++state.remakes;
  };
  api.Command = [](std::int32_t target, const char* name, std::int32_t param, std::int32_t shift,
                   const char* const* arguments) {
    FakeHostState::Command command{name, target, param, shift, {}, false};
    for (int i = 0; i < 11; ++i) {
      if (arguments[i] == nullptr) {
        command.null_terminated = i == 10;
        break;
      }
      command.arguments.emplace_back(arguments[i]);
    }
    state.commands.push_back(command);
    return 0;
  };
  api.GetUserFolderName = [](char* buffer, std::int32_t size) {
    const auto length = std::min<std::size_t>(state.user_folder.size(), static_cast<std::size_t>(size));
    std::memcpy(buffer, state.user_folder.data(), length);  // no NUL when it fills the buffer
    if (length < static_cast<std::size_t>(size)) buffer[length] = '\0';
    return static_cast<std::int32_t>(length);
  };
  api.GetVersion = [](std::uint32_t* high, std::uint32_t* low) {
    *high = state.version_high;
    *low = state.version_low;
  };
  api.SetActiveControl = [](std::int32_t control) {
    state.set_active_control_calls.push_back(control);
    return ZtlBool{ZTL_TRUE};
  };
  api.GetActiveControl = [] { return state.active_control; };
}

}  // namespace

FakeHostState& Fake() { return state; }

const scriptlink::HostApi& ResetFakeHost() {
  state = FakeHostState{};
  outstanding.clear();
  Bind();
  return api;
}

scriptlink::HandlerEnv FakeEnv(platform::FileVersion plugin_version) {
  scriptlink::HandlerEnv env;
  env.host = &api;
  env.lock_window_update = [](ZtlWindow window) { state.lock_calls.push_back(window); };
  env.plugin_version = [plugin_version] { return plugin_version; };
  return env;
}

}  // namespace channel_test
