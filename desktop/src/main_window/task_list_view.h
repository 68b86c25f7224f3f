// The task list: the items the host reports as displayed (the children of
// the current folder), one row each at its list index, with progress,
// priority, dates and the alarm. Its selection is the host's selection and
// its current row the host's current item.
#pragma once

#include <QTreeWidget>
#include <functional>

#include "model/item_data.h"

namespace desktop {

class TaskListView final : public QTreeWidget {
 public:
  enum Column { kTitle, kProgress, kPriority, kStart, kDue, kAlarm, kModified, kColumnCount };

  explicit TaskListView(QWidget* parent = nullptr);

  void rebuild();
  int rebuild_count() const { return rebuilds_; }
  // Called after the user changed the model through the view.
  std::function<void()> changed;
  zentrella::Handle handle_at(int row) const;

 private:
  void fill_row(QTreeWidgetItem& row, zentrella::Handle item);
  void selection_changed();
  void current_changed(QTreeWidgetItem* row);

  int rebuilds_ = 0;
  bool rebuilding_ = false;
};

// "期限の2日前" for an alarm that is on; empty when it is off.
QString alarm_text(const zentrella::Alarm& alarm);

}  // namespace desktop
