#include "requests/refresh.h"

#include "requests/window_lock.h"

namespace scriptlink {

namespace {

void LockWindows(const HandlerEnv& env, ZtlWindow window) {
  if (env.lock_window_update)
    env.lock_window_update(window);
  else
    LockWindowUpdate(window);
}

}  // namespace

void RemakeTaskList(const HostApi& host) { host.RemakeTaskListView(0, -1, -1); }

void RefreshTaskList(const HostApi& host, ChannelState& state) {
  if (state.update_nesting_count > 0)
    state.task_list_remake_pending = true;
  else
    RemakeTaskList(host);
}

void BeginUpdate(const HandlerEnv& env, ChannelState& state) {
  ++state.update_nesting_count;
  ZtlWindow client = 0;
  env.host->GetWindowHandle(nullptr, nullptr, nullptr, nullptr, nullptr, &client, nullptr);
  LockWindows(env, client);
}

void EndUpdate(const HandlerEnv& env, ChannelState& state) {
  if (state.update_nesting_count > 0) --state.update_nesting_count;
  if (state.update_nesting_count != 0) return;
  if (state.task_list_remake_pending) {
    state.task_list_remake_pending = false;
    RemakeTaskList(*env.host);
  }
  LockWindows(env, 0);
}

}  // namespace scriptlink
