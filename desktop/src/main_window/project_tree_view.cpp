#include "main_window/project_tree_view.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyle>
#include <set>

#include "main_window/host_text.h"
#include "model/session.h"

namespace desktop {

namespace {

constexpr int kHandleRole = Qt::UserRole;

using zentrella::ItemKind;
using zentrella::SpecialProject;

// Everything but tasks can hold a list, so everything but tasks is a place.
bool is_place(const zentrella::Item& item) { return item.fields.kind != ItemKind::task; }

}  // namespace

zentrella::Handle handle_of(const QTreeWidgetItem* row) {
  return row != nullptr ? row->data(0, kHandleRole).toUInt() : 0;
}

ProjectTreeView::ProjectTreeView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("ProjectTree");
  setHeaderHidden(true);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
    if (!rebuilding_) clicked(row);
  });
}

void ProjectTreeView::clicked(QTreeWidgetItem* row) {
  const zentrella::Handle item = handle_of(row);
  if (item == 0 || item == zentrella::session().current_folder()) return;
  if (zentrella::session().set_current_folder(item) && changed) changed();
}

QTreeWidgetItem* ProjectTreeView::add_row(QTreeWidgetItem* parent, zentrella::Handle handle) {
  const zentrella::Item* item = zentrella::session().store().item(handle);
  auto* row = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  row->setText(0, from_host(item->fields.title));
  row->setData(0, kHandleRole, handle);
  const bool project = item->parent == 0;
  row->setIcon(0, style()->standardIcon(project ? QStyle::SP_DriveHDIcon : QStyle::SP_DirIcon));
  add_children(row, handle);
  return row;
}

void ProjectTreeView::add_children(QTreeWidgetItem* row, zentrella::Handle handle) {
  const zentrella::Store& store = zentrella::session().store();
  for (const zentrella::Handle child : store.item(handle)->children) {
    const zentrella::Item* item = store.item(child);
    if (item != nullptr && is_place(*item)) add_row(row, child);
  }
}

QTreeWidgetItem* ProjectTreeView::row_of(zentrella::Handle item) const {
  for (QTreeWidgetItemIterator it(const_cast<ProjectTreeView*>(this)); *it != nullptr; ++it) {
    if (handle_of(*it) == item) return *it;
  }
  return nullptr;
}

void ProjectTreeView::rebuild() {
  zentrella::Session& s = zentrella::session();
  std::set<zentrella::Handle> expanded;
  for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
    if ((*it)->isExpanded()) expanded.insert(handle_of(*it));
  }
  const bool first = topLevelItemCount() == 0;
  rebuilding_ = true;
  setUpdatesEnabled(false);
  clear();
  for (const zentrella::Handle project : s.loaded_projects()) add_row(nullptr, project);
  for (const SpecialProject special :
       {SpecialProject::recycle_bin, SpecialProject::find, SpecialProject::templates, SpecialProject::scrap}) {
    add_row(nullptr, s.special(special));
  }
  for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
    const bool user_project = (*it)->parent() == nullptr && !s.is_special(handle_of(*it));
    (*it)->setExpanded(expanded.count(handle_of(*it)) != 0 || (first && user_project));
  }
  // The current folder's branch is opened so that its row can be shown.
  if (QTreeWidgetItem* current = row_of(s.current_folder())) {
    for (QTreeWidgetItem* up = current->parent(); up != nullptr; up = up->parent()) up->setExpanded(true);
    setCurrentItem(current);
    scrollToItem(current);
  }
  setUpdatesEnabled(true);
  rebuilding_ = false;
  ++rebuilds_;
}

}  // namespace desktop
