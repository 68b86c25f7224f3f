#include "storage/project_file.h"

#include <string_view>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include <platform/atomic_file.h>
#include <platform/codepage.h>

#include "model/date_scale.h"

namespace zentrella {

using nlohmann::json;

namespace {

constexpr const char* kKindNames[] = {"task", "filer", "folder", "project"};
// Texts quoted from the file in an error are cut to this many bytes.
constexpr std::size_t kMaxExcerpt = 60;

// A text from the file as an error may show it: cut short, control characters
// escaped, so a crafted file can neither flood nor drive the terminal.
std::string excerpt(std::string_view text, std::size_t limit = kMaxExcerpt) {
  std::size_t cut = std::min(text.size(), limit);
  while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  std::string shown;
  for (const char c : text.substr(0, cut)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      static const char kHex[] = "0123456789abcdef";
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    } else {
      shown += c;
    }
  }
  return cut < text.size() ? shown + "..." : shown;
}

std::string in_quotes(std::string_view text) { return "\"" + excerpt(text) + "\""; }

// Reads one JSON value with the path that leads to it, so that an error can
// say where it is.
class Reader {
 public:
  Reader(const json& value, std::string path, const std::string& file) : value_(value), path_(std::move(path)), file_(file) {}

  [[noreturn]] void fail(const std::string& reason) const {
    throw ProjectFileError(file_ + ": at " + (path_.empty() ? std::string("top level") : path_) + ": " + reason);
  }

  Reader member(const char* key) const {
    return Reader(value_.at(key), path_.empty() ? std::string(key) : path_ + "." + key, file_);
  }
  bool has(const char* key) const { return value_.contains(key) && !value_.at(key).is_null(); }

  const json& object() const {
    if (!value_.is_object()) fail("expected an object");
    return value_;
  }

  std::string text(const char* key) const {
    if (!has(key)) return {};
    const Reader field = member(key);
    if (!field.value_.is_string()) field.fail("expected a string");
    return platform::codepage::from_utf8(field.value_.get<std::string>());
  }

  std::int32_t integer(const char* key, std::int32_t fallback = 0) const {
    if (!has(key)) return fallback;
    const Reader field = member(key);
    if (!field.value_.is_number_integer()) field.fail("expected an integer");
    const auto number = field.value_.get<std::int64_t>();
    if (number < INT32_MIN || number > INT32_MAX) field.fail("number out of range");
    return static_cast<std::int32_t>(number);
  }

  bool truth(const char* key, bool fallback = false) const {
    if (!has(key)) return fallback;
    const Reader field = member(key);
    if (!field.value_.is_boolean()) field.fail("expected true or false");
    return field.value_.get<bool>();
  }

  double date(const char* key) const {
    if (!has(key)) return 0.0;
    const Reader field = member(key);
    if (!field.value_.is_string()) field.fail("expected a date text such as \"2024-05-01T10:30:00\"");
    const auto value = parse_date_time(field.value_.get<std::string>());
    if (!value) field.fail("not a valid date: " + in_quotes(field.value_.get<std::string>()));
    return *value;
  }

  template <typename Each>
  void each(const char* key, Each&& each) const {
    if (!has(key)) return;
    const Reader list = member(key);
    if (!list.value_.is_array()) list.fail("expected a list");
    for (std::size_t i = 0; i < list.value_.size(); ++i) {
      Reader entry(list.value_[i], list.path_ + "[" + std::to_string(i) + "]", file_);
      entry.object();
      each(entry);
    }
  }

 private:
  const json& value_;
  std::string path_;
  const std::string& file_;
};

// Host text uses CR LF; a file edited by hand may have lone LFs.
std::string with_crlf(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
    result += text[i];
  }
  return result;
}

ItemKind read_kind(const Reader& item) {
  const Reader field = item.member("kind");
  const std::string name = item.text("kind");
  for (int i = 0; i < 4; ++i) {
    if (name == kKindNames[i]) return static_cast<ItemKind>(i);
  }
  field.fail("unknown kind " + in_quotes(name) + " (task, filer, folder or project)");
}

ItemTree read_item(const Reader& item, bool top_level) {
  item.object();
  ItemTree tree;
  if (!item.has("kind")) item.fail("missing \"kind\"");
  tree.fields.kind = read_kind(item);
  if (top_level != (tree.fields.kind == ItemKind::project)) {
    item.fail(top_level ? "a top-level item must be a project" : "a project cannot be inside another item");
  }
  tree.fields.title = item.text("title");
  tree.fields.progress = item.integer("progress");
  tree.fields.priority = item.integer("priority");
  tree.fields.message_id = item.text("message_id");
  if (item.has("dates")) {
    const Reader dates = item.member("dates");
    dates.object();
    tree.fields.dates = Dates{dates.date("start"), dates.date("planned_start"), dates.date("end"),
                              dates.date("due"),   dates.date("last_modify"),   dates.date("create")};
  }
  if (item.has("alarm")) {
    const Reader alarm = item.member("alarm");
    alarm.object();
    const std::int32_t unit = alarm.integer("unit");
    if (unit < 0 || unit > 2) alarm.member("unit").fail("alarm unit must be 0, 1 or 2");
    tree.fields.alarm = Alarm{alarm.truth("enabled"), alarm.truth("due_time"), alarm.integer("count"),
                              static_cast<std::uint8_t>(unit)};
  }
  item.each("documents", [&](const Reader& d) {
    tree.documents.push_back({d.text("title"), d.text("file_name"), d.text("text_type"), with_crlf(d.text("text"))});
  });
  item.each("links", [&](const Reader& l) {
    tree.links.push_back({l.text("title"), l.text("file_name"), l.text("option"), l.text("work_dir")});
  });
  item.each("categories", [&](const Reader& c) { tree.categories.push_back({c.text("name"), c.text("value")}); });
  item.each("children", [&](const Reader& child) { tree.children.push_back(read_item(child, false)); });
  if (top_level && item.has("options")) {
    const Reader o = item.member("options");
    o.object();
    tree.options = ProjectOptions{o.truth("save_caret_pos"), o.truth("station_and_query_save"),
                                  o.truth("add_item_to_bottom", true), o.truth("folder_behind"),
                                  o.truth("relative_path")};
  }
  return tree;
}

std::string utf8(const std::string& text) { return platform::codepage::to_utf8(text); }

void put_date(json& dates, const char* key, double value) {
  if (value != 0.0) dates[key] = format_date_time(value);
}

json write_item(const ItemTree& tree, bool top_level) {
  json item = json::object();
  item["kind"] = kKindNames[static_cast<int>(tree.fields.kind)];
  item["title"] = utf8(tree.fields.title);
  item["progress"] = tree.fields.progress;
  item["priority"] = tree.fields.priority;
  if (!tree.fields.message_id.empty()) item["message_id"] = utf8(tree.fields.message_id);
  json dates = json::object();
  const Dates& d = tree.fields.dates;
  put_date(dates, "start", d.start);
  put_date(dates, "planned_start", d.planned_start);
  put_date(dates, "end", d.end);
  put_date(dates, "due", d.due);
  put_date(dates, "last_modify", d.last_modify);
  put_date(dates, "create", d.create);
  if (!dates.empty()) item["dates"] = dates;
  const Alarm& a = tree.fields.alarm;
  if (!(a == Alarm{})) item["alarm"] = {{"enabled", a.enabled}, {"due_time", a.due_time}, {"count", a.count}, {"unit", a.unit}};
  if (top_level) {
    const ProjectOptions& o = tree.options;
    item["options"] = {{"save_caret_pos", o.save_caret_pos}, {"station_and_query_save", o.station_and_query_save},
                       {"add_item_to_bottom", o.add_item_to_bottom}, {"folder_behind", o.folder_behind},
                       {"relative_path", o.relative_path}};
  }
  for (const DocumentData& doc : tree.documents) {
    item["documents"].push_back({{"title", utf8(doc.title)}, {"file_name", utf8(doc.file_name)},
                                 {"text_type", utf8(doc.text_type)}, {"text", utf8(doc.text)}});
  }
  for (const FileLinkData& link : tree.links) {
    item["links"].push_back({{"title", utf8(link.title)}, {"file_name", utf8(link.file_name)},
                             {"option", utf8(link.option)}, {"work_dir", utf8(link.work_dir)}});
  }
  for (const CategoryData& cat : tree.categories) {
    item["categories"].push_back({{"name", utf8(cat.name)}, {"value", utf8(cat.value)}});
  }
  for (const ItemTree& child : tree.children) item["children"].push_back(write_item(child, false));
  return item;
}

// nlohmann reports a byte offset; people want line and column.
std::string line_and_column(std::string_view text, std::size_t byte) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

std::string parse_reason(const json::parse_error& error) {
  // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ... "
  const std::string what = error.what();
  const std::size_t colon = what.find(": ", what.find("parse error"));
  // The reason quotes the last token read, which a crafted file can make huge.
  return excerpt(colon == std::string::npos ? what : what.substr(colon + 2), 200);
}

// The byte after the string that opens at text[begin] (a quote).
std::size_t past_string(std::string_view text, std::size_t begin) {
  std::size_t i = begin + 1;
  while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
  return std::min(i + 1, text.size());
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// What in the text an error is about, found again by walking its structure:
// nlohmann has read the text well-formed up to that place, and its callbacks
// and range errors say which token, not where.
struct Landmark {
  enum class Kind { container, key, number } kind;
  std::size_t ordinal = 0;  // the n-th container or key (1-based)
  std::string number;       // the text of the number
};

bool matches(std::string_view text, std::size_t& i, const Landmark& mark, std::size_t& seen) {
  const char c = text[i];
  if (c == '"') {
    const std::size_t end = past_string(text, i);
    std::size_t next = end;
    while (next < text.size() && is_space(text[next])) ++next;
    const bool key = next < text.size() && text[next] == ':';
    if (mark.kind == Landmark::Kind::key && key && ++seen == mark.ordinal) return true;
    i = end;
    return false;
  }
  if (c == '-' || (c >= '0' && c <= '9')) {
    std::size_t end = i;
    while (end < text.size() && std::string_view("+-.eE0123456789").find(text[end]) != std::string_view::npos) ++end;
    if (mark.kind == Landmark::Kind::number && text.substr(i, end - i) == mark.number) return true;
    i = end;
    return false;
  }
  if ((c == '{' || c == '[') && mark.kind == Landmark::Kind::container && ++seen == mark.ordinal) return true;
  ++i;
  return false;
}

std::size_t offset_of(std::string_view text, const Landmark& mark) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (matches(text, i, mark, seen)) return i + 1;  // 1-based, as nlohmann counts
  }
  return text.size();
}

struct LandmarkError {
  Landmark mark;
  std::string reason;
};

// Watches the parse: refuses nesting deeper than the limit before it costs
// stack or memory, and a key given twice in one object, which JSON readers
// would otherwise settle silently by letting one win.
class StructureGuard {
 public:
  bool operator()(int depth, json::parse_event_t event, json& parsed) {
    using Event = json::parse_event_t;
    if (event == Event::object_start || event == Event::array_start) open(depth, event == Event::object_start);
    if (event == Event::object_end || event == Event::array_end) close(event == Event::object_end);
    if (event == Event::key) key(parsed.get_ref<const std::string&>());
    return true;
  }

 private:
  void open(int depth, bool object) {
    ++containers_;
    if (depth + 1 > static_cast<int>(kMaxProjectNesting)) {
      throw LandmarkError{{Landmark::Kind::container, containers_, {}},
                          "nesting deeper than " + std::to_string(kMaxProjectNesting) + " levels"};
    }
    if (object) keys_.emplace_back();
  }
  void close(bool object) {
    if (object && !keys_.empty()) keys_.pop_back();
  }
  void key(const std::string& name) {
    ++key_count_;
    if (!keys_.empty() && !keys_.back().insert(name).second) {
      throw LandmarkError{{Landmark::Kind::key, key_count_, {}}, "duplicate key " + in_quotes(name)};
    }
  }

  std::size_t containers_ = 0;
  std::size_t key_count_ = 0;
  std::vector<std::unordered_set<std::string>> keys_;
};

// "[json.exception.out_of_range.406] number overflow parsing '1e400'" -> 1e400
std::string overflowing_number(const std::string& what) {
  const std::size_t open = what.find("parsing '");
  const std::size_t close = what.rfind('\'');
  if (open == std::string::npos || close <= open + 9) return {};
  return what.substr(open + 9, close - open - 9);
}

json parse_document(std::string_view json_text, const std::string& file_name) {
  const auto at = [&](std::size_t byte) { return file_name + ":" + line_and_column(json_text, byte) + ": "; };
  StructureGuard guard;
  try {
    return json::parse(json_text.begin(), json_text.end(), std::ref(guard));
  } catch (const json::parse_error& error) {
    throw ProjectFileError(at(error.byte) + parse_reason(error));
  } catch (const LandmarkError& error) {
    throw ProjectFileError(at(offset_of(json_text, error.mark)) + error.reason);
  } catch (const json::out_of_range& error) {
    const std::string number = overflowing_number(error.what());
    const Landmark mark{Landmark::Kind::number, 0, number};
    throw ProjectFileError(at(offset_of(json_text, mark)) + "number out of range: " + excerpt(number));
  }
}

std::size_t nesting_of(const json& value) {
  std::size_t deepest = 0;
  if (value.is_structured()) {
    for (const json& inner : value) deepest = std::max(deepest, nesting_of(inner));
    ++deepest;
  }
  return deepest;
}

// An index path of at most the depth a file can hold; nullopt for anything else.
std::optional<std::vector<std::size_t>> index_path(const json& value) {
  if (!value.is_array() || value.size() > kMaxProjectNesting) return std::nullopt;
  std::vector<std::size_t> path;
  for (const json& index : value) {
    if (!index.is_number_unsigned()) return std::nullopt;
    path.push_back(index.get<std::size_t>());
  }
  return path;
}

// Read leniently: a place that is not of the right shape is no place.
CurrentPlace read_current(const json& document) {
  const auto entry = document.find("current");
  if (entry == document.end() || !entry->is_object()) return {};
  CurrentPlace place;
  const auto folder = entry->find("folder");
  const auto item = entry->find("item");
  const auto in_document = entry->find("document");
  if (folder != entry->end()) place.folder = index_path(*folder).value_or(std::vector<std::size_t>{});
  if (item != entry->end()) place.item = index_path(*item).value_or(std::vector<std::size_t>{});
  if (in_document != entry->end() && in_document->is_number_unsigned()) {
    place.document = in_document->get<std::size_t>();
  }
  return place;
}

json write_current(const CurrentPlace& place) {
  json current = {{"folder", place.folder}, {"item", place.item}};
  if (place.document) current["document"] = *place.document;
  return current;
}

}  // namespace

ProjectFileContent parse_project_file(std::string_view json_text, const std::string& file_name) {
  const json document = parse_document(json_text, file_name);
  const Reader top(document, "", file_name);
  top.object();
  if (top.text("format") != kProjectFormatName) top.fail("not a project file (\"format\" must be \"zentrella-projects\")");
  if (!top.has("version")) top.fail("missing \"version\"");
  const std::int32_t version = top.integer("version");
  if (version != kProjectFormatVersion) {
    top.member("version").fail("unsupported format version " + std::to_string(version) + " (this host reads version " +
                               std::to_string(kProjectFormatVersion) + ")");
  }
  if (!top.has("projects")) top.fail("missing \"projects\"");
  ProjectFileContent content;
  top.each("projects", [&](const Reader& project) { content.projects.push_back(read_item(project, true)); });
  content.current = read_current(document);
  return content;
}

std::vector<ItemTree> parse_projects(std::string_view json_text, const std::string& file_name) {
  return parse_project_file(json_text, file_name).projects;
}

std::string serialize_projects(const std::vector<ItemTree>& projects, const CurrentPlace& current) {
  json document = {{"format", kProjectFormatName}, {"version", kProjectFormatVersion}, {"projects", json::array()}};
  if (!current.empty()) document["current"] = write_current(current);
  for (const ItemTree& project : projects) document["projects"].push_back(write_item(project, true));
  // A file this host could not read back would lose the projects in it.
  if (nesting_of(document) > kMaxProjectNesting) {
    throw ProjectFileError("items nest deeper than a project file holds (" + std::to_string(kMaxProjectNesting) +
                           " levels of JSON)");
  }
  return document.dump(2) + "\n";
}

ProjectFileContent load_project_file(const std::string& path) {
  std::optional<std::string> bytes;
  try {
    bytes = platform::read_regular_file(path, kMaxProjectFileBytes);
  } catch (const platform::FileRefused& error) {
    throw ProjectFileError(error.what());
  } catch (const std::exception& error) {
    throw ProjectFileError(path + ": cannot be read: " + error.what());
  }
  if (!bytes) throw ProjectFileError(path + ": no such file");
  return parse_project_file(*bytes, path);
}

std::vector<ItemTree> load_projects(const std::string& path) { return load_project_file(path).projects; }

void save_projects(const std::string& path, const std::vector<ItemTree>& projects, const CurrentPlace& current) {
  platform::write_file_atomically(path, serialize_projects(projects, current));
}

}  // namespace zentrella
