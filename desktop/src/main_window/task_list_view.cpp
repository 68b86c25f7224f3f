#include "main_window/task_list_view.h"

#include <QHeaderView>
#include <algorithm>
#include <QStyle>

#include "main_window/host_text.h"
#include "main_window/project_tree_view.h"
#include "model/session.h"

namespace desktop {

namespace {
constexpr int kHandleRole = Qt::UserRole;
}

QString alarm_text(const zentrella::Alarm& alarm) {
  if (!alarm.enabled) return {};
  static const char* const kUnits[] = {"分", "時間", "日"};
  const char* unit = alarm.unit < 3 ? kUnits[alarm.unit] : "?";
  const QString anchor = QString::fromUtf8(alarm.due_time ? "期限の" : "開始の");
  return anchor + QString::number(alarm.count) + QString::fromUtf8(unit) + QString::fromUtf8("前");
}

TaskListView::TaskListView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("TaskList");
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setColumnCount(kColumnCount);
  setHeaderLabels({QString::fromUtf8("タイトル"), QString::fromUtf8("進捗"), QString::fromUtf8("優先度"),
                   QString::fromUtf8("開始"), QString::fromUtf8("期限"), QString::fromUtf8("アラーム"),
                   QString::fromUtf8("更新日時")});
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(kTitle, QHeaderView::Stretch);
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!rebuilding_) selection_changed();
  });
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
    if (!rebuilding_) current_changed(row);
  });
}

zentrella::Handle TaskListView::handle_at(int row) const { return handle_of(topLevelItem(row)); }

void TaskListView::fill_row(QTreeWidgetItem& row, zentrella::Handle handle) {
  const zentrella::Item& item = *zentrella::session().store().item(handle);
  const zentrella::ItemFields& fields = item.fields;
  row.setData(0, kHandleRole, handle);
  row.setText(kTitle, from_host(fields.title));
  row.setIcon(kTitle, style()->standardIcon(fields.kind == zentrella::ItemKind::task ? QStyle::SP_FileIcon
                                                                                      : QStyle::SP_DirIcon));
  row.setText(kProgress, QString::number(fields.progress) + "%");
  row.setText(kPriority, QString::number(fields.priority));
  row.setText(kStart, date_text(fields.dates.start));
  row.setText(kDue, date_text(fields.dates.due));
  row.setText(kAlarm, alarm_text(fields.alarm));
  row.setText(kModified, date_text(fields.dates.last_modify));
  for (const int column : {kProgress, kPriority}) row.setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
}

void TaskListView::rebuild() {
  zentrella::Session& s = zentrella::session();
  rebuilding_ = true;
  setUpdatesEnabled(false);
  clear();
  // The rows in the host's list order: row i is the item of list index i.
  for (const zentrella::Handle item : s.list_view_items()) {
    auto* row = new QTreeWidgetItem(this);
    fill_row(*row, item);
    if (s.is_selected(item)) row->setSelected(true);
    if (item == s.current_item()) setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
  }
  if (currentItem() != nullptr) scrollToItem(currentItem());
  setUpdatesEnabled(true);
  rebuilding_ = false;
  ++rebuilds_;
}

// The host keeps the selection in the order it was made; rows newly marked
// go after those that stay.
void TaskListView::selection_changed() {
  zentrella::Session& s = zentrella::session();
  std::vector<zentrella::Handle> kept;
  std::vector<zentrella::Handle> added;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = topLevelItem(i);
    if (!row->isSelected()) continue;
    (s.is_selected(handle_of(row)) ? kept : added).push_back(handle_of(row));
  }
  std::vector<zentrella::Handle> ordered;
  for (const zentrella::Handle item : s.selection()) {
    if (std::find(kept.begin(), kept.end(), item) != kept.end()) ordered.push_back(item);
  }
  ordered.insert(ordered.end(), added.begin(), added.end());
  if (ordered == s.selection()) return;
  s.select_only(ordered);
  if (changed) changed();
}

void TaskListView::current_changed(QTreeWidgetItem* row) {
  const zentrella::Handle item = handle_of(row);
  if (item == 0 || item == zentrella::session().current_item()) return;
  if (zentrella::session().set_current_item(item) && changed) changed();
}

}  // namespace desktop
