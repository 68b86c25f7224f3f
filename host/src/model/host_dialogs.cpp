#include "model/host_dialogs.h"

#include <platform/codepage.h>
#include <platform/prompt.h>

#include "model/date_scale.h"
#include "model/session.h"

namespace zentrella {

namespace {

namespace prompt = platform::prompt;

prompt::ItemNode node_of(const Store& store, Handle handle, ItemSelectFlags flags) {
  const auto* item = store.item(handle);
  prompt::ItemNode node;
  node.handle = handle;
  node.title = platform::codepage::to_utf8(item->fields.title);
  node.choosable = item->fields.kind != ItemKind::project || flags.projects_choosable;
  for (Handle child : item->children) {
    if (!flags.tasks_offered && store.item(child)->fields.kind == ItemKind::task) continue;
    node.children.push_back(node_of(store, child, flags));
  }
  return node;
}

std::optional<prompt::CalendarTime> calendar_time(double date_time) {
  if (date_time == 0.0 || !is_on_scale(date_time)) return std::nullopt;
  const CivilDateTime civil = decode(date_time);
  return prompt::CalendarTime{civil.year, civil.month, civil.day, civil.hour, civil.minute, civil.second};
}

std::optional<double> date_time_of(const prompt::CalendarTime& t) {
  const auto date = encode_date(t.year, t.month, t.day);
  const auto time = encode_time(t.hour, t.minute, t.second, 0);
  if (!date || !time) return std::nullopt;
  return *date < 0 ? *date - *time : *date + *time;  // before the epoch the fraction still counts forward
}

}  // namespace

prompt::ItemSelection item_selection(const std::string& caption, Handle start, ItemSelectFlags flags) {
  Session& s = session();
  std::vector<Handle> tops = s.loaded_projects();
  if (flags.special_projects) {
    for (SpecialProject special :
         {SpecialProject::recycle_bin, SpecialProject::find, SpecialProject::templates, SpecialProject::scrap}) {
      tops.push_back(s.special(special));
    }
  }
  std::vector<prompt::ItemNode> roots;
  for (Handle top : tops) roots.push_back(node_of(s.store(), top, flags));
  return prompt::ItemSelection(platform::codepage::to_utf8(caption), std::move(roots), start);
}

Handle select_item(const std::string& caption, Handle start, ItemSelectFlags flags) {
  prompt::ItemSelection dialog = item_selection(caption, start, flags);
  if (!prompt::front_end().select_item(dialog) || !dialog.can_confirm()) return 0;
  return dialog.selected();
}

std::optional<double> choose_date(const std::string& caption, double initial) {
  prompt::DateDialog dialog(platform::codepage::to_utf8(caption), calendar_time(initial));
  if (!prompt::front_end().choose_date(dialog)) return std::nullopt;
  if (!dialog.value()) return 0.0;
  return date_time_of(*dialog.value());
}

}  // namespace zentrella
