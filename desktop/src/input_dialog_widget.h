// TInputDialogForm on the desktop: InputLabel, the editable InputCombo, OK
// (default, Enter) and キャンセル (Escape). It only moves data between its
// widgets and the InputDialog it shows.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <platform/prompt_dialogs.h>

namespace desktop {

class InputDialogWidget : public QDialog {
 public:
  // Client size at 96 dpi.
  static constexpr int kWidth = 386;
  static constexpr int kHeight = 103;

  explicit InputDialogWidget(platform::prompt::InputDialog& dialog, QWidget* parent = nullptr);

  void accept() override;

 protected:
  bool event(QEvent* event) override;

 private:
  platform::prompt::InputDialog& dialog_;
  QLabel* label_;
  QComboBox* combo_;
};

}  // namespace desktop
