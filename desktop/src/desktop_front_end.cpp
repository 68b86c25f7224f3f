#include "desktop/desktop_front_end.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "command_form_widget.h"
#include "command_list_widget.h"
#include "date_dialog_widget.h"
#include "dialog_layout.h"
#include "file_chooser_widget.h"
#include "input_dialog_widget.h"
#include "item_select_widget.h"
#include "script_list_widget.h"
#include "wait_window.h"

namespace desktop {

namespace {

namespace prompt = platform::prompt;

// The process's application object, made on the first prompt when the
// process has none (the host runs no event loop of its own).
void ensure_application() {
  if (QApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "zentrella";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
  }
  install_japanese_texts();
}

// Shows the dialog modally, brought to the top and active once shown, so the
// user's typing goes to it even when another program had the focus.
int run_modal(QDialog& dialog) {
  QTimer::singleShot(0, &dialog, [&dialog] {
    dialog.raise();
    dialog.activateWindow();
  });
  return dialog.exec();
}

QMessageBox::Icon box_icon(prompt::Icon icon) {
  switch (icon) {
    case prompt::Icon::information: return QMessageBox::Information;
    case prompt::Icon::warning: return QMessageBox::Warning;
    case prompt::Icon::error: return QMessageBox::Critical;
    case prompt::Icon::question: return QMessageBox::Question;
    case prompt::Icon::none: return QMessageBox::NoIcon;
  }
  return QMessageBox::NoIcon;
}

struct BoxButton {
  prompt::Answer answer;
  const char* text;
  QMessageBox::ButtonRole role;
};

std::vector<BoxButton> box_buttons(prompt::Buttons buttons) {
  const BoxButton ok{prompt::Answer::ok, "OK", QMessageBox::AcceptRole};
  const BoxButton cancel{prompt::Answer::cancel, "キャンセル", QMessageBox::RejectRole};
  const BoxButton yes{prompt::Answer::yes, "はい(&Y)", QMessageBox::YesRole};
  const BoxButton no{prompt::Answer::no, "いいえ(&N)", QMessageBox::NoRole};
  switch (buttons) {
    case prompt::Buttons::ok: return {ok};
    case prompt::Buttons::ok_cancel: return {ok, cancel};
    case prompt::Buttons::yes_cancel: return {yes, cancel};
    case prompt::Buttons::yes_no: return {yes, no};
    case prompt::Buttons::yes_no_cancel: return {yes, no, cancel};
  }
  return {ok};
}

class DesktopFrontEnd final : public prompt::FrontEnd {
 public:
  prompt::Answer message_box(std::string_view text, std::string_view caption, prompt::Buttons buttons,
                             prompt::Icon icon) override {
    ensure_application();
    QMessageBox box(box_icon(icon), QString::fromUtf8(caption.data(), static_cast<int>(caption.size())),
                    QString::fromUtf8(text.data(), static_cast<int>(text.size())));
    box.setObjectName("MessageBox");
    box.setFont(dialog_font(box));
    std::vector<std::pair<QAbstractButton*, prompt::Answer>> answers;
    for (const BoxButton& button : box_buttons(buttons)) {
      QPushButton* added = box.addButton(QString::fromUtf8(button.text), button.role);
      answers.emplace_back(added, button.answer);
      if (answers.size() == 1) box.setDefaultButton(added);
    }
    // Escape and the close box give the answer that changes nothing.
    box.setEscapeButton(answers.back().first);
    new AbandonWatch(box);
    run_modal(box);
    for (const auto& [button, answer] : answers) {
      if (box.clickedButton() == button) return answer;
    }
    return answers.back().second;
  }

  bool input_dialog(prompt::InputDialog& dialog) override {
    ensure_application();
    InputDialogWidget widget(dialog);
    return run_modal(widget) == QDialog::Accepted;
  }

  bool select_item(prompt::ItemSelection& selection) override {
    ensure_application();
    ItemSelectWidget widget(selection);
    return run_modal(widget) == QDialog::Accepted && selection.can_confirm();
  }

  bool choose_date(prompt::DateDialog& dialog) override {
    ensure_application();
    DateDialogWidget widget(dialog);
    return run_modal(widget) == QDialog::Accepted;
  }

  bool choose_file(prompt::FileChooser& chooser) override {
    ensure_application();
    FileChooserWidget widget(chooser);
    return run_modal(widget) == QDialog::Accepted && !chooser.chosen().empty();
  }

  bool script_list(prompt::ScriptList& dialog) override {
    ensure_application();
    ScriptListWidget widget(dialog);
    return run_modal(widget) == QDialog::Accepted;
  }

  bool command_list(prompt::CommandList& list) override {
    ensure_application();
    CommandListWidget widget(list);
    return run_modal(widget) == QDialog::Accepted;
  }

  bool command_editor(prompt::CommandEditor& editor) override {
    ensure_application();
    CommandFormWidget widget(editor);
    return run_modal(widget) == QDialog::Accepted;
  }

  std::unique_ptr<prompt::WaitWindow> show_wait_form(std::string_view caption, std::string_view label) override {
    ensure_application();
    return std::make_unique<WaitWindow>(caption, label);
  }
};

}  // namespace

std::unique_ptr<prompt::FrontEnd> make_desktop_front_end() { return std::make_unique<DesktopFrontEnd>(); }

}  // namespace desktop
