// The host's own dialogs that plug-ins call: item selection and date choice.
// Both are asked through the prompt front end in force (desktop, terminal or
// scripted answers), which shows the tree or the date these functions build.
#pragma once

#include <optional>
#include <string>

#include <platform/prompt_dialogs.h>

#include "model/store.h"

namespace zentrella {

// What the three option flags of the item selection offer.
struct ItemSelectFlags {
  bool special_projects = true;  // first: the recycle bin, find, template and scrap projects too
  bool projects_choosable = true;  // second: a project itself may be chosen
  bool tasks_offered = true;  // third: tasks are offered, not only places that hold items
};

// The loaded projects (and the special ones when asked for) as the item
// selection's tree, texts in UTF-8.
platform::prompt::ItemSelection item_selection(const std::string& caption, Handle start, ItemSelectFlags flags);

// 0 when cancelled. The caption is in the code page in force.
Handle select_item(const std::string& caption, Handle start, ItemSelectFlags flags);
// nullopt when cancelled; 0.0 when confirmed without a date.
std::optional<double> choose_date(const std::string& caption, double initial);

}  // namespace zentrella
