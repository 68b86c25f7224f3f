// What a window showing the session needs to hear from the exported API: the
// message pump (ExecMessageProc) gives it a turn to process its own events,
// and a remake of the task list asked for by a plug-in reaches it. Without a
// window both do nothing.
#pragma once

#include <functional>

namespace zentrella {

void set_event_pump(std::function<void()> pump);
void pump_window_events();

void set_task_list_remake_handler(std::function<void()> handler);
void notify_task_list_remake();

}  // namespace zentrella
