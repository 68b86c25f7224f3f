// TCommandForm on the desktop: the command number, script, caption, options,
// output, the two check boxes, the command type and the icon, laid out as
// designed. It only moves data between its widgets and the CommandEditor.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include <platform/command_dialogs.h>

namespace desktop {

class CommandFormWidget : public QDialog {
 public:
  // Client size at 96 dpi.
  static constexpr int kWidth = 377;
  static constexpr int kHeight = 310;

  explicit CommandFormWidget(platform::prompt::CommandEditor& editor, QWidget* parent = nullptr);

  // OK: the editor confirms, or says why not and the dialog stays open.
  void accept() override;

 private:
  // keep: sets the field in the editor and gives back what it kept.
  void limit_typing(QLineEdit* edit, std::function<std::string(std::string_view)> keep);
  QLabel* label(const char* name, const char* text, const QRect& at, QWidget* buddy);
  QLineEdit* line_edit(const char* name, const QRect& at, const std::string& text);
  QPushButton* button(const char* name, const char* text, const QRect& at);
  void fill_icons();
  void show_fields();
  void apply_clipboard_rule();
  void browse_script();
  void browse_option_file();
  void browse_output();
  // A file picked in the open dialog, or empty; filter empty for any file.
  QString pick_file(const QString& folder, const QString& filter, const QString& suffix);

  platform::prompt::CommandEditor& editor_;
  QComboBox* number_;
  QLineEdit* script_;
  QLineEdit* caption_;
  QLineEdit* options_;
  QLabel* output_label_;
  QLineEdit* output_;
  QPushButton* output_button_;
  QCheckBox* clipboard_;
  QCheckBox* hide_console_;
  std::array<QRadioButton*, platform::prompt::kCommandTypes> types_{};
  QListWidget* icons_;
};

}  // namespace desktop
