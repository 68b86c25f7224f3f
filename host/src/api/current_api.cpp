// What is current, the selection, the task list and the special projects.
#include "api/api_support.h"
#include "model/view_hooks.h"

using namespace zentrella;
using namespace zentrella::api;

extern "C" ZtlHandle ZTLPlugin_GetCurrentProject(void) {
  return guarded<ZtlHandle>("GetCurrentProject", 0, [] { return s().current_project(); });
}

extern "C" ZtlHandle ZTLPlugin_GetCurrentFolder(void) {
  return guarded<ZtlHandle>("GetCurrentFolder", 0, [] { return s().current_folder(); });
}

extern "C" ZtlHandle ZTLPlugin_GetCurrnetItem(void) {
  return guarded<ZtlHandle>("GetCurrnetItem", 0, [] { return s().current_item(); });
}

extern "C" ZtlHandle ZTLPlugin_GetCurrentDescription(void) {
  return guarded<ZtlHandle>("GetCurrentDescription", 0, [] { return s().current_document(); });
}

extern "C" ZtlBool ZTLPlugin_SetCurrentFolder(ZtlHandle item) {
  return guarded<ZtlBool>("SetCurrentFolder", ZTL_FALSE,
                          [&] { return truth(item != 0 && s().set_current_folder(item)); });
}

extern "C" ZtlBool ZTLPlugin_SetCurrentItem(ZtlHandle item) {
  return guarded<ZtlBool>("SetCurrentItem", ZTL_FALSE, [&] { return truth(item != 0 && s().set_current_item(item)); });
}

extern "C" ZtlBool ZTLPlugin_SetCurrentDescription(ZtlHandle document) {
  return guarded<ZtlBool>("SetCurrentDescription", ZTL_FALSE,
                          [&] { return truth(document != 0 && s().set_current_document(document)); });
}

extern "C" ZtlHandle* ZTLPlugin_GetSelectedItems(void) {
  return guarded<ZtlHandle*>("GetSelectedItems", nullptr, [] { return hand_out_list(s().selection()); });
}

extern "C" ZtlBool ZTLPlugin_SelectItems(const ZtlHandle* entries) {
  return guarded<ZtlBool>("SelectItems", ZTL_FALSE, [&] {
    s().select_only(read_list(entries));
    return ZTL_TRUE;
  });
}

extern "C" ZtlHandle* ZTLPlugin_GetListViewItems(void) {
  return guarded<ZtlHandle*>("GetListViewItems", nullptr, [] { return hand_out_list(s().list_view_items()); });
}

extern "C" ZtlHandle* ZTLPlugin_GetLoadedProjects(void) {
  return guarded<ZtlHandle*>("GetLoadedProjects", nullptr, [] { return hand_out_list(s().loaded_projects()); });
}

extern "C" void ZTLPlugin_FreeItemEntries(ZtlHandle* entries) {
  guarded_void("FreeItemEntries", [&] { take_back(RecordKind::item_list, entries); });
}

extern "C" ZtlHandle ZTLPlugin_GetRecycled(void) {
  return guarded<ZtlHandle>("GetRecycled", 0, [] { return s().special(SpecialProject::recycle_bin); });
}

extern "C" ZtlHandle ZTLPlugin_GetFindProject(void) {
  return guarded<ZtlHandle>("GetFindProject", 0, [] { return s().special(SpecialProject::find); });
}

extern "C" ZtlHandle ZTLPlugin_GetTemplateProject(void) {
  return guarded<ZtlHandle>("GetTemplateProject", 0, [] { return s().special(SpecialProject::templates); });
}

extern "C" ZtlHandle ZTLPlugin_GetScrapProject(void) {
  return guarded<ZtlHandle>("GetScrapProject", 0, [] { return s().special(SpecialProject::scrap); });
}

// The model keeps no list of its own (it is found from the current folder);
// a remake is counted so that callers can be checked, and a window showing
// the task list rebuilds it.
extern "C" void ZTLPlugin_RemakeTaskListView(int32_t, int32_t, int32_t) {
  guarded_void("RemakeTaskListView", [] {
    ++s().remake_count;
    notify_task_list_remake();
  });
}
