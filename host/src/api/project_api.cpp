// Project options, project files, the user folder and the default filters.
#include <algorithm>

#include "api/api_support.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

// The options of the project that holds the item.
Item* project_item(ZtlHandle item) { return s().store().item(s().project_of(item)); }

void put(int32_t* slot, bool value) {
  if (slot != nullptr) *slot = truth(value);
}

}  // namespace

extern "C" ZtlBool ZTLPlugin_GetProjectOption(ZtlHandle item, int32_t* save_caret_pos, int32_t* station_and_query_save,
                                              int32_t* add_item_to_bottom, int32_t* folder_behind,
                                              int32_t* relative_path) {
  return guarded<ZtlBool>("GetProjectOption", ZTL_FALSE, [&] {
    const Item* project = project_item(item);
    const ProjectOptions options = project != nullptr ? project->options : ProjectOptions{};
    put(save_caret_pos, project != nullptr && options.save_caret_pos);
    put(station_and_query_save, project != nullptr && options.station_and_query_save);
    put(add_item_to_bottom, project != nullptr && options.add_item_to_bottom);
    put(folder_behind, project != nullptr && options.folder_behind);
    put(relative_path, project != nullptr && options.relative_path);
    return truth(project != nullptr);
  });
}

extern "C" ZtlBool ZTLPlugin_SetProjectOption(ZtlHandle item, int32_t save_caret_pos, int32_t station_and_query_save,
                                              int32_t add_item_to_bottom, int32_t folder_behind,
                                              int32_t relative_path) {
  return guarded<ZtlBool>("SetProjectOption", ZTL_FALSE, [&] {
    Item* project = project_item(item);
    if (project == nullptr) return ZTL_FALSE;
    const ProjectOptions options{save_caret_pos != 0, station_and_query_save != 0, add_item_to_bottom != 0,
                                 folder_behind != 0, relative_path != 0};
    if (!(options == project->options)) {
      project->options = options;
      s().touch_project(project->handle);
    }
    return ZTL_TRUE;
  });
}

extern "C" int32_t ZTLPlugin_GetProjectFilename(ZtlHandle item, char* buffer, int32_t size) {
  return guarded<int32_t>("GetProjectFilename", 0, [&] {
    const Handle project = s().project_of(item);
    const std::string name = project != 0 ? s().file_of(project) : std::string();
    return fill_buffer(buffer, size, cut_text(name, static_cast<std::size_t>(std::max(size, 0))));
  });
}

extern "C" int32_t ZTLPlugin_GetUserFolderName(char* buffer, int32_t size) {
  return guarded<int32_t>("GetUserFolderName", 0, [&] { return fill_buffer(buffer, size, s().user_folder); });
}

extern "C" void ZTLPlugin_SetDefaultFilters(const char* filters) {
  guarded_void("SetDefaultFilters", [&] { s().default_filters = filters != nullptr ? filters : ""; });
}

extern "C" int32_t ZTLPlugin_GetDefaultFilters(char* buffer, int32_t size) {
  return guarded<int32_t>("GetDefaultFilters", 0, [&] { return fill_buffer(buffer, size, s().default_filters); });
}
