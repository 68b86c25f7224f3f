// Every user prompt (message box, question, the host's item selection and date
// dialogs, the plug-in's input dialog, the open and save file choosers) goes through one interface with three
// front ends: the desktop (Qt, a library of its own that installs itself), the
// terminal when the process runs in one, and scripted answers for tests and
// unattended runs. Texts are UTF-8.
//
// Scripted answers: ZTL_PROMPT_ANSWERS names a file with one answer a line
// ("ok", "cancel", "yes", "no"); each prompt takes the next line. The command
// dialogs take several lines each (see prompt_scripted.cpp). A dialog
// takes "ok" (confirmed as it opened), "ok=VALUE" (the field set to VALUE
// first: the text typed, the item's title path, the date as "YYYY-MM-DD
// HH:MM[:SS]" or nothing for no date, the file's path) or "cancel". Every scripted prompt is
// appended to the file ZTL_PROMPT_LOG names (if set) as
// "<caption>\t<text>\t<answer>". A prompt with no answer left, or with an answer
// its dialog cannot take, fails loudly: its text goes to stderr and it throws
// UnexpectedPrompt.
//
// The script list takes one line per action of the user while it is open,
// until one closes it: "ok" (Run; with nothing selected the warning takes
// the next line and the list stays open), "ok=NAME" (NAME typed into the name
// field, then Run), "cancel", "name=TEXT" (typed: the incremental search),
// "down", "options=TEXT", "output=TEXT", "clipboard=1" or "=0", "hide=1" or
// "=0", and the buttons "new", "edit", "delete", "help" and "commands" (which
// closes it as cancelled); a button's own prompts take the lines after it.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/command_dialogs.h"
#include "platform/prompt_dialogs.h"
#include "platform/script_list.h"

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

// A wait form on the screen: its label, and its cancel button.
class WaitWindow {
 public:
  virtual ~WaitWindow() = default;
  virtual void set_label(std::string_view label) = 0;
  // Lets the window handle its events; true once the user asked to cancel.
  virtual bool pump() = 0;
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual Answer message_box(std::string_view text, std::string_view caption, Buttons buttons,
                             Icon icon) = 0;
  // Each dialog is shown modally and changed in place; true when confirmed.
  virtual bool input_dialog(InputDialog& dialog) = 0;
  virtual bool select_item(ItemSelection& dialog) = 0;
  virtual bool choose_date(DateDialog& dialog) = 0;
  virtual bool choose_file(FileChooser& chooser) = 0;
  // The script list: its buttons act through the dialog while it is open;
  // true when it closed with Run. A front end without one refuses it.
  virtual bool script_list(ScriptList& dialog) {
    (void)dialog;
    throw UnexpectedPrompt("the script list cannot be shown here");
  }
  // The plug-in's command list dialog (its Add and Edit open the command
  // editor) and the editor alone; true when confirmed. Front ends without
  // them say that the command dialogs need a desktop, and answer false.
  virtual bool command_list(CommandList& dialog);
  virtual bool command_editor(CommandEditor& dialog);
  // The wait form shown while a long task runs, closed when the result goes.
  // Null when the front end has no window for it: the terminal's is the
  // host's status line, and scripted runs show none.
  virtual std::unique_ptr<WaitWindow> show_wait_form(std::string_view caption, std::string_view label) {
    (void)caption;
    (void)label;
    return nullptr;
  }
};

// While one lives, a dialog or question left open closes as cancelled once
// `gone` answers true: the one who asked (a script) has ended, and nobody
// waits for the answer any more. Front ends look at it a few times a second.
class AskerWatch {
 public:
  explicit AskerWatch(bool (*gone)(void*), void* context) noexcept;
  ~AskerWatch();
  AskerWatch(const AskerWatch&) = delete;
  AskerWatch& operator=(const AskerWatch&) = delete;

 private:
  bool (*previous_gone_)(void*);
  void* previous_context_;
};

// Whether the prompt open now should close as cancelled: its asker has gone,
// or a stop was requested (Ctrl-C, the program being ended).
bool abandoned() noexcept;

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
