#include "platform/command_dialogs.h"

#include <algorithm>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace platform::prompt {
namespace {

// The length of the UTF-8 character that starts with this byte (1 for a stray
// continuation byte, so a walk always moves on).
std::size_t utf8_length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

std::string stored_path(std::string_view shown, const std::string& folder) {
  if (shown.empty()) return {};
  return paths::make_relative(paths::make_absolute(shown, folder), folder);
}

std::string shown_path(std::string_view stored, const std::string& folder) {
  if (stored.empty()) return {};
  return paths::make_absolute(stored, folder);
}

std::string too_long(std::string_view what, std::size_t bytes) {
  return std::string(what) + "が長すぎます(" + std::to_string(bytes) + "バイトまで)";
}

}  // namespace

std::size_t codepage_bytes(std::string_view text) {
  if (codepage::current() == codepage::CodePage::utf8) return text.size();
  return codepage::from_utf8(text).size();
}

std::string fit_codepage_bytes(std::string_view text, std::size_t max_bytes) {
  if (codepage_bytes(text) <= max_bytes) return std::string(text);
  const bool utf8 = codepage::current() == codepage::CodePage::utf8;
  std::size_t taken = 0;
  std::size_t bytes = 0;
  while (taken < text.size()) {
    const std::size_t length = std::min(utf8_length(static_cast<unsigned char>(text[taken])), text.size() - taken);
    const std::size_t cost = utf8 ? length : codepage_bytes(text.substr(taken, length));
    if (bytes + cost > max_bytes) break;
    bytes += cost;
    taken += length;
  }
  return std::string(text.substr(0, taken));
}

// --- CommandEditor ---------------------------------------------------------

CommandEditor::CommandEditor(std::string script_folder)
    : script_folder_(paths::with_trailing_slash(script_folder)) {
  loaded_.icon = 0;  // the all-zero record a new command starts from
}

void CommandEditor::offer_numbers(std::vector<std::uint32_t> numbers) {
  numbers_ = std::move(numbers);
  selected_number_ = numbers_.empty() ? std::nullopt : std::optional<std::size_t>(0);
}

bool CommandEditor::select_number(std::size_t index) {
  if (index >= numbers_.size()) return false;
  selected_number_ = index;
  return true;
}

bool CommandEditor::select_number_value(std::uint32_t number) {
  const auto found = std::find(numbers_.begin(), numbers_.end(), number);
  return found != numbers_.end() && select_number(static_cast<std::size_t>(found - numbers_.begin()));
}

void CommandEditor::load(const CommandEntry& entry) {
  loaded_ = entry;
  select_number_value(entry.number);
  // Caption first, so the script does not name the command anew.
  caption_ = entry.caption;
  caption_from_script_ = false;
  script_ = shown_path(entry.script, script_folder_);
  options_ = entry.options;
  output_ = shown_path(entry.output, script_folder_);
  copy_to_clipboard_ = entry.copy_to_clipboard;
  hide_console_ = entry.hide_console;
  type_ = entry.type >= 0 && entry.type < kCommandTypes ? entry.type : 0;
  if (entry.icon >= kFirstIcon && entry.icon <= kLastIcon) {
    icon_position_ = entry.icon - kFirstIcon;
  } else {
    icon_position_.reset();
  }
}

void CommandEditor::set_script(std::string_view path) {
  script_ = std::string(path);
  if (caption_.empty() || caption_from_script_) {
    caption_ = fit_codepage_bytes(paths::stem_of(script_), kCaptionBytes);
    caption_from_script_ = !caption_.empty();
  }
}

void CommandEditor::set_caption(std::string_view text) {
  caption_ = fit_codepage_bytes(text, kCaptionBytes);
  caption_from_script_ = false;
}

void CommandEditor::set_options(std::string_view text) { options_ = fit_codepage_bytes(text, kOptionsBytes); }

void CommandEditor::append_option_file(std::string_view path) {
  set_options(options_ + "\"" + std::string(path) + "\"");
}

void CommandEditor::set_output(std::string_view path) { output_ = std::string(path); }

bool CommandEditor::set_type(int type) {
  if (type < 0 || type >= kCommandTypes) return false;
  type_ = type;
  return true;
}

bool CommandEditor::select_icon(int position) {
  if (position < 0 || position > kLastIcon - kFirstIcon) return false;
  icon_position_ = position;
  return true;
}

std::optional<std::string> CommandEditor::confirm() {
  if (!selected_number_) return "コマンド番号を選んでください";
  CommandEntry entry;
  entry.script = stored_path(script_, script_folder_);
  if (codepage_bytes(entry.script) > kScriptBytes) return too_long("スクリプト名", kScriptBytes);
  entry.output = stored_path(output_, script_folder_);
  if (codepage_bytes(entry.output) > kOutputBytes) return too_long("出力先", kOutputBytes);
  // Typed texts were cut as they came; these only guard a caller that set
  // the fields around the setters.
  if (codepage_bytes(caption_) > kCaptionBytes) return too_long("コマンド名", kCaptionBytes);
  if (codepage_bytes(options_) > kOptionsBytes) return too_long("スクリプトオプション", kOptionsBytes);
  entry.number = numbers_[*selected_number_];
  entry.caption = caption_;
  entry.options = options_;
  entry.copy_to_clipboard = copy_to_clipboard_;
  entry.hide_console = hide_console_;
  entry.type = type_;
  entry.icon = icon_position_ ? *icon_position_ + kFirstIcon : kNoIcon;
  changed_ = entry.number != loaded_.number || entry.caption != loaded_.caption || entry.type != loaded_.type ||
             entry.icon != loaded_.icon;
  result_ = std::move(entry);
  return std::nullopt;
}

// --- CommandList -----------------------------------------------------------

CommandList::CommandList(std::vector<CommandEntry> working, std::string script_folder)
    : entries_(std::move(working)), script_folder_(std::move(script_folder)) {}

std::vector<std::size_t> CommandList::rows() const {
  std::vector<std::size_t> order(entries_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::to_string(entries_[a].number) < std::to_string(entries_[b].number);
  });
  return order;
}

void CommandList::select_row(std::optional<std::size_t> row) {
  selected_row_ = row && *row < entries_.size() ? row : std::nullopt;
}

std::vector<std::uint32_t> CommandList::offered_numbers() const {
  std::vector<std::uint32_t> used;
  for (const CommandEntry& entry : entries_) used.push_back(entry.number);
  std::sort(used.begin(), used.end());
  std::vector<std::uint32_t> offered;
  for (std::uint32_t n = kFirstCommandNumber; offered.size() < kOfferedNumbers; ++n) {
    if (!std::binary_search(used.begin(), used.end(), n)) offered.push_back(n);
  }
  return offered;
}

CommandEditor CommandList::new_editor() const {
  CommandEditor editor(script_folder_);
  editor.help = help;
  editor.icon_module = icon_module;
  return editor;
}

CommandEditor CommandList::editor_for_add() const {
  if (!can_add()) throw std::logic_error(kTooManyCommands);
  CommandEditor editor = new_editor();
  editor.offer_numbers(offered_numbers());
  return editor;
}

CommandEditor CommandList::editor_for_edit() const {
  if (!selected_row_) throw std::logic_error("no command is selected");
  const CommandEntry& entry = at_row(*selected_row_);
  CommandEditor editor = new_editor();
  std::vector<std::uint32_t> numbers = offered_numbers();
  numbers.insert(numbers.begin(), entry.number);
  editor.offer_numbers(std::move(numbers));
  editor.load(entry);
  return editor;
}

void CommandList::add(const CommandEditor& editor) {
  if (!can_add()) throw std::logic_error(kTooManyCommands);
  entries_.push_back(editor.result());
  selected_row_.reset();
  restart_needed_ = true;
}

void CommandList::replace_selected(const CommandEditor& editor) {
  if (!selected_row_) throw std::logic_error("no command is selected");
  const std::size_t row = *selected_row_;
  entries_[rows()[row]] = editor.result();
  select_row(row);
  if (!restart_needed_) restart_needed_ = editor.changed();
}

void CommandList::delete_selected() {
  if (!selected_row_) return;
  const std::size_t row = *selected_row_;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(rows()[row]));
  if (entries_.empty()) {
    selected_row_.reset();
  } else {
    selected_row_ = std::min(row, entries_.size() - 1);
  }
}

bool CommandList::confirm() {
  close_host_ = false;
  if (!restart_needed_) return true;
  if (message_box(kRestartQuestion, kCaption, Buttons::yes_cancel, Icon::information) != Answer::yes) return false;
  close_host_ = true;
  return true;
}

}  // namespace platform::prompt

namespace platform::prompt {

namespace {
constexpr const char* kNeedsDesktop =
    "コマンドの一覧と設定はデスクトップの画面でのみ使えます。"
    "端末からは zentrella command list|add|remove を使ってください。";
}  // namespace

bool FrontEnd::command_list(CommandList& dialog) {
  this->message_box(kNeedsDesktop, dialog.kCaption, Buttons::ok, Icon::information);
  return false;
}

bool FrontEnd::command_editor(CommandEditor& dialog) {
  this->message_box(kNeedsDesktop, dialog.kCaption, Buttons::ok, Icon::information);
  return false;
}

}  // namespace platform::prompt
