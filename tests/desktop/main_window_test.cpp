// The main window over the real host session, driven as a user would, with
// the real plug-in running real scripts through Ruby and ztl.so. Runs on
// Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include <desktop/desktop_front_end.h>
#include <platform/atomic_file.h>
#include <platform/codepage.h>
#include <platform/prompt.h>
#include <platform/window_lock.h>

#include "api/exported.h"
#include "cli/plugin_host.h"
#include "main_window/main_window.h"
#include "model/host_commands.h"
#include "model/session.h"
#include "storage/session_files.h"

namespace desktop {
namespace {

using zentrella::Handle;

constexpr const char* kProjects = R"({"format": "zentrella-projects", "version": 1, "projects": [
  {"kind": "project", "title": "仕事", "children": [
    {"kind": "folder", "title": "リリース", "children": [
      {"kind": "task", "title": "ノートを書く", "progress": 10,
       "documents": [{"title": "下書き", "text_type": "text", "text": "一行目\r\nsecond line\r\n"}]},
      {"kind": "task", "title": "配る"}]},
    {"kind": "folder", "title": "資料"}]}]})";

// One user command record of the plug-in's command file: a quiet run (no
// console), which shows the wait form.
std::string command_record(std::uint32_t number, const char* caption, const char* script) {
  std::string record(2076, '\0');
  std::memcpy(&record[0], caption, std::strlen(caption));
  const std::string name = "Scriptlink_ExtCommand" + std::to_string(number);
  std::memcpy(&record[256], name.data(), name.size());
  std::memcpy(&record[516], &number, 4);
  const std::int32_t minus_one = -1;
  std::memcpy(&record[520], &minus_one, 4);
  std::memcpy(&record[528], script, std::strlen(script));
  record[2075] = 2;  // hide the console
  return record;
}

struct Script {
  std::uint32_t number;
  const char* caption;
  const char* file;
  const char* code;
};

const Script kScripts[] = {
    {10, "フォルダを作る", "add_folder.rb", "require 'ztl'\nZtl.ztl_exec_command('NewFolder', 'スクリプトのフォルダ')\n"},
    {11, "千回の変更", "bracket.rb",
     "require 'ztl'\nitems = Ztl.ztl_displayed_items\nZtl.ztl_begin_update\n"
     "1000.times { |i| items[i % items.size].progress = i % 101 }\nZtl.ztl_end_update\n"},
    {12, "終わらない", "loop.rb", "require 'ztl'\nloop { Ztl.ztl_current_folder }\n"},
};

class MainWindowTest : public ::testing::Test {
 protected:
  // The plug-in is loaded once: it reads the user folder and the command file when it starts.
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/ztl-mainwin-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    user_folder_ = std::string(pattern) + "/";
    setenv("ZTL_NAMESPACE", ("mainwin-" + std::to_string(getpid())).c_str(), 1);
    unsetenv("ZTL_CHANNEL");
    unsetenv(platform::prompt::kAnswersVariable);
#ifdef ZTL_SCRIPT_PRELOAD
    // Under the sanitizers Ruby loads an instrumented ztl.so.
    setenv("LD_PRELOAD", ZTL_SCRIPT_PRELOAD, 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
    std::string file(4, '\0');
    const std::int32_t count = std::size(kScripts);
    std::memcpy(&file[0], &count, 4);
    std::filesystem::create_directories(user_folder_ + "Script");
    for (const Script& script : kScripts) {
      file += command_record(script.number, script.caption, script.file);
      std::ofstream(user_folder_ + "Script/" + script.file) << script.code;
    }
    platform::write_file_atomically(user_folder_ + "Scriptlink.cmd", file);
    fresh_session();
    platform::prompt::set_front_end(make_desktop_front_end());
    plugin_ = std::make_unique<zentrella::cli::PluginHost>(ZTL_STAGE_DIR "/Scriptlink.so");
  }
  static void TearDownTestSuite() { plugin_.reset(); }

  static void fresh_session() {
    platform::codepage::set_current(platform::codepage::CodePage::utf8);
    zentrella::reset_session();
    zentrella::Session& s = zentrella::session();
    s.user_folder = user_folder_;
    s.station = true;  // in the test's own namespace
    platform::write_file_atomically(project_file(), kProjects);
    zentrella::open_project_file(s, project_file());
    zentrella::open_special_projects(s, user_folder_ + zentrella::kSpecialProjectsFile);
    s.set_default_project_file(project_file());
  }
  static std::string project_file() { return user_folder_ + "projects.json"; }

  void SetUp() override {
    fresh_session();
    window_ = std::make_unique<MainWindow>(plugin_commands(plugin_->info(), plugin_->module()), [](std::uint32_t number) {
      plugin_->entry().Execute(number, nullptr);
    });
    window_->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    window_.reset();
    zentrella::save_dirty_files(zentrella::session());
  }

  zentrella::Session& s() { return zentrella::session(); }
  Handle child(Handle parent, std::size_t index) { return s().store().item(parent)->children.at(index); }
  Handle project() { return s().loaded_projects().front(); }

  QAction* action(const char* caption) {
    for (QAction* found : window_->command_actions()) {
      if (found->text() == QString::fromUtf8(caption)) return found;
    }
    ADD_FAILURE() << "no action " << caption;
    return nullptr;
  }

  std::string saved() {
    std::ifstream in(project_file());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static inline std::string user_folder_;
  static inline std::unique_ptr<zentrella::cli::PluginHost> plugin_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, CommandsAreOfferedInTheOrderOfThePluginInfo) {
  const std::vector<PluginCommand> commands = plugin_commands(plugin_->info());
  ASSERT_EQ(window_->command_actions().size(), commands.size());
  ASSERT_GE(commands.size(), std::size(kScripts));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    EXPECT_EQ(window_->command_actions()[i]->text(), commands[i].caption);
    EXPECT_EQ(window_->command_actions()[i]->data().toUInt(), commands[i].number);
  }
  // The user commands come after the built-in ones, in the command file's order.
  const std::size_t first_user = commands.size() - std::size(kScripts);
  for (std::size_t i = 0; i < std::size(kScripts); ++i) {
    EXPECT_EQ(commands[first_user + i].caption, QString::fromUtf8(kScripts[i].caption));
  }
}

// The pictures come from the plug-in's own bitmap resources, purple see-through.
TEST_F(MainWindowTest, CommandsShowThePluginsIcons) {
  const std::vector<PluginCommand> commands = plugin_commands(plugin_->info());
  std::size_t with_icon = 0;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const QIcon icon = window_->command_actions()[i]->icon();
    EXPECT_EQ(icon.isNull(), commands[i].icon < 0) << commands[i].caption.toStdString();
    if (icon.isNull()) continue;
    ++with_icon;
    const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(16, 16));
    int clear = 0;
    int purple = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const QRgb pixel = image.pixel(x, y);
        clear += qAlpha(pixel) == 0;
        purple += qAlpha(pixel) != 0 && (pixel & 0xffffff) == 0x800080;
      }
    }
    EXPECT_GT(clear, 0);
    EXPECT_LT(clear, 256);
    EXPECT_EQ(purple, 0);
  }
  EXPECT_GE(with_icon, 2u);  // the script list and help at least
  EXPECT_TRUE(command_icon(plugin_->module(), 9).isNull());
  EXPECT_TRUE(command_icon(nullptr, 10).isNull());
}

TEST_F(MainWindowTest, ViewsShowTheHostsStateAndClicksChangeIt) {
  ProjectTreeView& tree = window_->project_tree();
  // Loaded projects first, then the four special projects; tasks are not in the tree.
  ASSERT_EQ(tree.topLevelItemCount(), 5);
  EXPECT_EQ(handle_of(tree.topLevelItem(0)), project());
  EXPECT_EQ(handle_of(tree.topLevelItem(1)), s().special(zentrella::SpecialProject::recycle_bin));
  EXPECT_EQ(handle_of(tree.topLevelItem(4)), s().special(zentrella::SpecialProject::scrap));
  const Handle release = child(project(), 0);
  EXPECT_EQ(tree.topLevelItem(0)->childCount(), 2);
  EXPECT_EQ(tree.row_of(child(release, 0)), nullptr);

  // A click in the tree makes the folder current; the list shows its children in list order.
  tree.setCurrentItem(tree.row_of(release));
  EXPECT_EQ(s().current_folder(), release);
  TaskListView& list = window_->task_list();
  ASSERT_EQ(list.topLevelItemCount(), 2);
  for (int row = 0; row < 2; ++row) EXPECT_EQ(ZTLPlugin_GetListItemIndex(list.handle_at(row)), row);
  EXPECT_EQ(list.topLevelItem(0)->text(TaskListView::kProgress), "10%");

  // Rows chosen by the user are the host's current item and selection.
  list.setCurrentItem(list.topLevelItem(1));
  EXPECT_EQ(s().current_item(), child(release, 1));
  list.topLevelItem(0)->setSelected(true);
  EXPECT_EQ(s().selection(), (std::vector<Handle>{child(release, 1), child(release, 0)}));

  // And what a script selects is what the list shows.
  s().select_only({child(release, 0)});
  window_->follow_model();
  EXPECT_TRUE(list.topLevelItem(0)->isSelected());
  EXPECT_FALSE(list.topLevelItem(1)->isSelected());
}

TEST_F(MainWindowTest, EditorPaneShowsTheModelsSelectionAndHandsTypingBack) {
  const Handle task = child(child(project(), 0), 0);
  s().set_current_item(task);
  ASSERT_EQ(ZTLPlugin_EditSetSelStart(12), 0);  // "一行目\r\n" is 11 bytes: "s" of "second"
  ASSERT_EQ(ZTLPlugin_EditSetSelLength(6), 0);
  window_->follow_model();
  EditorPane& pane = window_->editor_pane();
  EXPECT_EQ(pane.toPlainText(), QString::fromUtf8("一行目\nsecond line\n"));
  EXPECT_EQ(pane.textCursor().selectedText(), "econd ");

  // The user's caret becomes the model's, in bytes of the document's text.
  QTextCursor cursor = pane.textCursor();
  cursor.setPosition(3);
  pane.setTextCursor(cursor);
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 9);
  EXPECT_EQ(ZTLPlugin_EditGetSelLength(), 0);

  // Typing goes to the document, with CR LF breaks, when the pane loses the focus.
  pane.setFocus();
  QTest::sendKeyEvent(QTest::Click, &pane, Qt::Key_unknown, QString::fromUtf8("だ"), Qt::NoModifier);
  QTest::keyClick(&pane, Qt::Key_Return);
  EXPECT_TRUE(pane.edit_pending());
  window_->task_list().setFocus();
  QApplication::processEvents();
  const std::string text = s().store().document(s().current_document())->data.text;
  EXPECT_EQ(text, "一行目だ\r\n\r\nsecond line\r\n");
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 14);  // after "一行目だ\r\n"
  for (int tick = 0; tick < 20 && saved().find("一行目だ") == std::string::npos; ++tick) QTest::qWait(50);
  EXPECT_NE(saved().find("一行目だ"), std::string::npos) << "saved as the window saves every change";
}

TEST_F(MainWindowTest, EditorPaneScrollsToTheModelsTopRowWrappedAtItsColumns) {
  const Handle task = child(child(project(), 0), 0);
  s().set_current_item(task);
  // Line 0 is 100 full-width characters: 300 bytes in UTF-8, so rows 0 to 3
  // of the model; the lines after it are short.
  std::string text;
  for (int i = 0; i < 100; ++i) text += "あ";
  text += "\r\n";
  for (int line = 1; line < 60; ++line) text += "line " + std::to_string(line) + "\r\n";
  ASSERT_EQ(ZTLPlugin_SetDescriptionStr(s().current_document(), text.c_str()), ZTL_TRUE);
  ZTLPlugin_EditSetTopRow(4 + 20);  // the row of line 21
  window_->follow_model();
  EditorPane& pane = window_->editor_pane();
  EXPECT_EQ(pane.cursorForPosition(QPoint(4, 4)).blockNumber(), 21);
  // A full-width character is two columns of the pane, so line 0 wraps too.
  EXPECT_GT(pane.document()->firstBlock().layout()->lineCount(), 1);
}

TEST_F(MainWindowTest, ScriptRunFromTheMenuChangesTheTreeAndTheViewShowsIt) {
  const Handle release = child(project(), 0);
  s().set_current_folder(release);
  window_->follow_model();
  const int rows_before = window_->project_tree().row_of(release)->childCount();
  action("フォルダを作る")->trigger();
  ASSERT_EQ(s().store().item(release)->children.size(), 3u) << "the script made a folder";
  const Handle made = child(release, 2);
  QTreeWidgetItem* row = window_->project_tree().row_of(made);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->text(0), QString::fromUtf8("スクリプトのフォルダ"));
  EXPECT_EQ(window_->project_tree().row_of(release)->childCount(), rows_before + 1);
  EXPECT_EQ(window_->task_list().handle_at(2), made);
  EXPECT_NE(saved().find("スクリプトのフォルダ"), std::string::npos);
  EXPECT_TRUE(action("フォルダを作る")->isEnabled()) << "enabled again after the run";
}

TEST_F(MainWindowTest, UpdateBracketOfAThousandChangesRedrawsTheTaskListOnce) {
  s().set_current_folder(child(project(), 0));
  window_->follow_model();
  const int before = window_->task_list().rebuild_count();
  // The window looks at the model at every turn of the pump, not only at its ticks.
  QTimer eager;
  QObject::connect(&eager, &QTimer::timeout, [this] { window_->follow_model(); });
  eager.start(0);
  action("千回の変更")->trigger();
  eager.stop();
  EXPECT_EQ(window_->task_list().rebuild_count(), before + 1);
  EXPECT_EQ(platform::locked_window(), 0u);
  // The one redraw came after the last change: the rows show the final values.
  EXPECT_EQ(window_->task_list().topLevelItem(0)->text(TaskListView::kProgress), "89%");  // 998 % 101
  EXPECT_EQ(window_->task_list().topLevelItem(1)->text(TaskListView::kProgress), "90%");
}

TEST_F(MainWindowTest, CancelButtonEndsALoopingScriptAndTheWindowStaysResponsive) {
  bool disabled_during_run = false;
  bool nested_run_refused = false;
  QTimer::singleShot(300, [&] {
    disabled_during_run = !action("フォルダを作る")->isEnabled();
    nested_run_refused = !window_->run_command(10);
    window_->close();  // deferred until the run ends
  });
  QTimer::singleShot(600, [] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() != "WaitForm" || !top->isVisible()) continue;
      if (auto* cancel = top->findChild<QAbstractButton*>("CancelButton")) cancel->click();
    }
  });
  QElapsedTimer running;
  running.start();
  action("終わらない")->trigger();
  EXPECT_LT(running.elapsed(), 5000);
  EXPECT_TRUE(disabled_during_run);
  EXPECT_TRUE(nested_run_refused);
  EXPECT_EQ(s().store().item(child(project(), 0))->children.size(), 2u) << "the refused command did not run";
  EXPECT_TRUE(window_->isVisible()) << "the close waits for the end of the run";
  QTest::qWait(50);
  EXPECT_FALSE(window_->isVisible()) << "and happens then";
}

TEST_F(MainWindowTest, ExternalScriptsAreServedWhileTheWindowIsOpen) {
  s().set_current_folder(child(project(), 0));
  window_->follow_model();
  QProcess script;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("RUBYLIB", ZTL_STAGE_DIR "/ruby");
  script.setProcessEnvironment(environment);
  script.start("ruby", {"-e", QString::fromUtf8("require 'ztl'; Ztl.ztl_exec_command('NewTask', '外から')")});
  ASSERT_TRUE(script.waitForStarted());
  // The window's own event loop serves it: the user keeps working meanwhile.
  QElapsedTimer waiting;
  waiting.start();
  while (script.state() != QProcess::NotRunning && waiting.elapsed() < 8000) QTest::qWait(20);
  ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
  window_->follow_model();
  const int rows = window_->task_list().topLevelItemCount();
  ASSERT_EQ(rows, 3);
  EXPECT_EQ(window_->task_list().topLevelItem(2)->text(TaskListView::kTitle), QString::fromUtf8("外から"));
  EXPECT_TRUE(action("フォルダを作る")->isEnabled()) << "enabled again once the script was served";
}

// Without a wait form, the host's message pump alone keeps the window alive.
TEST_F(MainWindowTest, TheMessagePumpProcessesTheWindowsEventsDuringARun) {
  window_.reset();
  bool stop = false;
  QElapsedTimer running;
  // Bounded, so that a pump that processes nothing fails the test instead of hanging it.
  MainWindow window({{7, "Scriptlink_Pump", "ポンプ", -1, 0}}, [&](std::uint32_t) {
    while (!stop && running.elapsed() < 5000) ZTLPlugin_ExecMessageProc();
  });
  window.show();
  bool enabled_during_run = true;
  QTimer::singleShot(100, [&] {
    enabled_during_run = window.command_actions().front()->isEnabled();
    stop = true;
  });
  running.start();
  ASSERT_TRUE(window.run_command(7));
  EXPECT_LT(running.elapsed(), 5000);
  EXPECT_FALSE(enabled_during_run);
  EXPECT_TRUE(window.command_actions().front()->isEnabled());
}

TEST_F(MainWindowTest, QuittingWithChangesSavesThem) {
  ASSERT_EQ(zentrella::run_host_command("NewTask", false, {"終了前の変更"}), -1);
  ASSERT_FALSE(s().dirty_files().empty());
  window_->request_close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(s().dirty_files().empty());
  EXPECT_NE(saved().find("終了前の変更"), std::string::npos);
  EXPECT_EQ(window_->exit_code(), 0);
}

// The host command "Close" (what the command list's restart question sends)
// quits the window as the user's quit does.
TEST_F(MainWindowTest, TheHostsCloseCommandQuitsTheWindowWithTheChangesSaved) {
  ASSERT_EQ(zentrella::run_host_command("NewTask", false, {"閉じる前の変更"}), -1);
  ASSERT_EQ(zentrella::run_host_command("Close", false, {}), -1);
  for (int i = 0; i < 50 && window_->isVisible(); ++i) QTest::qWait(20);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(zentrella::close_requested());
  EXPECT_NE(saved().find("閉じる前の変更"), std::string::npos);
}

// The boxes the window asks while it closes, answered as they come: "OK" to
// a report, the given answer to the question.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QMessageBox::StandardButton answer) {
    QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      const bool question = box->button(QMessageBox::Yes) != nullptr;
      questions_ += question ? 1 : 0;
      question ? box->button(answer)->click() : box->accept();
    });
    timer_.start(20);
  }
  int questions() const { return questions_; }

 private:
  QTimer timer_;
  int questions_ = 0;
};

TEST_F(MainWindowTest, AFailedSaveOnQuittingAsksBeforeTheChangesAreLost) {
  // A project file below a plain file cannot be written, whoever runs the test.
  s().store().item(project())->file_name = project_file() + "/below-a-file.json";
  ASSERT_EQ(zentrella::run_host_command("NewTask", false, {"保存できない変更"}), -1);
  {
    const BoxAnswerer keep_it(QMessageBox::No);
    window_->request_close();
    EXPECT_EQ(keep_it.questions(), 1);
  }
  EXPECT_TRUE(window_->isVisible()) << "the user chose to stay";
  EXPECT_FALSE(s().dirty_files().empty());
  {
    const BoxAnswerer leave(QMessageBox::Yes);
    window_->request_close();
    EXPECT_EQ(leave.questions(), 1);
  }
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(window_->exit_code(), 1);
  s().clear_dirty();
}

}  // namespace
}  // namespace desktop

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
