#include "dialogs/input_dialog_form.h"

#include <platform/codepage.h>
#include <platform/prompt.h>

namespace scriptlink {

TInputDialogForm::TInputDialogForm() {
  dialog_.caption = kDesignCaption;
  dialog_.prompt = "InputLabel";
}

void TInputDialogForm::SetCaption(std::string_view text) { dialog_.caption = platform::codepage::to_utf8(text); }

void TInputDialogForm::SetPrompt(std::string_view text) { dialog_.prompt = platform::codepage::to_utf8(text); }

void TInputDialogForm::SetInitialText(std::string_view text) {
  dialog_.set_initial_text(platform::codepage::to_utf8(text));
}

void TInputDialogForm::SetChoices(std::string_view lines) { dialog_.set_choices(platform::codepage::to_utf8(lines)); }

bool TInputDialogForm::Run() { return platform::prompt::front_end().input_dialog(dialog_); }

std::string TInputDialogForm::EnteredText() const { return platform::codepage::from_utf8(dialog_.text()); }

}  // namespace scriptlink
