// Every dialog of the system drawn into PNG files with Japanese texts, so a
// person can look at the layouts without a desktop.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <fstream>

#include <dlfcn.h>

#include <QCoreApplication>

#include "command_form_widget.h"
#include "command_list_widget.h"
#include "date_dialog_widget.h"
#include "desktop/desktop_front_end.h"
#include "dialog_layout.h"
#include "file_chooser_widget.h"
#include "input_dialog_widget.h"
#include "item_select_widget.h"
#include "script_list_widget.h"
#include "wait_window.h"

namespace desktop {

namespace {

namespace prompt = platform::prompt;

// The dialog under a plain title bar with its caption: a grab holds only the
// client area, and the caption is part of what a person must check.
std::string save(QWidget& widget, const QString& folder, const QString& name) {
  widget.show();
  QApplication::processEvents();
  const QPixmap client = widget.grab();
  // In logical pixels: on a denser screen the grab holds more device pixels.
  const double ratio = client.devicePixelRatio();
  const int width = widget.width();
  const int bar = scaled(widget, 24);
  QImage picture(qRound(width * ratio), qRound((widget.height() + bar) * ratio), QImage::Format_RGB32);
  picture.setDevicePixelRatio(ratio);
  picture.fill(QColor(0x3a, 0x6e, 0xa5));
  QPainter painter(&picture);
  painter.setPen(Qt::white);
  painter.setFont(dialog_font(widget));
  painter.drawText(QRect(scaled(widget, 6), 0, width - scaled(widget, 12), bar), Qt::AlignVCenter | Qt::AlignLeft,
                   widget.windowTitle());
  painter.drawPixmap(0, bar, client);
  painter.end();
  const QString path = QDir(folder).filePath(name + ".png");
  picture.save(path, "PNG");
  widget.hide();
  return path.toStdString();
}

prompt::ItemSelection sample_selection() {
  prompt::ItemNode work{1, "仕事", true, {}};
  prompt::ItemNode release{2, "リリース 2.0", true,
                           {{3, "リリースノートを書く", true, {}}, {4, "インストーラを作る", true, {}}}};
  work.children = {release, {5, "資料", true, {}}};
  prompt::ItemNode home{6, "家", true, {{7, "買い物", true, {{8, "牛乳", true, {}}}}}};
  return prompt::ItemSelection("アイテムの選択", {work, home, {9, "ごみ箱", true, {}}, {10, "スクラップ", true, {}}}, 3);
}

std::vector<prompt::CommandEntry> sample_commands() {
  const auto command = [](std::uint32_t number, const char* caption, const char* script, int icon) {
    prompt::CommandEntry entry;
    entry.number = number;
    entry.caption = caption;
    entry.script = script;
    entry.icon = icon;
    return entry;
  };
  return {command(10, "今日のタスク一覧", "daily/today.rb", 12), command(12, "締切の近いタスク", "due_soon.rb", 15),
          command(11, "クリップボードから登録", "tools/from_clipboard.rb", 13),
          command(100, "週報を作る", "reports/weekly.rb", 18)};
}

// The plug-in beside the renderer carries the command icons.
void* command_icon_module() {
  const std::string plugin = QCoreApplication::applicationDirPath().toStdString() + "/Scriptlink.so";
  return ::dlopen(plugin.c_str(), RTLD_LAZY | RTLD_LOCAL);
}

}  // namespace

std::vector<std::string> render_dialogs(const std::string& folder) {
  install_japanese_texts();
  QDir().mkpath(QString::fromStdString(folder));
  const QString where = QString::fromStdString(folder);
  std::vector<std::string> written;

  prompt::InputDialog input;
  input.caption = "Script Link";
  input.prompt = "タスク名を入力してください";
  input.set_choices("会議の準備\n資料を印刷する\n電話をかける");
  input.set_initial_text("新しいタスク");
  InputDialogWidget input_widget(input);
  written.push_back(save(input_widget, where, "input-dialog"));

  prompt::ItemSelection selection = sample_selection();
  ItemSelectWidget select_widget(selection);
  written.push_back(save(select_widget, where, "item-select-dialog"));

  prompt::DateDialog date("締切日", prompt::CalendarTime{2026, 12, 8, 17, 30, 0});
  DateDialogWidget date_widget(date);
  written.push_back(save(date_widget, where, "date-dialog"));

  prompt::FileChooser open("スクリプトを開く", prompt::FileChooser::Mode::open, QDir::homePath().toStdString(),
                           {{"Ruby スクリプト", {"*.rb"}}, {"すべてのファイル", {"*"}}});
  FileChooserWidget chooser(open);
  chooser.resize(scaled(chooser, 560), scaled(chooser, 360));
  written.push_back(save(chooser, where, "file-chooser"));

  // The script list over a folder of a few sample scripts.
  QTemporaryDir scripts;
  const std::pair<const char*, const char*> samples[] = {
      {"hello.rb", "#! ruby\n# あいさつを表示する\nputs 'hello'\n"},
      {"集計.rb", "# 今週のタスクを集計してクリップボードへ\n"},
      {"export_csv.rb", "#! ruby\n#　選択したプロジェクトをCSVで書き出す\n"},
      {"backup.rb", "require 'ztl'\n"},
      {"Weekly.rb", "# 週報の下書きを作る\n"}};
  for (const auto& [file, text] : samples) std::ofstream(QDir(scripts.path()).filePath(file).toStdString()) << text;
  prompt::ScriptList scripts_dialog(scripts.path().toStdString(), {});
  scripts_dialog.fill();
  scripts_dialog.type_name("hel");
  scripts_dialog.options = "-v";
  ScriptListWidget scripts_widget(scripts_dialog);
  written.push_back(save(scripts_widget, where, "script-list"));

  WaitWindow wait("スクリプト実行中", "集計.rb");
  written.push_back(save(wait, where, "wait-form"));

  QMessageBox question(QMessageBox::Warning, "Scriptlink",
                       QString::fromUtf8("他のRubyスクリプトが実行中です。強制終了させる場合は「はい」を押してください。"));
  question.setFont(dialog_font(question));
  question.addButton(QString::fromUtf8("はい(&Y)"), QMessageBox::YesRole);
  question.addButton(QString::fromUtf8("キャンセル"), QMessageBox::RejectRole);
  written.push_back(save(question, where, "message-box"));

  const std::string script_folder = QDir::homePath().toStdString() + "/.local/share/zentrella/Script/";
  prompt::CommandList commands(sample_commands(), script_folder);
  commands.select_row(1);
  CommandListWidget list_widget(commands);
  written.push_back(save(list_widget, where, "command-list-dialog"));

  prompt::CommandEditor editor = commands.editor_for_edit();
  editor.icon_module = command_icon_module();
  editor.set_options("--since \"先週\"");
  editor.set_output("*.txt");
  editor.set_hide_console(true);
  editor.set_type(1);
  CommandFormWidget editor_widget(editor);
  written.push_back(save(editor_widget, where, "command-editor-dialog"));
  return written;
}

}  // namespace desktop
