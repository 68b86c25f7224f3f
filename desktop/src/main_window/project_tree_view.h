// The project tree: the loaded projects, then the recycle bin, find,
// template and scrap projects, with the folders and filers below them (tasks
// are rows of the task list). The current folder is the tree's current item;
// a click makes the clicked item the host's current folder.
#pragma once

#include <QTreeWidget>
#include <functional>

#include "model/item_data.h"

namespace desktop {

class ProjectTreeView final : public QTreeWidget {
 public:
  explicit ProjectTreeView(QWidget* parent = nullptr);

  // Made anew from the session; what was expanded stays expanded.
  void rebuild();
  int rebuild_count() const { return rebuilds_; }
  // Called after the user changed the model through the view.
  std::function<void()> changed;
  // The tree row of an item (null when the tree does not show it).
  QTreeWidgetItem* row_of(zentrella::Handle item) const;

 private:
  void add_children(QTreeWidgetItem* row, zentrella::Handle item);
  QTreeWidgetItem* add_row(QTreeWidgetItem* parent, zentrella::Handle item);
  void clicked(QTreeWidgetItem* row);

  int rebuilds_ = 0;
  bool rebuilding_ = false;
};

zentrella::Handle handle_of(const QTreeWidgetItem* row);

}  // namespace desktop
