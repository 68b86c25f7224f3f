#include "main_window/item_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "dialog_layout.h"
#include "main_window/host_records.h"
#include "main_window/host_text.h"
#include "main_window/task_list_view.h"
#include "model/session.h"

namespace desktop {

ItemDialog::DateField ItemDialog::add_date(const char* label, double value, QFormLayout& form) {
  DateField field{new QCheckBox(this), new QDateTimeEdit(this)};
  field.edit->setDisplayFormat("yyyy/MM/dd HH:mm");
  field.edit->setCalendarPopup(true);
  const QDateTime shown = to_qdatetime(value);
  field.set->setChecked(shown.isValid());
  field.edit->setDateTime(shown.isValid() ? shown : QDateTime(QDate::currentDate(), QTime(9, 0)));
  field.edit->setEnabled(shown.isValid());
  connect(field.set, &QCheckBox::toggled, field.edit, &QWidget::setEnabled);
  auto* row = new QHBoxLayout;
  row->addWidget(field.set);
  row->addWidget(field.edit, 1);
  form.addRow(QString::fromUtf8(label), row);
  return field;
}

ItemDialog::ItemDialog(zentrella::Handle item, QWidget* parent)
    : QDialog(parent),
      item_(item),
      title_(new QLineEdit(this)),
      progress_(new QSpinBox(this)),
      priority_(new QSpinBox(this)),
      categories_(new QTableWidget(this)) {
  setObjectName("ItemDialog");
  setWindowTitle(QString::fromUtf8("項目のプロパティ"));
  setFont(dialog_font(*this));
  const zentrella::Item* found = zentrella::session().store().item(item);
  const zentrella::ItemFields fields = found != nullptr ? found->fields : zentrella::ItemFields{};
  auto* form = new QFormLayout;
  title_->setObjectName("TitleEdit");
  title_->setText(from_host(fields.title));
  form->addRow(QString::fromUtf8("タイトル"), title_);
  progress_->setObjectName("ProgressEdit");
  // A value a script set outside 0..100 is kept unless the user changes it.
  progress_->setRange(std::min(0, fields.progress), std::max(100, fields.progress));
  progress_->setSuffix("%");
  progress_->setValue(fields.progress);
  form->addRow(QString::fromUtf8("進捗"), progress_);
  priority_->setObjectName("PriorityEdit");
  priority_->setRange(std::min(-9999, fields.priority), std::max(9999, fields.priority));
  priority_->setValue(fields.priority);
  form->addRow(QString::fromUtf8("優先度"), priority_);
  dates_[0] = add_date("開始", fields.dates.start, *form);
  dates_[1] = add_date("開始予定", fields.dates.planned_start, *form);
  dates_[2] = add_date("終了", fields.dates.end, *form);
  dates_[3] = add_date("期限", fields.dates.due, *form);
  const QString alarm = alarm_text(fields.alarm);
  form->addRow(QString::fromUtf8("アラーム"), new QLabel(alarm.isEmpty() ? QString::fromUtf8("なし") : alarm, this));

  categories_->setObjectName("CategoryTable");
  categories_->setColumnCount(2);
  categories_->setHorizontalHeaderLabels({QString::fromUtf8("分類"), QString::fromUtf8("値")});
  categories_->horizontalHeader()->setStretchLastSection(true);
  categories_->verticalHeader()->hide();
  const std::vector<zentrella::Handle> handles = found != nullptr ? found->categories : std::vector<zentrella::Handle>{};
  categories_->setRowCount(static_cast<int>(handles.size()));
  for (int row = 0; row < categories_->rowCount(); ++row) {
    const zentrella::Category* category = zentrella::session().store().category(handles[static_cast<std::size_t>(row)]);
    auto* name = new QTableWidgetItem(from_host(category->data.name));
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);  // the project defines the names
    name->setData(Qt::UserRole, category->handle);
    categories_->setItem(row, 0, name);
    categories_->setItem(row, 1, new QTableWidgetItem(from_host(category->data.value)));
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(categories_, 1);
  layout->addWidget(buttons);
  resize(scaled(*this, 420), scaled(*this, 440));
}

bool ItemDialog::apply() {
  ItemRecord record(ZTLPlugin_GetItemInfo(item_));
  if (!record) return false;
  put_text(record->title, to_host(title_->text()));
  record->progress = progress_->value();
  record->priority = priority_->value();
  const auto date = [this](std::size_t i) {
    return dates_[i].set->isChecked() ? from_qdatetime(dates_[i].edit->dateTime()) : 0.0;
  };
  record->start_time = date(0);
  record->planned_start_time = date(1);
  record->end_time = date(2);
  record->due_time = date(3);
  bool done = ZTLPlugin_SetItemInfo(item_, record.get()) != ZTL_FALSE;
  for (int row = 0; row < categories_->rowCount(); ++row) {
    const auto handle = categories_->item(row, 0)->data(Qt::UserRole).toUInt();
    CategoryRecord category(ZTLPlugin_GetUserCatInfo(handle));
    if (!category) continue;
    const std::string value = to_host(categories_->item(row, 1)->text());
    if (value == category->value) continue;
    put_text(category->value, value);
    done = ZTLPlugin_SetUserCatInfo(handle, category.get()) != ZTL_FALSE && done;
  }
  return done;
}

}  // namespace desktop
