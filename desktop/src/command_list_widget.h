// TCommandListForm on the desktop: the explanation, the list of user commands
// and the Add, Edit, Delete, OK, Cancel and Help buttons, laid out as
// designed. Add and Edit open the command editor; the widget only moves data
// between its widgets and the CommandList.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <platform/command_dialogs.h>

namespace desktop {

class CommandListWidget : public QDialog {
 public:
  // Client size at 96 dpi.
  static constexpr int kWidth = 573;
  static constexpr int kHeight = 362;

  explicit CommandListWidget(platform::prompt::CommandList& list, QWidget* parent = nullptr);

  // OK: may ask whether to close the host; the dialog stays open on Cancel.
  void accept() override;

 private:
  QPushButton* button(const char* name, const char* text, const QRect& at);
  // Refills the rows from the list and selects (and focuses) its selected row.
  void fill();
  void update_buttons();
  void add();
  void edit();
  void remove();

  platform::prompt::CommandList& list_;
  QTreeWidget* view_;
  QPushButton* add_;
  QPushButton* edit_;
  QPushButton* delete_;
};

}  // namespace desktop
