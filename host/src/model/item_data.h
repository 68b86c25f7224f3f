// The plain data of items and what hangs off them, without handles: what a
// project file holds and what a copy of an item carries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <zentrella/host_api.h>

namespace zentrella {

using Handle = ZtlHandle;

enum class ItemKind : std::uint16_t { task = 0, filer = 1, folder = 2, project = 3 };

bool is_valid_kind(int kind);

// Days since 1899-12-30 in local time; 0.0 = not set.
struct Dates {
  double start = 0.0;
  double planned_start = 0.0;
  double end = 0.0;
  double due = 0.0;
  double last_modify = 0.0;
  double create = 0.0;
  bool operator==(const Dates&) const = default;
};

struct Alarm {
  bool enabled = false;
  bool due_time = false;
  std::int32_t count = 0;
  std::uint8_t unit = ZTL_AU_MIN;
  bool operator==(const Alarm&) const = default;
};

struct ProjectOptions {
  bool save_caret_pos = false;
  bool station_and_query_save = false;
  bool add_item_to_bottom = true;
  bool folder_behind = false;
  bool relative_path = false;
  bool operator==(const ProjectOptions&) const = default;
};

// Texts are in the host's code page; document text uses CR LF line breaks.
struct DocumentData {
  std::string title;
  std::string file_name;
  std::string text_type;
  std::string text;
  bool operator==(const DocumentData&) const = default;
};

struct FileLinkData {
  std::string title;
  std::string file_name;  // a path or an address
  std::string option;
  std::string work_dir;
  bool operator==(const FileLinkData&) const = default;
};

struct CategoryData {
  std::string name;
  std::string value;
  bool operator==(const CategoryData&) const = default;
};

struct ItemFields {
  ItemKind kind = ItemKind::task;
  std::string title;
  std::int32_t progress = 0;
  std::int32_t priority = 0;
  std::string message_id;
  Dates dates;
  Alarm alarm;
  bool operator==(const ItemFields&) const = default;
};

// An item with everything below it, detached from any session.
struct ItemTree {
  ItemFields fields;
  std::vector<DocumentData> documents;
  std::vector<FileLinkData> links;
  std::vector<CategoryData> categories;
  std::vector<ItemTree> children;
  ProjectOptions options;  // meaningful for projects only
  bool operator==(const ItemTree&) const = default;
};

}  // namespace zentrella
