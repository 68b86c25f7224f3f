#include "dialog_layout.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QScreen>
#include <cmath>

#include <platform/prompt.h>

namespace desktop {

namespace {

double density(const QWidget& widget) {
  const QScreen* screen = widget.screen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

// The design font is not on Linux; a proportional Japanese Gothic of the
// same metrics keeps the layouts' pixel sizes.
void map_design_font() {
  static const bool mapped = [] {
    QFont::insertSubstitutions(QString::fromUtf8(kDesignFont), {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP"});
    return true;
  }();
  (void)mapped;
}

}  // namespace

int scaled(const QWidget& widget, int pixels) {
  return static_cast<int>(std::lround(pixels * density(widget)));
}

QRect scaled(const QWidget& widget, const QRect& rect) {
  return QRect(scaled(widget, rect.x()), scaled(widget, rect.y()), scaled(widget, rect.width()),
               scaled(widget, rect.height()));
}

QFont dialog_font(const QWidget& widget) {
  map_design_font();
  QFont font(QString::fromUtf8(kDesignFont));
  font.setPixelSize(scaled(widget, 12));
  return font;
}

void install_japanese_texts() {
  static QTranslator* translator = nullptr;
  if (translator != nullptr || QCoreApplication::instance() == nullptr) return;
  translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  }
}

void set_up_dialog(QDialog& dialog, const QString& caption, int width, int height) {
  dialog.setFont(dialog_font(dialog));
  // The system speaks Japanese: the calendar's months and days too.
  dialog.setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  dialog.setWindowTitle(caption);
  dialog.setFixedSize(scaled(dialog, width), scaled(dialog, height));
  dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);  // above the host, which owns it
}

AbandonWatch::AbandonWatch(QDialog& dialog) : QObject(&dialog) {
  timer_.setInterval(100);
  QObject::connect(&timer_, &QTimer::timeout, &dialog, [&dialog] {
    if (platform::prompt::abandoned()) dialog.reject();
  });
  timer_.start();
}

}  // namespace desktop
