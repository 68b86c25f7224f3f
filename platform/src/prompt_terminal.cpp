// The terminal front end: the prompt goes to standard error (standard output
// may be captured), the answer comes from the controlling terminal, never
// from standard input, which may be a script's data.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <poll.h>
#include <unistd.h>

#include "prompt_answers.h"

namespace platform::prompt {
namespace {

const char* icon_word(Icon icon) {
  switch (icon) {
    case Icon::information: return " (information)";
    case Icon::warning: return " (warning)";
    case Icon::error: return " (error)";
    case Icon::question: return " (question)";
    case Icon::none: return "";
  }
  return "";
}

// A stop request is looked at this often while the user has not answered.
constexpr int kStopSliceMs = 200;

// One line from the terminal; nullopt at end of input, or when the prompt is
// abandoned (Ctrl-C, the program being ended, the asker gone) before the line
// is complete: the question then gets the answer that changes nothing.
std::optional<std::string> read_line(int fd) {
  std::string line;
  for (;;) {
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, kStopSliceMs);
    if (abandoned()) return std::nullopt;
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    char c = 0;
    ssize_t count = ::read(fd, &c, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
    if (c == '\n') return line;
    line.push_back(c);
  }
}

// Starts at the left edge on a clean line: the host's status line (the wait
// form) is drawn in place on the terminal and has no line break of its own.
void say(const std::string& text) {
  if (::isatty(STDERR_FILENO) != 0) std::fputs("\r\033[K", stderr);
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

// Shows the question and reads the answer from the controlling terminal;
// nullopt when there is none to answer on, at end of input or when abandoned.
std::optional<std::string> ask(const std::string& question) {
  int tty = ::open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) {
    say("(no terminal to answer on)\n");
    return std::nullopt;
  }
  say(question);
  std::optional<std::string> line = read_line(tty);
  ::close(tty);
  if (line && !line->empty() && line->back() == '\r') line->pop_back();
  if (!line) say("\n");
  return line;
}

// A number from 1 to count; 0 for anything else.
std::size_t choice_number(const std::string& line, std::size_t count) {
  if (line.empty() || line.size() > 6 || line.find_first_not_of("0123456789") != std::string::npos) return 0;
  const std::size_t number = std::stoul(line);
  return number <= count ? number : 0;
}

class TerminalFrontEnd final : public FrontEnd {
 public:
  // The choices numbered; a number picks one, other text is typed, an empty
  // line keeps the text shown, end of input (Ctrl-D) cancels.
  bool input_dialog(InputDialog& dialog) override {
    std::string shown = dialog.caption + "\n" + dialog.prompt + "\n";
    for (std::size_t i = 0; i < dialog.choices().size(); ++i) {
      shown += "  " + std::to_string(i + 1) + ") " + dialog.choices()[i] + "\n";
    }
    say(shown);
    std::optional<std::string> line = ask("[" + dialog.text() + "] ");
    if (!line) return false;
    if (const std::size_t number = choice_number(*line, dialog.choices().size())) {
      dialog.pick(number - 1);
    } else if (!line->empty()) {
      dialog.type(*line);
    }
    return true;
  }

  // An item by the titles of its path; asked again until the path names an
  // item that may be chosen.
  bool select_item(ItemSelection& dialog) override {
    say(dialog.caption() + "\nitem (titles of its path, as Project/Folder/Task):\n");
    for (;;) {
      std::optional<std::string> line = ask("[" + dialog.path_of(dialog.selected()) + "] ");
      if (!line) return false;
      if (!line->empty()) {
        const ItemNode* node = dialog.find_path(*line);
        if (node == nullptr) {
          say("no such item: " + *line + "\n");
          continue;
        }
        dialog.select(node->handle);
      }
      if (dialog.can_confirm()) return true;
      say("this item cannot be chosen here\n");
    }
  }

  // A path, relative ones from the chooser's folder; asked again until the
  // mode can take it.
  bool choose_file(FileChooser& chooser) override {
    const bool open = chooser.mode() == FileChooser::Mode::open;
    say(chooser.caption() + (open ? "\nfile to open" : "\nfile to save") + " (from " + chooser.folder() + "):\n");
    for (;;) {
      std::optional<std::string> line = ask("> ");
      if (!line) return false;
      if (chooser.choose(*line)) return true;
      if (!line->empty()) say((open ? "no such file: " : "cannot save as: ") + *line + "\n");
    }
  }

  // A date typed as YYYY-MM-DD [HH:MM[:SS]], "-" for no date, an empty line
  // keeps the date shown.
  bool choose_date(DateDialog& dialog) override {
    say(dialog.caption() + "\ndate (YYYY-MM-DD HH:MM, - for none):\n");
    for (;;) {
      std::optional<std::string> line =
          ask("[" + (dialog.value() ? format_calendar_time(*dialog.value()) : std::string("-")) + "] ");
      if (!line) return false;
      if (line->empty()) return true;
      if (*line == "-") {
        dialog.clear();
        return true;
      }
      if (std::optional<CalendarTime> time = parse_calendar_time(*line); time && dialog.set(*time)) return true;
      say("not a date: " + *line + "\n");
    }
  }

  // The scripts numbered with their descriptions; a number or a name (as
  // typed into the name field) picks one, an empty line or end of input
  // closes the list. Then the options and the output file are asked.
  bool script_list(ScriptList& dialog) override {
    std::string shown = std::string(ScriptList::kCaption) + "\n";
    for (std::size_t i = 0; i < dialog.entries().size(); ++i) {
      const ScriptEntry& entry = dialog.entries()[i];
      shown += "  " + std::to_string(i + 1) + ") " + entry.name +
               (entry.description.empty() ? "" : "  " + entry.description) + "\n";
    }
    say(shown);
    for (;;) {
      std::optional<std::string> line = ask("script (number or name, empty to close): ");
      if (!line || line->empty()) return false;
      if (const std::size_t number = choice_number(*line, dialog.entries().size())) {
        dialog.select(number - 1);
      } else {
        dialog.type_name(*line);
      }
      if (dialog.run()) break;
    }
    std::optional<std::string> options = ask("options: ");
    if (!options) return false;
    dialog.options = *options;
    std::optional<std::string> output = ask("output file (empty for none): ");
    if (!output) return false;
    dialog.output = *output;
    return true;
  }

  Answer message_box(std::string_view text, std::string_view caption, Buttons buttons,
                     Icon icon) override {
    // A box with only OK is a notice: shown, never waited for, so a terminal
    // run is not held up and a run without a terminal still tells the user.
    if (buttons == Buttons::ok) {
      say(std::string(caption) + icon_word(icon) + ": " + std::string(text) + "\n");
      return Answer::ok;
    }
    say(std::string(caption) + icon_word(icon) + "\n" + std::string(text) + "\n");
    int tty = ::open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
      std::fputs("(no terminal to answer on)\n", stderr);
      throw UnexpectedPrompt(std::string(text));
    }
    std::fprintf(stderr, "%s? ", detail::button_choices(buttons));
    std::fflush(stderr);
    std::optional<std::string> line = read_line(tty);
    ::close(tty);
    return detail::fit_answer(line ? detail::parse_answer(*line) : std::nullopt, buttons);
  }
};

}  // namespace

std::unique_ptr<FrontEnd> make_terminal_front_end() {
  return std::make_unique<TerminalFrontEnd>();
}

}  // namespace platform::prompt
