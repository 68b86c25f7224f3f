// The main window's menus and the editing a task manager needs, each through
// the host's session, host commands and exported API as a plug-in would use
// them.
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QToolBar>
#include <cstring>

#include "main_window/host_records.h"
#include "main_window/host_text.h"
#include "main_window/item_dialog.h"
#include "main_window/main_window.h"
#include "model/host_commands.h"
#include "model/host_dialogs.h"
#include "model/session.h"

namespace desktop {

namespace {

QString title_of(zentrella::Handle item) {
  const zentrella::Item* found = zentrella::session().store().item(item);
  return found != nullptr ? from_host(found->fields.title) : QString();
}

}  // namespace

QAction* MainWindow::add_edit_action(QMenu& menu, const char* text, void (MainWindow::*slot)(), QKeySequence keys) {
  QAction* action = menu.addAction(QString::fromUtf8(text));
  action->setShortcut(keys);
  connect(action, &QAction::triggered, this, [this, slot] {
    if (!busy_) (this->*slot)();
    follow_model();
    save_quietly();
  });
  edit_actions_.push_back(action);
  return action;
}

void MainWindow::build_menus() {
  QMenu* file = menuBar()->addMenu(QString::fromUtf8("ファイル(&F)"));
  QAction* save_action = file->addAction(QString::fromUtf8("保存(&S)"));
  save_action->setShortcut(QKeySequence::Save);
  connect(save_action, &QAction::triggered, this, [this] { save(); });
  file->addSeparator();
  QAction* quit = file->addAction(QString::fromUtf8("終了(&X)"));
  quit->setShortcut(QKeySequence::Quit);
  connect(quit, &QAction::triggered, this, [this] { request_close(); });

  QMenu* edit = menuBar()->addMenu(QString::fromUtf8("編集(&E)"));
  QAction* new_task_action = add_edit_action(*edit, "新しいタスク(&T)...", &MainWindow::new_task, QKeySequence::New);
  add_edit_action(*edit, "新しいフォルダ(&F)...", &MainWindow::new_folder);
  add_edit_action(*edit, "名前の変更(&R)...", &MainWindow::rename_item, Qt::Key_F2);
  add_edit_action(*edit, "プロパティ(&P)...", &MainWindow::edit_properties, QKeySequence(Qt::ALT | Qt::Key_Return));
  add_edit_action(*edit, "移動(&M)...", &MainWindow::move_items);
  edit->addSeparator();
  add_edit_action(*edit, "ごみ箱へ移動(&D)", &MainWindow::delete_items);
  add_edit_action(*edit, "ごみ箱を空にする(&E)...", &MainWindow::empty_recycle_bin);
  // Delete acts on the views; in the editor pane the key deletes text.
  for (QWidget* view : std::initializer_list<QWidget*>{tree_, list_}) {
    auto* shortcut = new QShortcut(QKeySequence::Delete, view, nullptr, nullptr, Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] {
      if (busy_) return;
      delete_items();
      follow_model();
      save_quietly();
    });
  }

  QMenu* documents = menuBar()->addMenu(QString::fromUtf8("文書(&D)"));
  add_edit_action(*documents, "文書を追加(&A)...", &MainWindow::add_document);
  add_edit_action(*documents, "ファイルリンクを追加(&L)...", &MainWindow::add_file_link);
  add_edit_action(*documents, "ファイルリンクを開く(&O)...", &MainWindow::open_file_link);

  QMenu* scripts = menuBar()->addMenu(QString::fromUtf8("スクリプト(&S)"));
  QToolBar* bar = addToolBar(QString::fromUtf8("スクリプト"));
  bar->setObjectName("CommandBar");
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->addAction(new_task_action);
  bar->addSeparator();
  for (const PluginCommand& command : commands_) {
    QAction* action = make_command_action(command, this);
    const std::uint32_t number = command.number;
    connect(action, &QAction::triggered, this, [this, number] { run_command(number); });
    scripts->addAction(action);
    bar->addAction(action);
    command_actions_.push_back(action);
  }
}

// The tree's current folder when the tree has the focus, else the list's
// current item (or the folder when no row is current).
zentrella::Handle MainWindow::chosen_item() const {
  const zentrella::Session& s = zentrella::session();
  if (tree_->hasFocus() || s.current_item() == 0) return s.current_folder();
  return s.current_item();
}

void MainWindow::new_child(const char* command, const char* caption) {
  bool ok = false;
  const QString title = QInputDialog::getText(this, QString::fromUtf8(caption), QString::fromUtf8("タイトル:"),
                                              QLineEdit::Normal, QString(), &ok);
  if (!ok) return;
  if (zentrella::run_host_command(command, false, {to_host(title)}) == 0) {
    report(QString::fromUtf8("ここには作れません。"));
  }
}

void MainWindow::new_task() { new_child("NewTask", "新しいタスク"); }
void MainWindow::new_folder() { new_child("NewFolder", "新しいフォルダ"); }

void MainWindow::rename_item() {
  const zentrella::Handle item = chosen_item();
  ItemRecord record(ZTLPlugin_GetItemInfo(item));
  if (!record) return;
  bool ok = false;
  const QString title = QInputDialog::getText(this, QString::fromUtf8("名前の変更"), QString::fromUtf8("タイトル:"),
                                              QLineEdit::Normal, from_host(record->title), &ok);
  if (!ok) return;
  put_text(record->title, to_host(title));
  if (ZTLPlugin_SetItemInfo(item, record.get()) == ZTL_FALSE) report(QString::fromUtf8("名前を変更できませんでした。"));
}

void MainWindow::edit_properties() {
  const zentrella::Handle item = chosen_item();
  if (zentrella::session().store().item(item) == nullptr) return;
  ItemDialog dialog(item, this);
  if (dialog.exec() == QDialog::Accepted && !dialog.apply()) {
    report(QString::fromUtf8("変更の一部を書き込めませんでした。"));
  }
}

void MainWindow::move_items() {
  zentrella::Session& s = zentrella::session();
  std::vector<zentrella::Handle> moving = s.selection();
  if (moving.empty() || tree_->hasFocus()) moving = {chosen_item()};
  const zentrella::Handle target =
      zentrella::select_item(to_host(QString::fromUtf8("移動先の選択")), s.current_folder(), {true, true, false});
  if (target == 0) return;
  bool refused = false;
  for (const zentrella::Handle item : moving) refused = !s.move_item(item, target) || refused;
  if (refused) report(QString::fromUtf8("移動できない項目がありました (プロジェクト、または移動先の上位の項目)。"));
}

void MainWindow::delete_items() {
  zentrella::Session& s = zentrella::session();
  if (tree_->hasFocus()) {
    const zentrella::Handle folder = s.current_folder();
    if (s.is_special(folder)) return;
    const auto answer = QMessageBox::question(
        this, QString::fromUtf8("ごみ箱へ移動"), QString::fromUtf8("「%1」を中身ごとごみ箱へ移動しますか?").arg(title_of(folder)));
    if (answer == QMessageBox::Yes) s.delete_item(folder, true);
    return;
  }
  zentrella::run_host_command("Delete", false, {});
}

void MainWindow::empty_recycle_bin() {
  const auto answer = QMessageBox::question(this, QString::fromUtf8("ごみ箱を空にする"),
                                            QString::fromUtf8("ごみ箱の中身をすべて削除します。よろしいですか?"));
  if (answer == QMessageBox::Yes) zentrella::run_host_command("EmptyRecycleBin", false, {});
}

void MainWindow::add_document() {
  const zentrella::Handle item = chosen_item();
  bool ok = false;
  const QString title = QInputDialog::getText(this, QString::fromUtf8("文書を追加"), QString::fromUtf8("文書の題名:"),
                                              QLineEdit::Normal, QString::fromUtf8("メモ"), &ok);
  if (!ok) return;
  const zentrella::Handle document = ZTLPlugin_AddDescription(item);
  DocumentRecord record(ZTLPlugin_GetDescriptionInfo(document));
  if (!record) return report(QString::fromUtf8("ここには文書を追加できません。"));
  put_text(record->title, to_host(title));
  ZTLPlugin_SetDescriptionInfo(document, record.get());
  ZTLPlugin_SetCurrentDescription(document);
  editor_->setFocus();
}

void MainWindow::add_file_link() {
  const zentrella::Handle item = chosen_item();
  const QString path = QFileDialog::getOpenFileName(this, QString::fromUtf8("リンクするファイル"));
  if (path.isEmpty()) return;
  const zentrella::Handle link = ZTLPlugin_AddLinkedFile(item);
  LinkRecord record(ZTLPlugin_GetLinkedFileInfo(link));
  if (!record) return report(QString::fromUtf8("ここにはファイルリンクを追加できません。"));
  put_text(record->title, to_host(QFileInfo(path).fileName()));
  put_text(record->file_name, to_host(path));
  if (ZTLPlugin_SetLinkedFileInfo(link, record.get()) == ZTL_FALSE) {
    report(QString::fromUtf8("ファイルリンクを書き込めませんでした。"));
  }
}

void MainWindow::open_file_link() {
  const zentrella::Item* item = zentrella::session().store().item(chosen_item());
  if (item == nullptr || item->links.empty()) return report(QString::fromUtf8("この項目にはファイルリンクがありません。"));
  QStringList titles;
  for (const zentrella::Handle link : item->links) {
    const zentrella::FileLink* found = zentrella::session().store().link(link);
    titles << from_host(found->data.title.empty() ? found->data.file_name : found->data.title);
  }
  int chosen = 0;
  if (titles.size() > 1) {
    bool ok = false;
    const QString title = QInputDialog::getItem(this, QString::fromUtf8("ファイルリンクを開く"),
                                                QString::fromUtf8("リンク:"), titles, 0, false, &ok);
    if (!ok) return;
    chosen = static_cast<int>(titles.indexOf(title));
  }
  if (ZTLPlugin_ExecLinekdFile(item->links[static_cast<std::size_t>(chosen)]) == ZTL_FALSE) {
    report(QString::fromUtf8("ファイルリンクを開けませんでした。"));
  }
}

}  // namespace desktop
