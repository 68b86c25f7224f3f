// TScriptListForm on the desktop: the name, options and output fields, the
// two check boxes, the list of scripts and the buttons, laid out at 96 dpi
// and kept in place by their anchors when the window is resized. It only
// moves data between its widgets and the ScriptList it shows.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <vector>

#include <platform/script_list.h>

namespace desktop {

class ScriptListWidget : public QDialog {
 public:
  explicit ScriptListWidget(platform::prompt::ScriptList& dialog, QWidget* parent = nullptr);

  void done(int result) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Anchor { kRight = 1, kBottom = 2, kWidthFollows = 4, kHeightFollows = 8 };
  struct Placed {
    QWidget* widget;
    QRect design;
    int anchors;
  };

  template <typename T>
  T* place(T* widget, const char* name, QRect design, int anchors);
  void build();
  void connect_actions();
  // Runs a button's action; a failure is shown, the dialog stays.
  template <typename Action>
  void act(Action&& action);
  void fill_list();
  void show_selection();
  void show_state();
  void fit_description_column();

  platform::prompt::ScriptList& dialog_;
  std::vector<Placed> placed_;
  QLineEdit* name_ = nullptr;
  QLineEdit* options_ = nullptr;
  QLineEdit* output_ = nullptr;
  QLabel* output_label_ = nullptr;
  QPushButton* output_button_ = nullptr;
  QPushButton* options_button_ = nullptr;
  QCheckBox* clipboard_ = nullptr;
  QCheckBox* hide_console_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* new_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* commands_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* close_ = nullptr;
  QPushButton* help_ = nullptr;
  // Set while the widgets are updated from the dialog, so that their change
  // signals are not taken for the user's.
  bool showing_ = false;
};

}  // namespace desktop
