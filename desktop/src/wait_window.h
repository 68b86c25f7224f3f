// The host's wait form on the desktop: the caption, the label (WaitLabel), the
// time running (TimeLabel) and a cancel button (CancelButton); Escape and the
// close box cancel too. It is not modal: the host goes on working and lets it
// handle its events whenever it processes its messages.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>

#include <platform/prompt.h>

namespace desktop {

class WaitWindow final : public QDialog, public platform::prompt::WaitWindow {
 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 96;

  WaitWindow(std::string_view caption, std::string_view label);

  void set_label(std::string_view label) override;
  bool pump() override;
  void reject() override;

 private:
  QLabel* label_;
  QLabel* time_;
  QElapsedTimer running_;
  bool cancelled_ = false;
};

}  // namespace desktop
