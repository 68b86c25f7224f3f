#include "platform/prompt_dialogs.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform::prompt {
namespace {

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    const std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(begin));
      break;
    }
    lines.emplace_back(text.substr(begin, end - begin));
    begin = end + 1;
    if (text[end] == '\r' && begin < text.size() && text[begin] == '\n') ++begin;
    if (begin == text.size()) break;  // a final line break closes the last line
  }
  return lines;
}

const ItemNode* find_in(const std::vector<ItemNode>& nodes, std::uint32_t handle) {
  for (const ItemNode& node : nodes) {
    if (node.handle == handle) return &node;
    if (const ItemNode* found = find_in(node.children, handle)) return found;
  }
  return nullptr;
}

bool path_to(const std::vector<ItemNode>& nodes, std::uint32_t handle, std::string& path) {
  for (const ItemNode& node : nodes) {
    const std::size_t before = path.size();
    path += (before == 0 ? "" : "/") + node.title;
    if (node.handle == handle || path_to(node.children, handle, path)) return true;
    path.resize(before);
  }
  return false;
}

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

// Exactly `digits` digits at text[at]; -1 otherwise.
int number_at(std::string_view text, std::size_t at, std::size_t digits) {
  if (at + digits > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

void InputDialog::set_initial_text(std::string_view text) {
  for (std::size_t i = 0; i < choices_.size(); ++i) {
    if (choices_[i] == text) {
      pick(i);
      return;
    }
  }
  type(std::string(text));
}

void InputDialog::set_choices(std::string_view lines) {
  choices_ = split_lines(lines);
  selected_.reset();
}

void InputDialog::type(std::string text) {
  text_ = std::move(text);
  selected_.reset();
}

bool InputDialog::pick(std::size_t index) {
  if (index >= choices_.size()) return false;
  text_ = choices_[index];
  selected_ = index;
  return true;
}

ItemSelection::ItemSelection(std::string caption, std::vector<ItemNode> roots, std::uint32_t start)
    : caption_(std::move(caption)), roots_(std::move(roots)) {
  if (start != 0) select(start);
}

bool ItemSelection::select(std::uint32_t handle) {
  if (handle == 0 || find(handle) == nullptr) return false;
  selected_ = handle;
  return true;
}

bool ItemSelection::can_confirm() const {
  const ItemNode* node = find(selected_);
  return node != nullptr && node->choosable;
}

const ItemNode* ItemSelection::find(std::uint32_t handle) const {
  return handle == 0 ? nullptr : find_in(roots_, handle);
}

const ItemNode* ItemSelection::find_path(std::string_view path) const {
  const std::vector<ItemNode>* level = &roots_;
  const ItemNode* at = nullptr;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t slash = path.find('/', begin);
    const std::string_view title = path.substr(begin, slash == std::string_view::npos ? path.npos : slash - begin);
    at = nullptr;
    for (const ItemNode& node : *level) {
      if (node.title == title) {
        at = &node;
        break;
      }
    }
    if (at == nullptr || slash == std::string_view::npos) return at;
    level = &at->children;
    begin = slash + 1;
  }
}

std::string ItemSelection::path_of(std::uint32_t handle) const {
  std::string path;
  return handle != 0 && path_to(roots_, handle, path) ? path : std::string();
}

bool is_valid(const CalendarTime& t) {
  if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12) return false;
  if (t.day < 1 || t.day > days_in_month(t.year, t.month)) return false;
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

std::optional<CalendarTime> parse_calendar_time(std::string_view text) {
  CalendarTime t;
  t.year = number_at(text, 0, 4);
  t.month = number_at(text, 5, 2);
  t.day = number_at(text, 8, 2);
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  t.hour = t.minute = t.second = 0;
  if (text.size() > 10) {
    if ((text[10] != ' ' && text[10] != 'T') || (text.size() != 16 && text.size() != 19)) return std::nullopt;
    t.hour = number_at(text, 11, 2);
    t.minute = number_at(text, 14, 2);
    if (text[13] != ':') return std::nullopt;
    if (text.size() == 19) {
      if (text[16] != ':') return std::nullopt;
      t.second = number_at(text, 17, 2);
    }
  }
  if (!is_valid(t)) return std::nullopt;
  return t;
}

std::string format_calendar_time(const CalendarTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

DateDialog::DateDialog(std::string caption, std::optional<CalendarTime> initial) : caption_(std::move(caption)) {
  if (initial && is_valid(*initial)) value_ = initial;
}

bool DateDialog::set_day(int year, int month, int day) {
  CalendarTime t = value_.value_or(CalendarTime{});
  t.year = year;
  t.month = month;
  t.day = day;
  if (!value_) t.hour = t.minute = t.second = 0;
  return set(t);
}

bool DateDialog::set_time_of_day(int hour, int minute, int second) {
  if (!value_) return false;
  CalendarTime t = *value_;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return set(t);
}

bool DateDialog::set(const CalendarTime& time) {
  if (!is_valid(time)) return false;
  value_ = time;
  return true;
}

FileChooser::FileChooser(std::string caption, Mode mode, std::string folder, std::vector<FileFilter> filters)
    : caption_(std::move(caption)), mode_(mode), folder_(std::move(folder)), filters_(std::move(filters)) {}

bool FileChooser::choose(std::string_view path) {
  namespace fs = std::filesystem;
  if (path.empty()) return false;
  fs::path file(path);
  if (file.is_relative()) file = fs::path(folder_) / file;
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (mode_ == Mode::open) {
    if (!fs::exists(status) || fs::is_directory(status)) return false;
  } else {
    const fs::path parent = file.parent_path();
    if (fs::is_directory(status) || !file.has_filename() || !fs::is_directory(parent.empty() ? "." : parent, error)) {
      return false;
    }
  }
  chosen_ = file.lexically_normal().string();
  return true;
}

}  // namespace platform::prompt
