// Every user prompt (message box, question, later dialogs and file choosers)
// goes through one interface with three front ends: the desktop (Qt), the
// terminal when the process runs in one, and scripted answers for tests and
// unattended runs. Texts are UTF-8.
//
// Scripted answers: ZTL_PROMPT_ANSWERS names a file with one answer a line
// ("ok", "cancel", "yes", "no"); each prompt takes the next line. Every scripted
// prompt is appended to the file ZTL_PROMPT_LOG names (if set) as
// "<caption>\t<text>\t<answer>". A prompt with no answer left fails loudly: its
// text goes to stderr and it throws UnexpectedPrompt.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform::prompt {

inline constexpr const char* kAnswersVariable = "ZTL_PROMPT_ANSWERS";
inline constexpr const char* kLogVariable = "ZTL_PROMPT_LOG";

enum class Buttons { ok, ok_cancel, yes_cancel, yes_no, yes_no_cancel };
enum class Icon { none, information, warning, error, question };
enum class Answer { ok, cancel, yes, no };

class UnexpectedPrompt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual Answer message_box(std::string_view text, std::string_view caption, Buttons buttons,
                             Icon icon) = 0;
};

// The front end in force: the one installed last, else scripted when
// ZTL_PROMPT_ANSWERS is set, else the terminal.
FrontEnd& front_end();
// Installs a front end (the desktop one, or a test's); null restores the default.
void set_front_end(std::unique_ptr<FrontEnd> front_end);

// Message boxes with the error icon asked for in this process so far, shown or
// not: a command line maps a command that reported an error to a failed exit.
std::size_t error_boxes_asked() noexcept;
void count_error_box() noexcept;

inline Answer message_box(std::string_view text, std::string_view caption, Buttons buttons,
                          Icon icon = Icon::none) {
  if (icon == Icon::error) count_error_box();
  return front_end().message_box(text, caption, buttons, icon);
}

std::unique_ptr<FrontEnd> make_terminal_front_end();
std::unique_ptr<FrontEnd> make_scripted_front_end(const std::string& answers_file);

}  // namespace platform::prompt
