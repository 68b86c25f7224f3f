#include "date_dialog_widget.h"

#include <QLabel>
#include <QPushButton>

#include "dialog_layout.h"

namespace desktop {

DateDialogWidget::DateDialogWidget(platform::prompt::DateDialog& dialog, QWidget* parent)
    : QDialog(parent),
      dialog_(dialog),
      calendar_(new QCalendarWidget(this)),
      time_(new QTimeEdit(this)),
      no_date_(new QCheckBox(QString::fromUtf8("日付なし(&N)"), this)) {
  setObjectName("DateDialogForm");
  set_up_dialog(*this, QString::fromStdString(dialog.caption()), kWidth, kHeight);

  calendar_->setObjectName("Calendar");
  calendar_->setGeometry(scaled(*this, QRect(8, 8, 264, 192)));
  calendar_->setMinimumDate(QDate(1, 1, 1));
  calendar_->setMaximumDate(QDate(9999, 12, 31));
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  // The calendar takes Enter for itself: there it confirms, as anywhere else.
  connect(calendar_, &QCalendarWidget::activated, this, &QDialog::accept);

  auto* time_label = new QLabel(QString::fromUtf8("時刻(&T)"), this);
  time_label->setObjectName("TimeLabel");
  time_label->setGeometry(scaled(*this, QRect(8, 214, 48, 12)));
  time_label->setBuddy(time_);
  time_->setObjectName("TimeEdit");
  time_->setDisplayFormat("HH:mm:ss");
  time_->setGeometry(scaled(*this, QRect(56, 210, 88, 20)));

  no_date_->setObjectName("NoDateCheck");
  no_date_->setGeometry(scaled(*this, QRect(160, 212, 112, 16)));
  connect(no_date_, &QCheckBox::toggled, this, [this](bool on) { no_date_toggled(on); });

  if (const auto& value = dialog.value()) {
    calendar_->setSelectedDate(QDate(value->year, value->month, value->day));
    time_->setTime(QTime(value->hour, value->minute, value->second));
  } else {
    no_date_->setChecked(true);
  }

  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("OKButton");
  ok->setGeometry(scaled(*this, QRect(112, 243, 75, 25)));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
  cancel->setObjectName("CancelButton");
  cancel->setGeometry(scaled(*this, QRect(197, 243, 75, 25)));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(calendar_, time_);
  setTabOrder(time_, no_date_);
  setTabOrder(no_date_, ok);
  setTabOrder(ok, cancel);
  calendar_->setFocus();
  new AbandonWatch(*this);
}

void DateDialogWidget::no_date_toggled(bool no_date) {
  calendar_->setEnabled(!no_date);
  time_->setEnabled(!no_date);
}

void DateDialogWidget::accept() {
  if (no_date_->isChecked()) {
    dialog_.clear();
  } else {
    const QDate day = calendar_->selectedDate();
    const QTime time = time_->time();
    dialog_.set({day.year(), day.month(), day.day(), time.hour(), time.minute(), time.second()});
  }
  QDialog::accept();
}

}  // namespace desktop
