#include "main_window/run_main_window.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <memory>

#include "cli/plugin_host.h"
#include "dialog_layout.h"
#include "main_window/item_dialog.h"
#include "main_window/main_window.h"
#include "model/session.h"
#include "model/wait_form.h"

namespace desktop {

namespace {

// The front end makes the application object on its first prompt; the main
// window needs it first. It is made for the window's life and no longer: one
// left to the exit handlers would outlive the platform plug-in it was made with.
std::unique_ptr<QApplication> application() {
  static int argc = 1;
  static char name[] = "zentrella";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> made;
  if (QApplication::instance() == nullptr) made = std::make_unique<QApplication>(argc, argv);
  install_japanese_texts();
  return made;
}

MainWindow::Execute executor(const zentrella::cli::PluginHost& plugin) {
  return [&plugin](std::uint32_t number) { plugin.entry().Execute(number, nullptr); };
}

// The widget under a plain title bar with its caption, as the dialogs are drawn.
QImage with_title_bar(QWidget& widget) {
  const QPixmap client = widget.grab();
  const double ratio = client.devicePixelRatio();
  const int bar = scaled(widget, 24);
  QImage picture(qRound(widget.width() * ratio), qRound((widget.height() + bar) * ratio), QImage::Format_RGB32);
  picture.setDevicePixelRatio(ratio);
  picture.fill(QColor(0x3a, 0x6e, 0xa5));
  QPainter painter(&picture);
  painter.setPen(Qt::white);
  painter.setFont(dialog_font(widget));
  painter.drawText(QRect(scaled(widget, 6), 0, widget.width() - scaled(widget, 12), bar),
                   Qt::AlignVCenter | Qt::AlignLeft, widget.windowTitle());
  painter.drawPixmap(0, bar, client);
  return picture;
}

}  // namespace

int run_main_window(const zentrella::cli::PluginHost& plugin) {
  const std::unique_ptr<QApplication> made = application();
  MainWindow window(plugin_commands(plugin.info(), plugin.module()), executor(plugin));
  window.show();
  QApplication::exec();
  return window.exit_code();
}

// The window as it is while a script runs: its command drawn from inside the
// run, the wait form shown over it.
void render_running(MainWindow& window, const QString& path) {
  zentrella::wait_form().show(nullptr, "スクリプト実行中", "集計.rb");
  QApplication::processEvents();
  QImage picture = with_title_bar(window);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() != "WaitForm" || !top->isVisible()) continue;
    const QImage form = with_title_bar(*top);
    QPainter painter(&picture);
    const double ratio = picture.devicePixelRatio();
    const QSizeF size = form.deviceIndependentSize();
    const QPointF at((picture.width() / ratio - size.width()) / 2, (picture.height() / ratio - size.height()) / 2);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.drawRect(QRectF(at - QPointF(1, 1), size + QSizeF(1, 1)));
    painter.drawImage(at, form);
  }
  picture.save(path, "PNG");
  zentrella::wait_form().close();
}

void render_main_window(const zentrella::cli::PluginHost* plugin, const char* folder) {
  const std::unique_ptr<QApplication> made = application();
  const QDir into(QString::fromUtf8(folder));
  QDir().mkpath(into.path());
  MainWindow window(plugin != nullptr ? plugin_commands(plugin->info(), plugin->module()) : std::vector<PluginCommand>{},
                    [&window, &into](std::uint32_t) {
                      render_running(window, into.filePath("main-window-wait-form.png"));
                    });
  window.show();
  QApplication::processEvents();
  window.follow_model();
  QApplication::processEvents();
  with_title_bar(window).save(into.filePath("main-window.png"), "PNG");
  window.run_command(0);

  ItemDialog properties(zentrella::session().current_item(), &window);
  properties.show();
  QApplication::processEvents();
  with_title_bar(properties).save(into.filePath("item-properties.png"), "PNG");
}

}  // namespace desktop
