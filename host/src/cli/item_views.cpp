#include "cli/item_views.h"

#include <cstdio>

#include <platform/codepage.h>

#include "model/date_scale.h"

namespace zentrella::cli {

namespace {

constexpr const char* kKindNames[] = {"task", "filer", "folder", "project"};

// A title may hold line breaks or escapes; each item must stay one line.
std::string shown_title(const std::string& title) {
  std::string shown;
  for (const char c : platform::codepage::to_utf8(title)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    shown += escaped;
  }
  return shown;
}

// "YYYY-MM-DD", with " HH:MM" when the time of day is not midnight.
std::string shown_date(double date_time) {
  const CivilDateTime t = decode(date_time);
  char text[32];
  if (t.hour == 0 && t.minute == 0) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  }
  return text;
}

std::string item_line(const Item& item, int depth) {
  const ItemFields& f = item.fields;
  std::string line(static_cast<std::size_t>(depth) * 2, ' ');
  line += kKindNames[static_cast<int>(f.kind)];
  line += "  " + shown_title(f.title);
  if (f.kind == ItemKind::task || f.progress != 0) line += "  " + std::to_string(f.progress) + "%";
  const std::pair<const char*, double> dates[] = {
      {"start", f.dates.start}, {"planned", f.dates.planned_start}, {"end", f.dates.end}, {"due", f.dates.due}};
  for (const auto& [name, value] : dates) {
    if (value != 0.0) line += std::string("  ") + name + " " + shown_date(value);
  }
  return line + "\n";
}

void append_tree(const Store& store, Handle handle, int depth, std::string& out) {
  const Item* item = store.item(handle);
  if (item == nullptr) return;
  out += item_line(*item, depth);
  for (const Handle child : item->children) append_tree(store, child, depth + 1, out);
}

const Item* child_titled(const Store& store, const std::vector<Handle>& handles, std::string_view title) {
  for (const Handle handle : handles) {
    const Item* item = store.item(handle);
    if (item != nullptr && item->fields.title == title) return item;
  }
  return nullptr;
}

}  // namespace

std::string format_tree(const Session& session) {
  std::string out;
  for (const Handle project : session.loaded_projects()) append_tree(session.store(), project, 0, out);
  return out;
}

Handle find_item_by_path(const Session& session, std::string_view path) {
  const std::string titles = platform::codepage::from_utf8(path);
  const std::vector<Handle>* level = &session.loaded_projects();
  for (std::size_t begin = 0;;) {
    const std::size_t slash = titles.find('/', begin);
    const std::string_view title =
        std::string_view(titles).substr(begin, slash == std::string::npos ? std::string::npos : slash - begin);
    const Item* item = child_titled(session.store(), *level, title);
    if (item == nullptr) return 0;
    if (slash == std::string::npos) return item->handle;
    level = &item->children;
    begin = slash + 1;
  }
}

std::string path_of_item(const Session& session, Handle handle) {
  std::string path;
  for (const Item* item = session.store().item(handle); item != nullptr; item = session.store().item(item->parent)) {
    path = platform::codepage::to_utf8(item->fields.title) + (path.empty() ? "" : "/" + path);
  }
  return path;
}

}  // namespace zentrella::cli
