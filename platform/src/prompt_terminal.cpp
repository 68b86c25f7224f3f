// The terminal front end: the prompt goes to standard error (standard output
// may be captured), the answer comes from the controlling terminal, never
// from standard input, which may be a script's data.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <unistd.h>

#include "platform/stop_request.h"
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

// One line from the terminal; nullopt at end of input, or when a stop is
// requested (Ctrl-C, the program being ended) before the line is complete:
// the question then gets the answer that changes nothing.
std::optional<std::string> read_line(int fd) {
  std::string line;
  for (;;) {
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, kStopSliceMs);
    if (stop_request::raised()) return std::nullopt;
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    char c = 0;
    ssize_t count = ::read(fd, &c, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
    if (c == '\n') return line;
    line.push_back(c);
  }
}

class TerminalFrontEnd final : public FrontEnd {
 public:
  Answer message_box(std::string_view text, std::string_view caption, Buttons buttons,
                     Icon icon) override {
    // A box with only OK is a notice: shown, never waited for, so a terminal
    // run is not held up and a run without a terminal still tells the user.
    if (buttons == Buttons::ok) {
      std::fputs((std::string(caption) + icon_word(icon) + ": " + std::string(text) + "\n").c_str(), stderr);
      return Answer::ok;
    }
    std::string shown = std::string(caption) + icon_word(icon) + "\n" + std::string(text) + "\n";
    std::fputs(shown.c_str(), stderr);
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
