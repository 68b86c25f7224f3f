// The host's main window: the project tree, the task list of the current
// folder and the editor pane over the current document, all read from the
// host's one session and changed through it and the exported API; the
// plug-in's commands in a menu and a tool bar; ordinary editing of items.
//
// The window follows the model: whatever changed it (the user, a script, an
// external script the station serves), the views are made anew from it,
// except while a window lock or an update bracket holds (then once when it
// is released). While a plug-in command runs, the plug-in pumps the host's
// messages, which lets Qt process its events too; the plug-in's actions and
// the editing actions are disabled until the run ends.
#pragma once

#include <QComboBox>
#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "main_window/editor_pane.h"
#include "main_window/plugin_actions.h"
#include "main_window/project_tree_view.h"
#include "main_window/task_list_view.h"

namespace desktop {

class MainWindow final : public QMainWindow {
 public:
  using Execute = std::function<void(std::uint32_t number)>;

  MainWindow(std::vector<PluginCommand> commands, Execute execute, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Runs a plug-in command; refused (false) while another runs.
  bool run_command(std::uint32_t number);
  bool running() const { return busy_; }
  // Saves and quits (as the File menu's Quit does); while a script runs the
  // window closes when it ends.
  void request_close();
  // Writes every changed project file; false (and the user told) when one
  // could not be written.
  bool save();
  int exit_code() const { return exit_code_; }

  ProjectTreeView& project_tree() { return *tree_; }
  TaskListView& task_list() { return *list_; }
  EditorPane& editor_pane() { return *editor_; }
  const std::vector<QAction*>& command_actions() const { return command_actions_; }
  // Brings the views up to the model now (the window also does it ten times
  // a second).
  void follow_model();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_layout();
  void build_menus();
  QAction* add_edit_action(QMenu& menu, const char* text, void (MainWindow::*slot)(), QKeySequence keys = {});
  void tick();
  bool locked() const;
  void task_list_remake();
  void view_changed(bool folder_changed);
  void refresh_documents();
  void set_running(bool running);
  void report(const QString& text);
  void save_quietly();
  zentrella::Handle chosen_item() const;

  // The editing actions (main_window_actions.cpp).
  void new_task();
  void new_folder();
  void rename_item();
  void edit_properties();
  void move_items();
  void delete_items();
  void empty_recycle_bin();
  void add_document();
  void add_file_link();
  void open_file_link();
  void new_child(const char* command, const char* caption);

  Execute execute_;
  std::vector<PluginCommand> commands_;
  ProjectTreeView* tree_ = nullptr;
  TaskListView* list_ = nullptr;
  EditorPane* editor_ = nullptr;
  QComboBox* documents_ = nullptr;
  std::vector<QAction*> command_actions_;
  std::vector<QAction*> edit_actions_;
  QTimer tick_;
  std::uint64_t shown_revision_ = ~std::uint64_t{0};
  bool remake_pending_ = false;
  bool busy_ = false;
  bool actions_disabled_ = false;
  bool close_requested_ = false;
  bool closing_ = false;
  bool termination_seen_ = false;
  bool refreshing_documents_ = false;
  std::string shown_status_;
  std::string last_save_error_;
  int exit_code_ = 0;
};

}  // namespace desktop
