#include "platform/script_list.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "platform/script_description.h"
#include "platform/shell.h"

namespace platform::prompt {
namespace {

constexpr const char* kBoxCaption = "Scriptlink";
constexpr const char* kSaveCaption = "名前を付けて保存";

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_text(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
}

bool begins_with(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && same_text(text.substr(0, prefix.size()), prefix);
}

bool before_by_name(const ScriptEntry& a, const ScriptEntry& b) {
  const auto [left, right] = std::ranges::mismatch(a.name, b.name, [](char x, char y) { return lower(x) == lower(y); });
  if (left == a.name.end() || right == b.name.end()) {
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return a.name < b.name;  // equal but for case: a fixed order all the same
  }
  return static_cast<unsigned char>(lower(*left)) < static_cast<unsigned char>(lower(*right));
}

bool is_script_name(std::string_view name) { return name.size() > 3 && same_text(name.substr(name.size() - 3), ".rb"); }

bool has_extension(std::string_view text) { return !paths::extension_of(text).empty(); }

}  // namespace

std::string script_template(codepage::CodePage page) {
  const std::string text =
      "#! ruby\r\n"
      "# 新規Zentrella用Rubyスクリプトファイル\r\n"
      "#\r\n"
      "#\r\n"
      "require \"ztl\"\r\n"
      "include Ztl\r\n"
      "\r\n"
      "\r\n";
  if (page == codepage::CodePage::utf8) return text;
  const codepage::CodePage previous = codepage::current();
  codepage::set_current(page);
  std::string converted = codepage::from_utf8(text);
  codepage::set_current(previous);
  return converted;
}

ScriptList::ScriptList(std::string script_folder, Actions actions)
    : folder_(paths::with_trailing_slash(script_folder)), actions_(std::move(actions)) {}

void ScriptList::fill() {
  namespace fs = std::filesystem;
  entries_.clear();
  selected_.reset();
  focused_.reset();
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const std::string file = it->path().filename().string();
    if (!is_script_name(file) || it->is_directory(error)) continue;
    entries_.push_back(ScriptEntry{codepage::to_utf8(file), codepage::to_utf8(read_script_description(folder_ + file)),
                                   folder_ + file});
  }
  std::ranges::sort(entries_, before_by_name);
  selection_changed();
}

void ScriptList::type_name(std::string text) {
  name_ = std::move(text);
  const std::string full = has_extension(name_) ? name_ : name_ + ".rb";
  std::size_t beginning = 0;
  std::optional<std::size_t> first;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (begins_with(entries_[i].name, name_)) {
      if (!first) focused_ = first = i;
      ++beginning;
    }
    if (same_text(entries_[i].name, full)) {
      // The field stays as typed, but Edit and Delete follow the selection.
      selected_ = focused_ = i;
      entry_buttons_enabled_ = true;
      return;
    }
  }
  selected_ = beginning == 1 ? first : std::nullopt;
  selection_changed();
}

bool ScriptList::select(std::optional<std::size_t> index) {
  if (index && *index >= entries_.size()) return false;
  selected_ = index;
  if (index) focused_ = index;
  selection_changed();
  return true;
}

void ScriptList::down_key() {
  if (entries_.empty()) return;
  select(selected_ && *selected_ + 1 < entries_.size() ? *selected_ + 1 : 0);
}

void ScriptList::selection_changed() {
  entry_buttons_enabled_ = selected_.has_value();
  if (selected_) name_ = paths::stem_of(entries_[*selected_].name);
}

bool ScriptList::run() {
  if (selected_) return true;
  message_box(kNoScriptWarning, kBoxCaption, Buttons::ok, Icon::warning);
  return false;
}

void ScriptList::edit() {
  if (selected_) shell::open(entries_[*selected_].path);
}

void ScriptList::remove() {
  if (!selected_) return;
  const std::string path = entries_[*selected_].path;
  if (!paths::file_exists(path)) return;
  const std::string question = codepage::to_utf8(path) + kDeleteQuestion;
  if (message_box(question, kBoxCaption, Buttons::ok_cancel, Icon::question) != Answer::ok) return;
  std::error_code error;
  if (!std::filesystem::remove(path, error) && error) report(path + ": " + error.message());
  fill();
}

void ScriptList::create() {
  FileChooser chooser(kSaveCaption, FileChooser::Mode::save, folder_, {FileFilter{"Rubyスクリプト", {"*.rb"}}});
  if (!front_end().choose_file(chooser) || chooser.chosen().empty()) return;
  std::string path = chooser.chosen();
  if (!has_extension(paths::file_name_of(path))) path += ".rb";
  if (paths::file_exists(path) &&
      message_box(kOverwriteQuestion, kBoxCaption, Buttons::ok_cancel, Icon::question) != Answer::ok) {
    return;
  }
  try {
    write_file_atomically(path, script_template(codepage::current()));
  } catch (const std::exception& error) {
    report(error.what());
    return;
  }
  fill();
  const auto created = std::ranges::find(entries_, path, &ScriptEntry::path);
  if (created != entries_.end()) select(static_cast<std::size_t>(created - entries_.begin()));
  shell::open(path);
}

void ScriptList::browse_options() {
  FileChooser chooser(kSaveCaption, FileChooser::Mode::save, "");
  if (front_end().choose_file(chooser) && !chooser.chosen().empty()) options += "\"" + chooser.chosen() + "\"";
}

void ScriptList::browse_output() {
  FileChooser chooser(kSaveCaption, FileChooser::Mode::save, "");
  if (front_end().choose_file(chooser) && !chooser.chosen().empty()) output = chooser.chosen();
}

void ScriptList::help() {
  if (actions_.help) actions_.help();
}

void ScriptList::assign_commands() {
  if (actions_.assign_commands) actions_.assign_commands();
}

std::string ScriptList::script() const { return selected_ ? entries_[*selected_].path : std::string(); }

WindowSize ScriptList::fit_size(std::optional<int> width, std::optional<int> height, WindowSize screen) {
  const auto fit = [](std::optional<int> value, int least, int most) {
    if (!value || *value < least) return least;
    return most > 0 && *value > most ? std::max(least, most) : *value;
  };
  return WindowSize{fit(width, kDesignSize.width, screen.width), fit(height, kDesignSize.height, screen.height)};
}

void ScriptList::report(const std::string& what) { message_box(what, kBoxCaption, Buttons::ok, Icon::error); }

}  // namespace platform::prompt
