// The item's properties as the user edits them: title, progress, priority,
// the four dates of the user, the category values of its project, and its
// alarm shown. Read from and written back through the host's records, so the
// host's rules (fields cut at whole characters, dates on the scale) hold.
#pragma once

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <array>

#include "model/item_data.h"

namespace desktop {

class ItemDialog final : public QDialog {
 public:
  ItemDialog(zentrella::Handle item, QWidget* parent = nullptr);

  // Writes what the user changed; false (with nothing or only part changed)
  // when the host refused a record.
  bool apply();

 private:
  struct DateField {
    QCheckBox* set = nullptr;
    QDateTimeEdit* edit = nullptr;
  };
  DateField add_date(const char* label, double value, QFormLayout& form);

  zentrella::Handle item_;
  QLineEdit* title_;
  QSpinBox* progress_;
  QSpinBox* priority_;
  std::array<DateField, 4> dates_;
  QTableWidget* categories_;
};

}  // namespace desktop
