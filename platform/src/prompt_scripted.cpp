// Scripted answers: the answers file is read at the first prompt and consumed
// a line at a time for the rest of the process's life; blank lines are
// skipped. Each prompt is logged, and one with no answer left fails loudly.
#include <algorithm>
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
