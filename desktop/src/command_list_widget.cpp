#include "command_list_widget.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include "command_form_widget.h"
#include "dialog_layout.h"

namespace desktop {

namespace {

namespace prompt = platform::prompt;

constexpr const char* kExplanation =
    "指定したスクリプトを実行するコマンドを、ScriptlinkのコマンドとしてZentrella本体に登録\n"
    "します。\n"
    "ここで登録したコマンドは、Zentrellaの再起動後有効になります。";

}  // namespace

CommandListWidget::CommandListWidget(prompt::CommandList& list, QWidget* parent) : QDialog(parent), list_(list) {
  setObjectName("CommandListForm");
  set_up_dialog(*this, QString::fromUtf8(prompt::CommandList::kCaption), kWidth, kHeight);

  auto* memo = new QPlainTextEdit(QString::fromUtf8(kExplanation), this);
  memo->setObjectName("Memo1");
  memo->setReadOnly(true);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setFocusPolicy(Qt::NoFocus);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->document()->setDocumentMargin(0);
  QPalette face = memo->palette();
  face.setColor(QPalette::Base, palette().color(QPalette::Window));
  memo->setPalette(face);
  memo->setGeometry(scaled(*this, QRect(8, 4, 465, 39)));

  view_ = new QTreeWidget(this);
  view_->setObjectName("ListView");
  view_->setGeometry(scaled(*this, QRect(8, 48, 473, 305)));
  view_->setColumnCount(3);
  view_->setHeaderLabels({QString(), QString::fromUtf8("コマンド名"), QString::fromUtf8("スクリプト名")});
  view_->setColumnWidth(0, scaled(*this, 30));
  view_->setColumnWidth(1, scaled(*this, 200));
  view_->setColumnWidth(2, scaled(*this, 200));
  view_->setRootIsDecorated(false);
  view_->setItemsExpandable(false);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->header()->setSectionsMovable(false);

  add_ = button("AddButton", "登録(&A)", QRect(488, 48, 75, 20));
  edit_ = button("EditButton", "編集(&E)", QRect(488, 72, 75, 20));
  delete_ = button("DeleteButton", "削除(&D)", QRect(488, 96, 75, 20));
  auto* ok = button("OKButton", "&OK", QRect(488, 280, 75, 20));
  ok->setDefault(true);
  auto* cancel = button("CancelButton", "キャンセル", QRect(488, 304, 75, 20));
  auto* help = button("HelpButton", "ヘルプ(&H)", QRect(488, 328, 75, 20));
  // Refused at 99 commands, and said so rather than failing at save time.
  add_->setToolTip(QString::fromUtf8(prompt::CommandList::kTooManyCommands));

  fill();

  connect(view_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> chosen = view_->selectedItems();
    list_.select_row(chosen.isEmpty() ? std::nullopt
                                      : std::optional<std::size_t>(view_->indexOfTopLevelItem(chosen.front())));
    update_buttons();
  });
  connect(add_, &QPushButton::clicked, this, &CommandListWidget::add);
  connect(edit_, &QPushButton::clicked, this, &CommandListWidget::edit);
  connect(delete_, &QPushButton::clicked, this, &CommandListWidget::remove);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { list_.show_help(); });

  QWidget* order[] = {view_, add_, edit_, delete_, ok, cancel, help};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  view_->setFocus();
  new AbandonWatch(*this);
}

QPushButton* CommandListWidget::button(const char* name, const char* text, const QRect& at) {
  auto* made = new QPushButton(QString::fromUtf8(text), this);
  made->setObjectName(name);
  made->setGeometry(scaled(*this, at));
  made->setAutoDefault(false);
  return made;
}

void CommandListWidget::fill() {
  const std::optional<std::size_t> selected = list_.selected_row();
  {
    const QSignalBlocker quiet(view_);
    view_->clear();
    for (std::size_t row = 0; row < list_.entries().size(); ++row) {
      const prompt::CommandEntry& entry = list_.at_row(row);
      view_->addTopLevelItem(new QTreeWidgetItem(
          {QString::number(entry.number), QString::fromStdString(entry.caption), QString::fromStdString(entry.script)}));
    }
    if (selected) {
      view_->setCurrentItem(view_->topLevelItem(static_cast<int>(*selected)));
      view_->setFocus();
    }
  }
  update_buttons();
}

void CommandListWidget::update_buttons() {
  add_->setEnabled(list_.can_add());
  edit_->setEnabled(list_.can_edit());
  delete_->setEnabled(list_.can_delete());
}

void CommandListWidget::add() {
  if (!list_.can_add()) return;
  prompt::CommandEditor editor = list_.editor_for_add();
  CommandFormWidget form(editor, this);
  if (form.exec() == QDialog::Accepted) list_.add(editor);
  fill();
}

void CommandListWidget::edit() {
  if (!list_.can_edit()) return;
  prompt::CommandEditor editor = list_.editor_for_edit();
  CommandFormWidget form(editor, this);
  if (form.exec() == QDialog::Accepted) list_.replace_selected(editor);
  fill();
}

void CommandListWidget::remove() {
  list_.delete_selected();
  fill();
}

void CommandListWidget::accept() {
  if (list_.confirm()) QDialog::accept();
}

}  // namespace desktop
