// Scripted answers: the answers file is read at the first prompt and consumed
// a line at a time for the rest of the process's life; blank lines are
// skipped. Each prompt is logged, and one with no answer left fails loudly.
//
// The command dialogs take a line per action until "ok" or "cancel":
//   command list:   "add" and "edit NUMBER" (each opens the command editor,
//                   which takes the lines that follow), "delete NUMBER";
//                   its "ok" may ask the restart question, which takes the
//                   next line ("yes", or "cancel" to stay in the list).
//   command editor: "number=N" (one of the numbers offered), "script=PATH"
//                   and "output=PATH" (relative to the script folder, or
//                   absolute), "caption=TEXT", "options=TEXT",
//                   "clipboard=0|1", "hide=0|1", "type=0..3",
//                   "icon=10..36" or "icon=none".
// A line the dialog cannot take fails loudly, as does an "ok" it refuses.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "append_line.h"
#include "platform/atomic_file.h"
#include "prompt_answers.h"

namespace platform::prompt {
namespace {

// Keeps a log entry on one line whatever the texts hold.
std::string one_line(std::string_view text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') line += "\\n";
    else if (c == '\r') line += "\\r";
    else if (c == '\t') line += "\\t";
    else line.push_back(c);
  }
  return line;
}

std::vector<std::string> answer_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (line.find_first_not_of(" \t\r") != std::string::npos) lines.push_back(std::move(line));
    begin = end + 1;
  }
  return lines;
}

// A dialog's answer: "cancel", "ok", or "ok=VALUE" (VALUE taken as written).
struct DialogAnswer {
  bool confirmed = false;
  std::optional<std::string> value;
};

std::optional<DialogAnswer> parse_dialog_answer(const std::string& line) {
  std::string_view text = line;
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  const std::size_t start = text.find_first_not_of(" \t");
  text.remove_prefix(start == std::string_view::npos ? text.size() : start);
  if (text.substr(0, 3) == "ok=") return DialogAnswer{true, std::string(text.substr(3))};
  const std::optional<Answer> word = detail::parse_answer(text);
  if (word == Answer::ok) return DialogAnswer{true, std::nullopt};
  if (word == Answer::cancel) return DialogAnswer{false, std::nullopt};
  return std::nullopt;
}

std::string trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(start, end + 1 - start));
}

std::optional<long> whole_number(std::string_view text) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<bool> switch_value(std::string_view text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

// One "field=value" line of the command editor; false when it cannot be taken.
bool set_command_field(CommandEditor& editor, std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view field = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  if (field == "script") editor.set_script(value);
  else if (field == "caption") editor.set_caption(value);
  else if (field == "options") editor.set_options(value);
  else if (field == "output") editor.set_output(value);
  else if (field == "number") {
    const std::optional<long> number = whole_number(value);
    return number && *number >= 0 && editor.select_number_value(static_cast<std::uint32_t>(*number));
  } else if (field == "clipboard" || field == "hide") {
    const std::optional<bool> on = switch_value(value);
    if (!on) return false;
    field == "clipboard" ? editor.set_copy_to_clipboard(*on) : editor.set_hide_console(*on);
  } else if (field == "type") {
    const std::optional<long> type = whole_number(value);
    return type && editor.set_type(static_cast<int>(*type));
  } else if (field == "icon") {
    if (value == "none") {
      editor.clear_icon();
      return true;
    }
    const std::optional<long> icon = whole_number(value);
    return icon && editor.select_icon(static_cast<int>(*icon - kFirstIcon));
  } else {
    return false;
  }
  return true;
}

// The row of the command list that shows this number.
std::optional<std::size_t> row_of(const CommandList& list, std::string_view number_text) {
  const std::optional<long> number = whole_number(number_text);
  if (!number) return std::nullopt;
  for (std::size_t row = 0; row < list.entries().size(); ++row) {
    if (list.at_row(row).number == static_cast<std::uint64_t>(*number)) return row;
  }
  return std::nullopt;
}

std::string answer_text(const DialogAnswer& answer) {
  if (!answer.confirmed) return "cancel";
  return answer.value ? "ok=" + *answer.value : "ok";
}

// "1" or "0" for a check box; nullopt for anything else.
std::optional<bool> check_value(std::string_view text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

class ScriptedFrontEnd final : public FrontEnd {
 public:
  explicit ScriptedFrontEnd(std::string answers_file) : answers_file_(std::move(answers_file)) {}

  Answer message_box(std::string_view text, std::string_view caption, Buttons buttons,
                     Icon) override {
    std::lock_guard lock(mutex_);
    Answer answer = detail::fit_answer(detail::parse_answer(next_line(caption, text)), buttons);
    log(caption, text, detail::answer_word(answer));
    return answer;
  }

  bool input_dialog(InputDialog& dialog) override {
    return answer_dialog(dialog.caption, "input: " + dialog.prompt, [&](const std::string& value) {
      dialog.set_initial_text(value);
      return true;
    });
  }

  bool select_item(ItemSelection& dialog) override {
    return answer_dialog(dialog.caption(), "item selection: " + dialog.path_of(dialog.selected()),
                         [&](const std::string& path) {
                           const ItemNode* node = dialog.find_path(path);
                           return node != nullptr && dialog.select(node->handle);
                         },
                         [&] { return dialog.can_confirm(); });
  }

  bool choose_date(DateDialog& dialog) override {
    const std::string shown = dialog.value() ? format_calendar_time(*dialog.value()) : "";
    return answer_dialog(dialog.caption(), "date: " + shown, [&](const std::string& value) {
      if (value.empty()) {
        dialog.clear();
        return true;
      }
      const std::optional<CalendarTime> time = parse_calendar_time(value);
      return time && dialog.set(*time);
    });
  }

  bool command_editor(CommandEditor& editor) override {
    const std::string caption = CommandEditor::kCaption;
    for (;;) {
      const std::string line = trimmed(take_line(caption, "command editor"));
      log(caption, "command editor", line);
      if (line == "cancel") return false;
      if (line == "ok") {
        if (const std::optional<std::string> refused = editor.confirm()) fail(caption, *refused, "OK was refused");
        return true;
      }
      if (!set_command_field(editor, line)) fail(caption, "command editor <- " + line, "the editor cannot take this");
    }
  }

  bool command_list(CommandList& list) override {
    const std::string caption = CommandList::kCaption;
    for (;;) {
      const std::string line = trimmed(take_line(caption, "command list"));
      log(caption, "command list", line);
      if (line == "cancel") return false;
      if (line == "ok") {
        if (list.confirm()) return true;
        continue;  // the restart question was cancelled: the list stays open
      }
      if (line == "add") {
        if (!list.can_add()) fail(caption, CommandList::kTooManyCommands, "Add is not possible");
        CommandEditor editor = list.editor_for_add();
        if (command_editor(editor)) list.add(editor);
        continue;
      }
      const bool edit = line.rfind("edit ", 0) == 0;
      const bool remove = line.rfind("delete ", 0) == 0;
      const std::optional<std::size_t> row =
          edit || remove ? row_of(list, trimmed(line.substr(line.find(' ')))) : std::nullopt;
      if (!row) fail(caption, "command list <- " + line, "the list cannot take this");
      list.select_row(*row);
      if (remove) {
        list.delete_selected();
        continue;
      }
      CommandEditor editor = list.editor_for_edit();
      if (command_editor(editor)) list.replace_selected(editor);
    }
  }

  bool choose_file(FileChooser& chooser) override {
    const char* what = chooser.mode() == FileChooser::Mode::open ? "open file: " : "save file: ";
    return answer_dialog(chooser.caption(), what + chooser.folder(),
                         [&](const std::string& path) { return chooser.choose(path); },
                         [&] { return !chooser.chosen().empty(); });
  }

  // One line per user action until one closes the list. The lock is held only
  // while a line is taken: a button's own prompts take the following lines.
  bool script_list(ScriptList& dialog) override {
    for (;;) {
      const std::string text = "script list: " + dialog.name();
      std::string line;
      {
        std::lock_guard lock(mutex_);
        line = next_line(ScriptList::kCaption, text);
        log(ScriptList::kCaption, text, one_line(line));
      }
      if (const std::optional<bool> closed = script_list_action(dialog, line, text)) return *closed;
    }
  }

 private:
  // Applies one action; the dialog's result when it closes, nullopt while it
  // stays open.
  std::optional<bool> script_list_action(ScriptList& dialog, std::string_view line, const std::string& text) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    line.remove_prefix(std::min(line.size(), line.find_first_not_of(" \t")));
    const std::size_t equals = line.find('=');
    const std::string_view word = line.substr(0, equals);
    if (word == "cancel" && equals == std::string_view::npos) return false;
    if (word == "ok") {
      if (equals != std::string_view::npos) dialog.type_name(std::string(line.substr(equals + 1)));
      return dialog.run() ? std::optional<bool>(true) : std::nullopt;
    }
    const bool known = equals == std::string_view::npos ? press_button(dialog, word)
                                                        : set_field(dialog, word, line.substr(equals + 1));
    if (!known) fail(ScriptList::kCaption, text + " <- " + std::string(line), "the script list cannot take this");
    if (word == "commands") return false;  // the command list closes it as cancelled
    return std::nullopt;
  }

  static bool set_field(ScriptList& dialog, std::string_view field, std::string_view value) {
    const std::optional<bool> on = check_value(value);
    if (field == "name") dialog.type_name(std::string(value));
    else if (field == "options") dialog.options = value;
    else if (field == "output") dialog.output = value;
    else if (field == "clipboard" && on) dialog.set_copy_to_clipboard(*on);
    else if (field == "hide" && on) dialog.hide_console = *on;
    else return false;
    return true;
  }

  static bool press_button(ScriptList& dialog, std::string_view button) {
    if (button == "down") dialog.down_key();
    else if (button == "new") dialog.create();
    else if (button == "edit") dialog.edit();
    else if (button == "delete") dialog.remove();
    else if (button == "help") dialog.help();
    else if (button == "commands") dialog.assign_commands();
    else return false;
    return true;
  }

  // The next answer line, taken under the lock alone: a command dialog asks
  // further prompts of its own between its lines.
  std::string take_line(std::string_view caption, std::string_view text) {
    std::lock_guard lock(mutex_);
    return next_line(caption, text);
  }

  // The next answer line; fails loudly when none is left.
  std::string next_line(std::string_view caption, std::string_view text) {
    load_once();
    if (next_ >= answers_.size()) fail(caption, text, "no scripted answer left");
    return answers_[next_++];
  }

  [[noreturn]] static void fail(std::string_view caption, std::string_view text, const char* why) {
    log(caption, text, "unexpected");
    std::fprintf(stderr, "unexpected prompt (%s): %s: %s\n", why, one_line(caption).c_str(),
                 one_line(text).c_str());
    throw UnexpectedPrompt(std::string(text));
  }

  // Applies the answer's value through `set` (false: the dialog cannot take
  // it) and confirms only what `confirmable` allows.
  template <typename Set, typename Confirmable = bool (*)()>
  bool answer_dialog(const std::string& caption, const std::string& text, Set set,
                     Confirmable confirmable = [] { return true; }) {
    std::lock_guard lock(mutex_);
    const std::optional<DialogAnswer> answer = parse_dialog_answer(next_line(caption, text));
    if (!answer) fail(caption, text, "a dialog takes ok, ok=VALUE or cancel");
    if (answer->confirmed && answer->value && !set(*answer->value)) {
      fail(caption, text + " <- " + *answer->value, "the dialog cannot take this value");
    }
    if (answer->confirmed && !confirmable()) fail(caption, text, "the dialog cannot be confirmed so");
    log(caption, text, answer_text(*answer));
    return answer->confirmed;
  }

  void load_once() {
    if (loaded_) return;
    answers_ = answer_lines(read_whole_file(answers_file_).value_or(""));
    loaded_ = true;
  }

  static void log(std::string_view caption, std::string_view text, std::string_view answer) {
    const char* log_file = std::getenv(kLogVariable);
    if (!log_file || !*log_file) return;
    platform::detail::append_line(
        log_file, one_line(caption) + "\t" + one_line(text) + "\t" + std::string(answer));
  }

  std::mutex mutex_;
  std::string answers_file_;
  bool loaded_ = false;
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<FrontEnd> make_scripted_front_end(const std::string& answers_file) {
  return std::make_unique<ScriptedFrontEnd>(answers_file);
}

}  // namespace platform::prompt
