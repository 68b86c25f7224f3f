#include "model/host_commands.h"

#include <algorithm>

#include "model/session.h"

namespace zentrella {

namespace {

std::vector<CommandRecord>& log() {
  static std::vector<CommandRecord> entries;
  return entries;
}

std::function<void()>& save_handler() {
  static std::function<void()> handler;
  return handler;
}

bool g_close_requested = false;

std::function<bool(const std::string&)>& plugin_command_handler() {
  static std::function<bool(const std::string&)> handler;
  return handler;
}

bool new_child(ItemKind kind, const std::vector<std::string>& arguments) {
  Session& s = session();
  const Handle made = s.add_item(s.current_folder(), kind);
  if (made == 0) return false;
  if (!arguments.empty()) s.store().item(made)->fields.title = arguments.front();
  s.set_current_item(made);
  return true;
}

bool delete_selection() {
  Session& s = session();
  std::vector<Handle> doomed = s.selection();
  if (doomed.empty() && s.current_item() != 0) doomed.push_back(s.current_item());
  // An item that goes with a selected ancestor is not deleted on its own:
  // by then it is in the recycle bin, and a delete there is final.
  const std::vector<Handle> picked = doomed;
  std::erase_if(doomed, [&](Handle h) {
    const Handle parent = s.store().item(h) != nullptr ? s.store().item(h)->parent : 0;
    return std::any_of(picked.begin(), picked.end(),
                       [&](Handle other) { return parent != 0 && s.store().is_ancestor_or_self(other, parent); });
  });
  bool any = false;
  for (Handle h : doomed) any = s.delete_item(h, true) || any;
  return any;
}

bool run_known(const std::string& name, const std::vector<std::string>& arguments) {
  if (name == "NewTask") return new_child(ItemKind::task, arguments);
  if (name == "NewFolder") return new_child(ItemKind::folder, arguments);
  if (name == "Delete") return delete_selection();
  if (name == "EmptyRecycleBin") return session().empty_recycle_bin();
  if (name == "SelectAll") {
    session().select_only(session().list_view_items());
    return true;
  }
  if (name == "Save") {
    if (save_handler()) save_handler()();
    return true;
  }
  if (name == "Close") {
    // Saved now, so nothing is lost if the host is ended before it gets back
    // to its loop; the host itself ends only after the command that asked.
    if (save_handler()) save_handler()();
    g_close_requested = true;
    return true;
  }
  return plugin_command_handler() && plugin_command_handler()(name);
}

}  // namespace

std::int32_t run_host_command(const std::string& name, bool shift, const std::vector<std::string>& arguments) {
  CommandRecord record{name, shift, arguments};
  while (!record.arguments.empty() && record.arguments.back().empty()) record.arguments.pop_back();
  log().push_back(record);
  return run_known(name, record.arguments) ? -1 : 0;
}

void set_plugin_command_handler(std::function<bool(const std::string&)> handler) {
  plugin_command_handler() = std::move(handler);
}

void set_save_handler(std::function<void()> handler) { save_handler() = std::move(handler); }

bool close_requested() { return g_close_requested; }
void clear_close_request() { g_close_requested = false; }

const std::vector<CommandRecord>& command_log() { return log(); }
void clear_command_log() { log().clear(); }

}  // namespace zentrella
