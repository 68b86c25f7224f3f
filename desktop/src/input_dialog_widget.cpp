#include "input_dialog_widget.h"

#include <QEvent>
#include <algorithm>
#include <QLineEdit>

#include "dialog_layout.h"

namespace desktop {

InputDialogWidget::InputDialogWidget(platform::prompt::InputDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog), label_(new QLabel(this)), combo_(new QComboBox(this)) {
  setObjectName("InputDialogForm");
  set_up_dialog(*this, QString::fromStdString(dialog.caption), kWidth, kHeight);

  label_->setObjectName("InputLabel");
  label_->setText(QString::fromStdString(dialog.prompt));
  label_->setGeometry(scaled(*this, QRect(24, 8, 52, 12)));
  // Sized to its text like the design's auto-sized label, so a long prompt is not cut.
  const int text_width = label_->fontMetrics().horizontalAdvance(label_->text());
  if (text_width > label_->width()) label_->resize(std::min(text_width, scaled(*this, kWidth - 32)), label_->height());

  combo_->setObjectName("InputCombo");
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);  // typing never changes the offered choices
  combo_->setGeometry(scaled(*this, QRect(24, 32, 345, 20)));
  for (const std::string& choice : dialog.choices()) combo_->addItem(QString::fromStdString(choice));
  // A text equal to a choice is that entry of the list, so the arrow keys
  // move on from it; the text in the field is the same either way.
  const QString text = QString::fromStdString(dialog.text());
  combo_->setCurrentIndex(dialog.selected() ? static_cast<int>(*dialog.selected()) : combo_->findText(text));
  combo_->setEditText(text);

  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("OKButton");
  ok->setGeometry(scaled(*this, QRect(208, 72, 75, 25)));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
  cancel->setObjectName("Button2");
  cancel->setGeometry(scaled(*this, QRect(288, 72, 75, 25)));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(ok, cancel);
  setTabOrder(cancel, combo_);
  new AbandonWatch(*this);
}

void InputDialogWidget::accept() {
  const std::string text = combo_->currentText().toStdString();
  const int index = combo_->currentIndex();
  if (index >= 0 && combo_->itemText(index) == combo_->currentText()) {
    dialog_.pick(static_cast<std::size_t>(index));
  } else {
    dialog_.type(text);
  }
  QDialog::accept();
}

// Whenever the dialog becomes active, typing goes into the field.
bool InputDialogWidget::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) {
    combo_->setFocus(Qt::ActiveWindowFocusReason);
    combo_->lineEdit()->selectAll();
  }
  return handled;
}

}  // namespace desktop
