#include "model/view_hooks.h"

namespace zentrella {

namespace {

std::function<void()>& event_pump() {
  static std::function<void()> pump;
  return pump;
}

std::function<void()>& remake_handler() {
  static std::function<void()> handler;
  return handler;
}

}  // namespace

void set_event_pump(std::function<void()> pump) { event_pump() = std::move(pump); }

void pump_window_events() {
  if (event_pump()) event_pump()();
}

void set_task_list_remake_handler(std::function<void()> handler) { remake_handler() = std::move(handler); }

void notify_task_list_remake() {
  if (remake_handler()) remake_handler()();
}

}  // namespace zentrella
