// The host's date dialog on the desktop: a calendar (Calendar), the time of
// day (TimeEdit), "日付なし" (NoDateCheck) for an empty date, OKButton and
// CancelButton. It only moves data between its widgets and the DateDialog.
#pragma once

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDialog>
#include <QTimeEdit>

#include <platform/prompt_dialogs.h>

namespace desktop {

class DateDialogWidget : public QDialog {
 public:
  static constexpr int kWidth = 280;
  static constexpr int kHeight = 276;

  explicit DateDialogWidget(platform::prompt::DateDialog& dialog, QWidget* parent = nullptr);

  void accept() override;

 private:
  void no_date_toggled(bool no_date);

  platform::prompt::DateDialog& dialog_;
  QCalendarWidget* calendar_;
  QTimeEdit* time_;
  QCheckBox* no_date_;
};

}  // namespace desktop
