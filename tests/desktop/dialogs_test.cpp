// The desktop dialogs driven through their widgets, as a user would: keys go
// to whatever has the focus. Runs on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <desktop/desktop_front_end.h>
#include <platform/prompt.h>

#include "date_dialog_widget.h"
#include "dialog_layout.h"
#include "file_chooser_widget.h"
#include "input_dialog_widget.h"
#include "item_select_widget.h"
#include "wait_window.h"

namespace desktop {
namespace {

namespace prompt = platform::prompt;

void show_active(QWidget& widget) {
  widget.show();
  widget.activateWindow();  // without a window manager (Xvfb) nobody else does
  ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
}

void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
void type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text)); }

template <typename T>
T* child(QWidget& parent, const char* name) {
  T* found = parent.findChild<T*>(name);
  EXPECT_NE(found, nullptr) << name;
  return found;
}

prompt::InputDialog input(const char* initial, const char* choices) {
  prompt::InputDialog dialog;
  dialog.caption = "題";
  dialog.prompt = "入力してください";
  dialog.set_initial_text(initial);
  dialog.set_choices(choices);
  return dialog;
}

TEST(InputDialogWidget, TypingGoesStraightIntoTheFieldAndEnterConfirms) {
  prompt::InputDialog dialog = input("最初", "alpha\nbeta");
  InputDialogWidget widget(dialog);
  show_active(widget);
  EXPECT_EQ(QApplication::focusWidget(), child<QComboBox>(widget, "InputCombo"));
  type("new task");
  press(Qt::Key_Return);
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.text(), "new task");
  EXPECT_FALSE(dialog.selected());
  EXPECT_EQ(child<QComboBox>(widget, "InputCombo")->count(), 2) << "typing must not add a choice";
}

TEST(InputDialogWidget, EscapeCancelsAndLeavesTheText) {
  prompt::InputDialog dialog = input("最初", "");
  InputDialogWidget widget(dialog);
  show_active(widget);
  type("x");
  press(Qt::Key_Escape);
  EXPECT_EQ(widget.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.text(), "最初");
}

TEST(InputDialogWidget, TheInitialTextStandsInTheFieldAndAChoiceCanBePicked) {
  prompt::InputDialog dialog = input("beta", "alpha\r\nbeta\rgamma");
  InputDialogWidget widget(dialog);
  show_active(widget);
  auto* combo = child<QComboBox>(widget, "InputCombo");
  EXPECT_EQ(combo->currentText(), "beta");
  EXPECT_EQ(combo->count(), 3);
  press(Qt::Key_Down);
  press(Qt::Key_Return);
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.text(), "gamma");
  EXPECT_EQ(dialog.selected(), std::optional<std::size_t>(2));
}

TEST(InputDialogWidget, TabGoesToOKThenCancelWhichCancels) {
  prompt::InputDialog dialog = input("", "");
  InputDialogWidget widget(dialog);
  show_active(widget);
  // Tab order: OK, Cancel, then the field; from the field Tab goes to OK.
  press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), child<QPushButton>(widget, "OKButton"));
  press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), child<QPushButton>(widget, "Button2"));
  press(Qt::Key_Space);
  EXPECT_EQ(widget.result(), QDialog::Rejected);
}

// The input dialog's layout at 96 dpi, scaled on other densities.
TEST(InputDialogWidget, GeometryFollowsTheDesign) {
  prompt::InputDialog dialog = input("", "");
  InputDialogWidget widget(dialog);
  show_active(widget);
  // Device pixels per design pixel: what QT_FONT_DPI asks for (a denser screen), else one.
  const char* asked_dpi = std::getenv("QT_FONT_DPI");
  EXPECT_DOUBLE_EQ(scaled(widget, 96) * widget.devicePixelRatioF() / 96, asked_dpi ? std::atof(asked_dpi) / 96 : 1.0);
  EXPECT_EQ(widget.size(), QSize(scaled(widget, 386), scaled(widget, 103)));
  EXPECT_EQ(child<QLabel>(widget, "InputLabel")->geometry().topLeft(), QPoint(scaled(widget, 24), scaled(widget, 8)));
  EXPECT_EQ(child<QComboBox>(widget, "InputCombo")->geometry(), scaled(widget, QRect(24, 32, 345, 20)));
  EXPECT_EQ(child<QPushButton>(widget, "OKButton")->geometry(), scaled(widget, QRect(208, 72, 75, 25)));
  EXPECT_EQ(child<QPushButton>(widget, "Button2")->geometry(), scaled(widget, QRect(288, 72, 75, 25)));
  EXPECT_EQ(child<QPushButton>(widget, "OKButton")->text(), "&OK");
  EXPECT_EQ(child<QPushButton>(widget, "Button2")->text(), QString::fromUtf8("キャンセル"));
  EXPECT_TRUE(child<QPushButton>(widget, "OKButton")->isDefault());
  EXPECT_EQ(widget.windowTitle(), QString::fromUtf8("題"));
}

prompt::ItemSelection tree(std::uint32_t start) {
  prompt::ItemNode project{1, "家", false, {{2, "買い物", true, {{3, "牛乳", true, {}}}}}};
  return prompt::ItemSelection("選ぶ", {project, {4, "スクラップ", true, {}}}, start);
}

TEST(ItemSelectWidget, OKOnlyOnAnItemThatMayBeChosen) {
  prompt::ItemSelection selection = tree(0);
  ItemSelectWidget widget(selection);
  show_active(widget);
  auto* ok = child<QPushButton>(widget, "OKButton");
  auto* items = child<QTreeWidget>(widget, "ItemTree");
  EXPECT_FALSE(ok->isEnabled());
  items->setCurrentItem(items->topLevelItem(0));  // a project that may not be chosen
  EXPECT_FALSE(ok->isEnabled());
  press(Qt::Key_Return);
  EXPECT_TRUE(widget.isVisible()) << "Enter on an item that may not be chosen closed the dialog";
  items->setFocus();
  press(Qt::Key_Down);  // 買い物
  EXPECT_TRUE(ok->isEnabled());
  press(Qt::Key_Return);
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_EQ(selection.selected(), 2u);
}

TEST(ItemSelectWidget, TheStartItemIsSelectedAndEscapeCancels) {
  prompt::ItemSelection selection = tree(3);
  ItemSelectWidget widget(selection);
  show_active(widget);
  EXPECT_EQ(child<QTreeWidget>(widget, "ItemTree")->currentItem()->text(0), QString::fromUtf8("牛乳"));
  EXPECT_TRUE(child<QPushButton>(widget, "OKButton")->isEnabled());
  press(Qt::Key_Escape);
  EXPECT_EQ(widget.result(), QDialog::Rejected);
  EXPECT_EQ(widget.size(), QSize(scaled(widget, 360), scaled(widget, 400)));
  EXPECT_EQ(child<QTreeWidget>(widget, "ItemTree")->geometry(), scaled(widget, QRect(8, 8, 344, 352)));
  EXPECT_EQ(child<QPushButton>(widget, "OKButton")->geometry(), scaled(widget, QRect(192, 368, 75, 25)));
  EXPECT_EQ(child<QPushButton>(widget, "CancelButton")->geometry(), scaled(widget, QRect(277, 368, 75, 25)));
}

TEST(DateDialogWidget, TheDayAndTimeChosenComeBack) {
  prompt::DateDialog dialog("締切", prompt::CalendarTime{2024, 5, 1, 10, 30, 0});
  DateDialogWidget widget(dialog);
  show_active(widget);
  auto* calendar = child<QCalendarWidget>(widget, "Calendar");
  EXPECT_EQ(calendar->selectedDate(), QDate(2024, 5, 1));
  calendar->setSelectedDate(QDate(2024, 2, 29));
  child<QTimeEdit>(widget, "TimeEdit")->setTime(QTime(23, 59, 58));
  press(Qt::Key_Return);
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.value(), (prompt::CalendarTime{2024, 2, 29, 23, 59, 58}));
  EXPECT_EQ(widget.size(), QSize(scaled(widget, 280), scaled(widget, 276)));
  EXPECT_EQ(calendar->geometry(), scaled(widget, QRect(8, 8, 264, 192)));
  EXPECT_EQ(child<QPushButton>(widget, "OKButton")->geometry(), scaled(widget, QRect(112, 243, 75, 25)));
  EXPECT_EQ(child<QPushButton>(widget, "CancelButton")->geometry(), scaled(widget, QRect(197, 243, 75, 25)));
}

TEST(DateDialogWidget, AnEmptyDateIsAllowedAndEscapeKeepsTheOldOne) {
  prompt::DateDialog empty("締切", std::nullopt);
  {
    DateDialogWidget widget(empty);
    show_active(widget);
    EXPECT_TRUE(child<QCheckBox>(widget, "NoDateCheck")->isChecked());
    EXPECT_FALSE(child<QCalendarWidget>(widget, "Calendar")->isEnabled());
    press(Qt::Key_Return);
    EXPECT_EQ(widget.result(), QDialog::Accepted);
    EXPECT_FALSE(empty.value());
  }
  prompt::DateDialog dated("締切", prompt::CalendarTime{2024, 5, 1, 0, 0, 0});
  DateDialogWidget widget(dated);
  show_active(widget);
  child<QCheckBox>(widget, "NoDateCheck")->setChecked(true);
  press(Qt::Key_Escape);
  EXPECT_EQ(widget.result(), QDialog::Rejected);
  EXPECT_TRUE(dated.value());
}

TEST(WaitWindow, CancelAndEscapeAskOnceEachAndTheFormStaysUntilClosed) {
  WaitWindow window("スクリプト実行中", "集計.rb");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(child<QLabel>(window, "WaitLabel")->text(), QString::fromUtf8("集計.rb"));
  window.set_label("次.rb");
  EXPECT_EQ(child<QLabel>(window, "WaitLabel")->text(), QString::fromUtf8("次.rb"));
  EXPECT_FALSE(window.pump());
  QTest::mouseClick(child<QPushButton>(window, "CancelButton"), Qt::LeftButton);
  EXPECT_TRUE(window.pump());
  EXPECT_FALSE(window.pump()) << "one press, one cancel";
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.pump());
  EXPECT_EQ(window.size(), QSize(scaled(window, 320), scaled(window, 96)));
  EXPECT_EQ(child<QPushButton>(window, "CancelButton")->geometry(), scaled(window, QRect(122, 60, 75, 25)));
}

TEST(DesktopFrontEnd, AMessageBoxAnswersWithTheButtonPressedOrWhatChangesNothing) {
  auto front = make_desktop_front_end();
  auto click_default = [] {
    QTimer::singleShot(50, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
  };
  click_default();
  EXPECT_EQ(front->message_box("続けますか?", "確認", prompt::Buttons::yes_no, prompt::Icon::question),
            prompt::Answer::yes);
  QTimer::singleShot(50, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
  EXPECT_EQ(front->message_box("続けますか?", "確認", prompt::Buttons::yes_no_cancel, prompt::Icon::none),
            prompt::Answer::cancel);
  bool gone = true;
  prompt::AskerWatch watch([](void* flag) { return *static_cast<bool*>(flag); }, &gone);
  EXPECT_EQ(front->message_box("止めますか?", "確認", prompt::Buttons::yes_no, prompt::Icon::warning),
            prompt::Answer::no);
}

TEST(FileChooserWidget, ATypedNameIsTakenOnlyWhenTheModeCanUseIt) {
  const QString folder = QDir::temp().filePath(QString("ztl-desktop-%1").arg(QCoreApplication::applicationPid()));
  QDir().mkpath(folder);
  prompt::FileChooser chooser("保存", prompt::FileChooser::Mode::save, folder.toStdString(),
                              {{"テキスト", {"*.txt"}}});
  FileChooserWidget widget(chooser);
  show_active(widget);
  auto* name = child<QLineEdit>(widget, "fileNameEdit");
  name->setFocus();
  type("nowhere/out.txt");
  press(Qt::Key_Return);
  EXPECT_TRUE(widget.isVisible()) << "a name in a folder that does not exist was taken";
  name->clear();
  type("out.txt");
  press(Qt::Key_Return);
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_EQ(chooser.chosen(), QDir(folder).filePath("out.txt").toStdString());
  QDir(folder).removeRecursively();
}

// Sets a variable (or unsets it for nullptr) for the scope, then puts it back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedVariable() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DisplayReachable, OnlyADisplayThatAnswersCounts) {
  const QString runtime = QDir::temp().filePath(QString("ztl-display-%1").arg(QCoreApplication::applicationPid()));
  QDir().mkpath(runtime);
  ScopedVariable platform("QT_QPA_PLATFORM", nullptr);
  ScopedVariable runtime_dir("XDG_RUNTIME_DIR", runtime.toUtf8().constData());
  ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-test");
  ScopedVariable x("DISPLAY", ":9917");
  EXPECT_FALSE(display_reachable()) << "names without a server";
  {
    ScopedVariable remote("DISPLAY", "localhost:9917");
    EXPECT_FALSE(display_reachable());
  }
  const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = (runtime + "/wayland-test").toStdString();
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(server, 1), 0);
  EXPECT_TRUE(display_reachable()) << "a Wayland server that answers";
  ::close(server);
  {
    ScopedVariable chosen("QT_QPA_PLATFORM", "offscreen");
    ScopedVariable none("WAYLAND_DISPLAY", nullptr);
    EXPECT_TRUE(display_reachable()) << "a Qt platform chosen explicitly";
  }
  QDir(runtime).removeRecursively();
}

// The asker of a dialog ends while it is open: the dialog closes as cancelled.
TEST(DesktopFrontEnd, ADialogWhoseAskerEndedClosesAsCancelled) {
  bool gone = false;
  prompt::AskerWatch watch([](void* flag) { return *static_cast<bool*>(flag); }, &gone);
  QTimer::singleShot(200, [&gone] { gone = true; });
  prompt::InputDialog dialog = input("x", "");
  InputDialogWidget widget(dialog);
  QTimer::singleShot(5000, &widget, [&widget] { widget.done(42); });  // a dialog left open fails, not hangs
  EXPECT_EQ(widget.exec(), QDialog::Rejected);
}

}  // namespace
}  // namespace desktop

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
