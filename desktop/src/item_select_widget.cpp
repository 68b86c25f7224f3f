#include "item_select_widget.h"

#include <QHeaderView>

#include "dialog_layout.h"

namespace desktop {

namespace {
constexpr int kHandleRole = Qt::UserRole;
}

ItemSelectWidget::ItemSelectWidget(platform::prompt::ItemSelection& selection, QWidget* parent)
    : QDialog(parent), selection_(selection), tree_(new QTreeWidget(this)), ok_(new QPushButton("&OK", this)) {
  setObjectName("SelectItemForm");
  set_up_dialog(*this, QString::fromStdString(selection.caption()), kWidth, kHeight);

  tree_->setObjectName("ItemTree");
  tree_->setGeometry(scaled(*this, QRect(8, 8, 344, 352)));
  tree_->setHeaderHidden(true);
  add_nodes(nullptr, selection.roots());
  if (const std::uint32_t start = selection.selected()) {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
      if ((*it)->data(0, kHandleRole).toUInt() != start) continue;
      tree_->setCurrentItem(*it);
      tree_->scrollToItem(*it);
      break;
    }
  }
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { selection_changed(); });
  connect(tree_, &QTreeWidget::itemActivated, this, [this] {
    if (selection_.can_confirm()) accept();
  });

  ok_->setObjectName("OKButton");
  ok_->setGeometry(scaled(*this, QRect(192, 368, 75, 25)));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
  cancel->setObjectName("CancelButton");
  cancel->setGeometry(scaled(*this, QRect(277, 368, 75, 25)));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(tree_, ok_);
  setTabOrder(ok_, cancel);
  tree_->setFocus();
  ok_->setEnabled(selection_.can_confirm());
  new AbandonWatch(*this);
}

void ItemSelectWidget::add_nodes(QTreeWidgetItem* parent, const std::vector<platform::prompt::ItemNode>& nodes) {
  for (const platform::prompt::ItemNode& node : nodes) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    item->setText(0, QString::fromStdString(node.title));
    item->setData(0, kHandleRole, node.handle);
    if (!node.choosable) item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    add_nodes(item, node.children);
    if (parent == nullptr) item->setExpanded(true);  // the projects open, their items folded
  }
}

void ItemSelectWidget::selection_changed() {
  const QTreeWidgetItem* current = tree_->currentItem();
  if (current == nullptr || !selection_.select(current->data(0, kHandleRole).toUInt())) selection_.clear_selection();
  ok_->setEnabled(selection_.can_confirm());
}

}  // namespace desktop
