#include "wait_window.h"

#include <QApplication>
#include <QPushButton>
#include <utility>

#include "dialog_layout.h"

namespace desktop {

namespace {
QString text_of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }
}  // namespace

WaitWindow::WaitWindow(std::string_view caption, std::string_view label)
    : label_(new QLabel(this)), time_(new QLabel(this)) {
  setObjectName("WaitForm");
  set_up_dialog(*this, text_of(caption), kWidth, kHeight);
  label_->setObjectName("WaitLabel");
  label_->setGeometry(scaled(*this, QRect(16, 16, 288, 14)));
  time_->setObjectName("TimeLabel");
  time_->setGeometry(scaled(*this, QRect(16, 36, 288, 14)));
  auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
  cancel->setObjectName("CancelButton");
  cancel->setGeometry(scaled(*this, QRect(122, 60, 75, 25)));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  set_label(label);
  running_.start();
  time_->setText("00:00");
  show();
  QApplication::processEvents();
}

void WaitWindow::set_label(std::string_view label) { label_->setText(text_of(label)); }

bool WaitWindow::pump() {
  const qint64 seconds = running_.elapsed() / 1000;
  time_->setText(QString("%1:%2").arg(seconds / 60, 2, 10, QChar('0')).arg(seconds % 60, 2, 10, QChar('0')));
  QApplication::processEvents();
  return std::exchange(cancelled_, false);
}

// The form stays until the host closes it: a cancel only asks.
void WaitWindow::reject() { cancelled_ = true; }

}  // namespace desktop
