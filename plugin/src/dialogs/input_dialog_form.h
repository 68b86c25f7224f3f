// TInputDialogForm: the small modal dialog behind disp_input_dialog. It holds
// the texts in the host's code page and shows itself through the prompt front
// end in force; it knows nothing of the channel.
#pragma once

#include <string>
#include <string_view>

#include <platform/prompt_dialogs.h>

namespace scriptlink {

class TInputDialogForm {
 public:
  // The caption stored with the form; always replaced before it is shown.
  static constexpr const char* kDesignCaption = "InputDialogForm";

  TInputDialogForm();

  void SetCaption(std::string_view text);
  void SetPrompt(std::string_view text);
  // Selects the equal entry of the list if there is one, else types the text.
  void SetInitialText(std::string_view text);
  // The list becomes the lines of the text; the text in the field stays.
  void SetChoices(std::string_view lines);
  // Shows the form modally; true when it closed with OK.
  bool Run();
  // The text of the field, in the host's code page.
  std::string EnteredText() const;

  const platform::prompt::InputDialog& dialog() const noexcept { return dialog_; }

 private:
  platform::prompt::InputDialog dialog_;
};

}  // namespace scriptlink
