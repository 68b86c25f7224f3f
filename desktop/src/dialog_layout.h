// What every dialog shares: its pixel layout at 96 dpi scaled to the screen,
// the dialog font, and closing as cancelled when the prompt is abandoned.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QTimer>

namespace desktop {

// The font the layouts are designed for; a Japanese Gothic stands in for it.
inline constexpr const char* kDesignFont = "ＭＳ Ｐゴシック";

// Pixels at 96 dpi to pixels on the dialog's screen.
int scaled(const QWidget& widget, int pixels);
QRect scaled(const QWidget& widget, const QRect& rect);
// The design font, 12 pixels high at 96 dpi, scaled.
QFont dialog_font(const QWidget& widget);
// Qt's own texts (file dialogs, context menus) in Japanese, as the system's
// are; once per process, when the translation is installed.
void install_japanese_texts();
// Fixed client size, the font and the caption of a dialog.
void set_up_dialog(QDialog& dialog, const QString& caption, int width, int height);

// Rejects the dialog once the prompt is abandoned (its asker ended, a stop
// was requested); looked at ten times a second while the dialog is open.
class AbandonWatch : public QObject {
 public:
  explicit AbandonWatch(QDialog& dialog);

 private:
  QTimer timer_;
};

}  // namespace desktop
