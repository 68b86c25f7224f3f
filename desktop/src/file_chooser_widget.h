// The open and save dialogs on the desktop: Qt's own file dialog (not the
// platform's, so tests can drive it), accepting only what the FileChooser
// takes.
#pragma once

#include <QFileDialog>

#include <platform/prompt_dialogs.h>

namespace desktop {

class FileChooserWidget : public QFileDialog {
 public:
  explicit FileChooserWidget(platform::prompt::FileChooser& chooser, QWidget* parent = nullptr);

  void accept() override;

 private:
  platform::prompt::FileChooser& chooser_;
};

}  // namespace desktop
