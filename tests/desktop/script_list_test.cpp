// The script list on the desktop, driven through its widgets with QTest: the
// layout and its anchors, the name field's search, the keys, and the buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <platform/prompt.h>
#include <platform/script_list.h>

#include "dialog_layout.h"
#include "script_list_widget.h"

namespace desktop {
namespace {

namespace prompt = platform::prompt;

// Answers message boxes with OK and records their texts.
class RecordingFrontEnd final : public prompt::FrontEnd {
 public:
  std::vector<std::string> boxes;
  prompt::Answer message_box(std::string_view text, std::string_view, prompt::Buttons, prompt::Icon) override {
    boxes.emplace_back(text);
    return prompt::Answer::ok;
  }
  bool input_dialog(prompt::InputDialog&) override { return false; }
  bool select_item(prompt::ItemSelection&) override { return false; }
  bool choose_date(prompt::DateDialog&) override { return false; }
  bool choose_file(prompt::FileChooser&) override { return false; }
};

class ScriptListWidgetTest : public ::testing::Test {
 protected:
  static std::filesystem::path made_folder() {
    char pattern[] = "/tmp/ztl-desktop-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    return pattern;
  }

  void SetUp() override {
    auto owned = std::make_unique<RecordingFrontEnd>();
    front = owned.get();
    prompt::set_front_end(std::move(owned));
  }
  void TearDown() override {
    prompt::set_front_end(nullptr);
    std::filesystem::remove_all(folder_);
  }

  void scripts(std::initializer_list<const char*> names) {
    for (const char* name : names) std::ofstream(folder_ / name) << "# " << name << "\n";
    dialog.fill();
  }

  void show(ScriptListWidget& widget) {
    widget.show();
    widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
  }

  template <typename T>
  T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
  static void type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text)); }

  std::filesystem::path folder_ = made_folder();
  prompt::ScriptList dialog{folder_.string(), {}};
  RecordingFrontEnd* front = nullptr;
};

TEST_F(ScriptListWidgetTest, GeometryFollowsTheDesignAndTheAnchorsOnResize) {
  ScriptListWidget widget(dialog);
  show(widget);
  const auto at = [&](const char* name) { return child<QWidget>(widget, name)->geometry(); };
  EXPECT_EQ(widget.size(), QSize(scaled(widget, 448), scaled(widget, 365)));
  EXPECT_EQ(widget.windowTitle(), QString::fromUtf8("Rubyスクリプト一覧"));
  EXPECT_EQ(at("MacroEdit"), scaled(widget, QRect(88, 4, 345, 20)));
  EXPECT_EQ(at("MacroListView"), scaled(widget, QRect(0, 96, 442, 217)));
  EXPECT_EQ(at("Button1"), scaled(widget, QRect(361, 342, 75, 20)));

  widget.resize(widget.width() + 100, widget.height() + 50);
  QApplication::processEvents();
  const auto moved = [&](int x, int y, int w, int h, int dx, int dy, int dw, int dh) {
    QRect rect = scaled(widget, QRect(x, y, w, h));
    return QRect(rect.x() + dx, rect.y() + dy, rect.width() + dw, rect.height() + dh);
  };
  EXPECT_EQ(at("MacroEdit"), moved(88, 4, 345, 20, 0, 0, 100, 0));
  EXPECT_EQ(at("StdoutEdit"), moved(88, 52, 289, 20, 0, 0, 100, 0));
  EXPECT_EQ(at("OptionRefButton"), moved(384, 28, 50, 20, 100, 0, 0, 0));
  EXPECT_EQ(at("MacroListView"), moved(0, 96, 442, 217, 0, 0, 100, 50));
  EXPECT_EQ(at("EditButton"), moved(4, 320, 53, 20, 0, 50, 0, 0));
  EXPECT_EQ(at("CommandButton"), moved(5, 342, 108, 20, 0, 50, 0, 0));
  EXPECT_EQ(at("OKButton"), moved(201, 342, 75, 20, 100, 50, 0, 0));
  EXPECT_EQ(at("CopyClipbrdCheck"), scaled(widget, QRect(8, 76, 185, 17)));
}

TEST_F(ScriptListWidgetTest, TheDescriptionColumnTakesTheRestLessAScrollBarWhenNeeded) {
  scripts({"a.rb"});
  ScriptListWidget widget(dialog);
  show(widget);
  auto* list = child<QTreeWidget>(widget, "MacroListView");
  EXPECT_EQ(list->columnWidth(0), scaled(widget, 20));
  EXPECT_EQ(list->columnWidth(1), scaled(widget, 120));
  const int room = list->width() - list->columnWidth(0) - list->columnWidth(1) - scaled(widget, 5);
  EXPECT_EQ(list->columnWidth(2), room);
  EXPECT_FALSE(list->header()->sectionsClickable());

  for (int i = 0; i < 40; ++i) std::ofstream(folder_ / ("s" + std::to_string(i) + ".rb")) << "";
  dialog.fill();
  ScriptListWidget full(dialog);
  show(full);
  auto* long_list = child<QTreeWidget>(full, "MacroListView");
  EXPECT_EQ(long_list->columnWidth(2), room - long_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

TEST_F(ScriptListWidgetTest, TypingSearchesAndCompletesASingleMatch) {
  scripts({"alpha.rb", "beta.rb", "bravo.rb"});
  ScriptListWidget widget(dialog);
  show(widget);
  auto* name = child<QLineEdit>(widget, "MacroEdit");
  auto* list = child<QTreeWidget>(widget, "MacroListView");
  ASSERT_EQ(QApplication::focusWidget(), name);
  type("b");
  EXPECT_TRUE(list->selectedItems().isEmpty());
  EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
  EXPECT_FALSE(child<QPushButton>(widget, "EditButton")->isEnabled());
  type("e");
  EXPECT_EQ(name->text(), "beta");
  ASSERT_EQ(list->selectedItems().size(), 1);
  EXPECT_EQ(list->selectedItems().front(), list->topLevelItem(1));
  EXPECT_TRUE(child<QPushButton>(widget, "EditButton")->isEnabled());
  EXPECT_TRUE(child<QPushButton>(widget, "DeleteButton")->isEnabled());
  EXPECT_EQ(list->topLevelItem(1)->text(2), "beta.rb");
}

TEST_F(ScriptListWidgetTest, DownMovesIntoTheListAndEnterRuns) {
  scripts({"alpha.rb", "beta.rb"});
  ScriptListWidget widget(dialog);
  show(widget);
  press(Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), child<QTreeWidget>(widget, "MacroListView"));
  EXPECT_EQ(dialog.selected(), 0u);
  EXPECT_EQ(child<QLineEdit>(widget, "MacroEdit")->text(), "alpha");
  press(Qt::Key_Down);  // the list's own key moves on
  EXPECT_EQ(dialog.selected(), 1u);
  EXPECT_EQ(child<QLineEdit>(widget, "MacroEdit")->text(), "beta");
  press(Qt::Key_Return);
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.script(), (folder_ / "beta.rb").string());
}

TEST_F(ScriptListWidgetTest, RunWithNothingSelectedWarnsAndStaysOpen) {
  scripts({});
  ScriptListWidget widget(dialog);
  show(widget);
  press(Qt::Key_Return);
  EXPECT_TRUE(widget.isVisible());
  EXPECT_EQ(front->boxes, (std::vector<std::string>{prompt::ScriptList::kNoScriptWarning}));
  press(Qt::Key_Escape);
  EXPECT_EQ(widget.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.size, (prompt::WindowSize{widget.width(), widget.height()}));
}

TEST_F(ScriptListWidgetTest, TheClipboardBoxDisablesTheOutputAndTheFieldsReachTheDialog) {
  ScriptListWidget widget(dialog);
  show(widget);
  press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(widget, "OptionEdit"));
  type("-v");
  QTest::keyClick(&widget, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(widget, "StdoutEdit"));
  type("out.txt");
  QTest::keyClick(&widget, Qt::Key_L, Qt::AltModifier);
  // An accelerator clicks its button a moment later, as a mouse would.
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.copy_to_clipboard(); }, 2000));
  EXPECT_FALSE(child<QLineEdit>(widget, "StdoutEdit")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(widget, "RefButton")->isEnabled());
  EXPECT_FALSE(child<QLabel>(widget, "Label3")->isEnabled());
  EXPECT_EQ(dialog.options, "-v");
  EXPECT_EQ(dialog.output, "out.txt");
  EXPECT_EQ(dialog.output_file(), "");
}

TEST_F(ScriptListWidgetTest, TheSizeGripIsABlackTriangleInTheCorner) {
  ScriptListWidget widget(dialog);
  show(widget);
  const QImage image = widget.grab().toImage();
  const int w = image.width();
  const int h = image.height();
  const int grip = static_cast<int>(scaled(widget, 10) * image.devicePixelRatio());
  EXPECT_EQ(image.pixelColor(w - 2, h - 2), QColor(Qt::black));
  EXPECT_NE(image.pixelColor(w - grip + 1, h - grip + 1), QColor(Qt::black));
  EXPECT_NE(image.pixelColor(w - grip - 3, h - 2), QColor(Qt::black));
}

}  // namespace
}  // namespace desktop

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
