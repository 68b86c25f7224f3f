#include "file_chooser_widget.h"

#include "dialog_layout.h"

namespace desktop {

namespace {

QStringList name_filters(const std::vector<platform::prompt::FileFilter>& filters) {
  QStringList list;
  for (const platform::prompt::FileFilter& filter : filters) {
    QStringList patterns;
    for (const std::string& pattern : filter.patterns) patterns << QString::fromStdString(pattern);
    list << QString::fromStdString(filter.name) + " (" + patterns.join(' ') + ")";
  }
  return list;
}

}  // namespace

FileChooserWidget::FileChooserWidget(platform::prompt::FileChooser& chooser, QWidget* parent)
    : QFileDialog(parent, QString::fromStdString(chooser.caption()), QString::fromStdString(chooser.folder())),
      chooser_(chooser) {
  setObjectName("FileChooser");
  setOption(QFileDialog::DontUseNativeDialog);
  setFont(dialog_font(*this));
  setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  const bool open = chooser.mode() == platform::prompt::FileChooser::Mode::open;
  setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!chooser.filters().empty()) setNameFilters(name_filters(chooser.filters()));
  setLabelText(QFileDialog::Accept, QString::fromUtf8(open ? "開く(&O)" : "保存(&S)"));
  setLabelText(QFileDialog::Reject, QString::fromUtf8("キャンセル"));
  new AbandonWatch(*this);
}

void FileChooserWidget::accept() {
  const QStringList files = selectedFiles();
  if (files.isEmpty() || !chooser_.choose(files.first().toStdString())) return;  // stays open
  QFileDialog::accept();
}

}  // namespace desktop
