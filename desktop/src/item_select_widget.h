// The host's item selection on the desktop: the projects as a tree
// (ItemTree), OKButton enabled only on an item that may be chosen, and
// CancelButton. It only moves data between the tree and the ItemSelection.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <platform/prompt_dialogs.h>

namespace desktop {

class ItemSelectWidget : public QDialog {
 public:
  static constexpr int kWidth = 360;
  static constexpr int kHeight = 400;

  explicit ItemSelectWidget(platform::prompt::ItemSelection& selection, QWidget* parent = nullptr);

 private:
  void add_nodes(QTreeWidgetItem* parent, const std::vector<platform::prompt::ItemNode>& nodes);
  void selection_changed();

  platform::prompt::ItemSelection& selection_;
  QTreeWidget* tree_;
  QPushButton* ok_;
};

}  // namespace desktop
