#include "main_window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <platform/message_queue.h>
#include <platform/window_lock.h>

#include "api/exported.h"
#include "dialog_layout.h"
#include "main_window/host_text.h"
#include "model/host_commands.h"
#include "model/interrupt.h"
#include "model/session.h"
#include "model/view_hooks.h"
#include "storage/session_files.h"

namespace desktop {

namespace {

constexpr int kTickMs = 100;

// Raises a flag for the guard's life (a plug-in call that runs, a close in
// progress), however the scope is left.
class FlagGuard {
 public:
  explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

MainWindow::MainWindow(std::vector<PluginCommand> commands, Execute execute, QWidget* parent)
    : QMainWindow(parent), execute_(std::move(execute)), commands_(std::move(commands)) {
  setObjectName("MainWindow");
  setWindowTitle("zentrella");
  setFont(dialog_font(*this));
  build_layout();
  build_menus();
  resize(scaled(*this, 1120), scaled(*this, 700));

  zentrella::set_event_pump([this] {
    // A plug-in call the window did not start (the station serving a script
    // from the tick) is a run as well, from its first pumped message on.
    if (busy_ && !actions_disabled_) set_running(true);
    QApplication::processEvents();
  });
  zentrella::set_task_list_remake_handler([this] { task_list_remake(); });
  platform::set_window_lock_handler([this](platform::WindowId locked) {
    if (locked == 0) follow_model();
  });
  connect(&tick_, &QTimer::timeout, this, [this] { tick(); });
  tick_.start(kTickMs);
  follow_model();
}

MainWindow::~MainWindow() {
  platform::set_window_lock_handler({});
  zentrella::set_task_list_remake_handler({});
  zentrella::set_event_pump({});
}

void MainWindow::build_layout() {
  tree_ = new ProjectTreeView;
  list_ = new TaskListView;
  editor_ = new EditorPane;
  documents_ = new QComboBox;
  documents_->setObjectName("DocumentChooser");
  tree_->changed = [this] { view_changed(true); };
  list_->changed = [this] { view_changed(false); };
  connect(documents_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (refreshing_documents_ || index < 0) return;
    editor_->commit();
    ZTLPlugin_SetCurrentDescription(documents_->itemData(index).toUInt());
    view_changed(false);
  });

  auto* document_side = new QWidget;
  auto* document_layout = new QVBoxLayout(document_side);
  document_layout->setContentsMargins(0, 0, 0, 0);
  document_layout->setSpacing(scaled(*this, 2));
  document_layout->addWidget(documents_);
  document_layout->addWidget(editor_, 1);

  auto* right = new QSplitter(Qt::Vertical);
  right->addWidget(list_);
  right->addWidget(document_side);
  right->setSizes({scaled(*this, 300), scaled(*this, 300)});
  auto* main = new QSplitter(Qt::Horizontal);
  main->setObjectName("MainSplitter");
  main->addWidget(tree_);
  main->addWidget(right);
  main->setStretchFactor(1, 1);
  main->setSizes({scaled(*this, 240), scaled(*this, 880)});
  setCentralWidget(main);
  // The title takes what the fixed columns leave; a date and time needs 124 pixels.
  for (const int column : {TaskListView::kProgress, TaskListView::kPriority}) {
    list_->setColumnWidth(column, scaled(*this, 52));
  }
  for (const int column : {TaskListView::kStart, TaskListView::kDue, TaskListView::kModified}) {
    list_->setColumnWidth(column, scaled(*this, 124));
  }
  list_->setColumnWidth(TaskListView::kAlarm, scaled(*this, 100));
  statusBar()->setObjectName("StatusBar");
}

void MainWindow::tick() {
  if (!busy_) {
    // The station's messages: an external script is served from here, to its end.
    {
      const FlagGuard busy(busy_);
      platform::MessageQueue::instance().dispatch_pending();
    }
    if (actions_disabled_) set_running(false);
    // The host command "Close" (the command list's restart question) quits
    // the window once the command that asked has returned.
    if (zentrella::close_requested()) {
      zentrella::clear_close_request();
      request_close();
    }
    if (close_requested_) close();
  }
  follow_model();
  if (busy_) return;
  save_quietly();
  // Ctrl-C or SIGTERM in the terminal that started the window ends it as
  // the user's quit does: the changes saved.
  // A termination stays raised: it asks once.
  const bool terminated = zentrella::termination_requested() && !termination_seen_;
  if (zentrella::interrupt_requested() || terminated) {
    zentrella::clear_interrupt();
    termination_seen_ = zentrella::termination_requested();
    close();
  }
}

bool MainWindow::locked() const {
  return platform::locked_window() != 0 || zentrella::session().update_depth > 0;
}

// Made at the next tick, or when the lock is released: a script that asks
// after each of many changes costs one rebuild per tick, not one per change.
void MainWindow::task_list_remake() { remake_pending_ = true; }

void MainWindow::follow_model() {
  if (locked()) return;
  zentrella::Session& s = zentrella::session();
  if (remake_pending_ || s.revision != shown_revision_) {
    remake_pending_ = false;
    shown_revision_ = s.revision;
    tree_->rebuild();
    list_->rebuild();
    refresh_documents();
    const zentrella::Item* project = s.store().item(s.current_project());
    setWindowTitle(project != nullptr ? from_host(project->fields.title) + " - zentrella" : QString("zentrella"));
  }
  editor_->follow();
  if (s.status_text != shown_status_) {
    shown_status_ = s.status_text;
    statusBar()->showMessage(from_host(shown_status_));
  }
}

// What the user did in a view is in the model already; the views that did
// not do it follow, the one that did keeps its state (a range selection's
// anchor, the scroll position).
void MainWindow::view_changed(bool folder_changed) {
  zentrella::Session& s = zentrella::session();
  shown_revision_ = s.revision;
  if (folder_changed) list_->rebuild();
  refresh_documents();
  editor_->follow();
}

void MainWindow::refresh_documents() {
  zentrella::Session& s = zentrella::session();
  refreshing_documents_ = true;
  documents_->clear();
  if (const zentrella::Item* item = s.store().item(s.current_item())) {
    for (const zentrella::Handle document : item->documents) {
      const zentrella::Document* found = s.store().document(document);
      documents_->addItem(from_host(found->data.title), document);
      if (document == s.current_document()) documents_->setCurrentIndex(documents_->count() - 1);
    }
  }
  documents_->setEnabled(documents_->count() > 0 && !busy_);
  refreshing_documents_ = false;
}

void MainWindow::set_running(bool running) {
  actions_disabled_ = running;
  for (QAction* action : command_actions_) action->setEnabled(!running);
  for (QAction* action : edit_actions_) action->setEnabled(!running);
  documents_->setEnabled(!running && documents_->count() > 0);
  editor_->set_locked(running);
  if (running) statusBar()->showMessage(QString::fromUtf8("スクリプトを実行しています"));
  else statusBar()->clearMessage();
}

bool MainWindow::run_command(std::uint32_t number) {
  if (busy_) return false;
  editor_->commit();
  {
    const FlagGuard busy(busy_);
    set_running(true);
    try {
      execute_(number);
    } catch (const std::exception& error) {
      report(QString::fromUtf8(error.what()));
    }
  }
  set_running(false);
  follow_model();
  save_quietly();
  if (close_requested_) QTimer::singleShot(0, this, [this] { close(); });
  return true;
}

void MainWindow::report(const QString& text) {
  QMessageBox::warning(this, QString::fromUtf8("zentrella"), text);
}

// Saved as the command line saves at the end of each command; a failure is
// told once, and the next change tries again.
void MainWindow::save_quietly() {
  if (zentrella::session().dirty_files().empty()) return;
  try {
    zentrella::save_dirty_files(zentrella::session());
    last_save_error_.clear();
  } catch (const zentrella::SaveError& error) {
    if (error.what() == last_save_error_) return;
    last_save_error_ = error.what();
    statusBar()->showMessage(QString::fromUtf8("保存できませんでした: ") + QString::fromUtf8(error.what()));
  }
}

bool MainWindow::save() {
  editor_->commit();
  try {
    zentrella::save_dirty_files(zentrella::session());
    last_save_error_.clear();
    return true;
  } catch (const zentrella::SaveError& error) {
    last_save_error_ = error.what();
    report(QString::fromUtf8("保存できませんでした。\n") + QString::fromUtf8(error.what()));
    return false;
  }
}

void MainWindow::request_close() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The run pumps this event; the window cannot go from under it.
    close_requested_ = true;
    statusBar()->showMessage(QString::fromUtf8("スクリプトが終わると終了します"));
    event->ignore();
    return;
  }
  close_requested_ = false;
  if (closing_) {  // the question below is open: its own event loop asked again
    event->ignore();
    return;
  }
  const FlagGuard closing(closing_);
  editor_->commit();
  if (!zentrella::session().dirty_files().empty() && !save()) {
    const auto answer = QMessageBox::question(this, QString::fromUtf8("zentrella"),
                                              QString::fromUtf8("変更を保存できませんでした。保存せずに終了しますか?"),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
      event->ignore();
      return;
    }
    exit_code_ = 1;
  }
  tick_.stop();
  event->accept();
}

}  // namespace desktop
