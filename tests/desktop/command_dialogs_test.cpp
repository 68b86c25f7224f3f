// The command list and command editor on the desktop, driven through their
// widgets with QTest on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <platform/prompt.h>

#include "command_form_widget.h"
#include "command_list_widget.h"
#include "dialog_layout.h"

namespace desktop {
namespace {

namespace prompt = platform::prompt;

const std::string kFolder = "/home/u/Script/";

template <typename T>
T* child(QWidget& parent, const char* name) {
  T* found = parent.findChild<T*>(name);
  EXPECT_NE(found, nullptr) << name;
  return found;
}

prompt::CommandEntry command(std::uint32_t number, const char* caption) {
  prompt::CommandEntry entry;
  entry.number = number;
  entry.caption = caption;
  entry.script = "a.rb";
  entry.icon = 11;
  return entry;
}

// Runs `step` on the modal dialog that the next click opens, once it shows.
void on_next_modal(std::function<void(QWidget&)> step) {
  QTimer::singleShot(0, [step] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    step(*modal);
  });
}

TEST(CommandFormWidget, LaidOutAsDesignedWithTheTwentySevenIcons) {
  prompt::CommandEditor editor(kFolder);
  editor.offer_numbers({11, 13});
  CommandFormWidget widget(editor);
  widget.show();
  EXPECT_EQ(widget.size(), QSize(scaled(widget, 377), scaled(widget, 310)));
  EXPECT_EQ(widget.windowTitle(), QString::fromUtf8("コマンド設定"));
  EXPECT_EQ(child<QComboBox>(widget, "CommandIdCombo")->geometry(), scaled(widget, QRect(96, 4, 89, 20)));
  EXPECT_EQ(child<QLineEdit>(widget, "OptionEdit")->geometry(), scaled(widget, QRect(136, 76, 177, 20)));
  EXPECT_EQ(child<QListWidget>(widget, "ListView")->geometry(), scaled(widget, QRect(8, 232, 361, 41)));
  EXPECT_EQ(child<QPushButton>(widget, "Button1")->geometry(), scaled(widget, QRect(288, 280, 75, 20)));
  // Where the stand-in font is wider, a radio button grows to its text, never shrinks.
  const QRect radio = child<QRadioButton>(widget, "RadioButton3")->geometry();
  EXPECT_EQ(radio.topLeft(), scaled(widget, QRect(152, 16, 113, 17)).topLeft());
  EXPECT_GE(radio.width(), scaled(widget, 113));
  EXPECT_GE(radio.width(), child<QRadioButton>(widget, "RadioButton3")->sizeHint().width());
  QListWidget* icons = child<QListWidget>(widget, "ListView");
  ASSERT_EQ(icons->count(), 27);
  EXPECT_EQ(icons->item(26)->text(), "27");
  EXPECT_EQ(icons->currentRow(), 0);  // a new command starts with the first icon
  EXPECT_TRUE(child<QRadioButton>(widget, "RadioButton1")->isChecked());
  EXPECT_EQ(child<QComboBox>(widget, "CommandIdCombo")->currentText(), "11");
}

TEST(CommandFormWidget, FieldsGoIntoTheCommandWithItsRules) {
  prompt::CommandEditor editor(kFolder);
  editor.offer_numbers({11, 13});
  CommandFormWidget widget(editor);
  widget.show();
  QTest::keyClicks(child<QLineEdit>(widget, "MacroEdit"), QString::fromStdString(kFolder + "tools/a.rb"));
  EXPECT_EQ(child<QLineEdit>(widget, "CaptionEdit")->text(), "a");
  QTest::keyClicks(child<QLineEdit>(widget, "CaptionEdit"), QString(300, 'x'));
  EXPECT_EQ(child<QLineEdit>(widget, "CaptionEdit")->text().size(), 255) << "typing stops where the record ends";

  QCheckBox* clipboard = child<QCheckBox>(widget, "CopyClipbrdCheck");
  clipboard->click();
  EXPECT_FALSE(child<QLineEdit>(widget, "StdoutEdit")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(widget, "StdOutRefButton")->isEnabled());
  clipboard->click();
  EXPECT_TRUE(child<QLineEdit>(widget, "StdoutEdit")->isEnabled());

  child<QComboBox>(widget, "CommandIdCombo")->setCurrentIndex(1);
  child<QRadioButton>(widget, "RadioButton4")->click();
  child<QListWidget>(widget, "ListView")->clearSelection();
  child<QPushButton>(widget, "OKButton")->click();
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_EQ(editor.result().number, 13u);
  EXPECT_EQ(editor.result().script, "tools/a.rb");
  EXPECT_EQ(editor.result().type, 3);
  EXPECT_EQ(editor.result().icon, prompt::kNoIcon);
}

TEST(CommandFormWidget, AnEditedCommandShowsItsFields) {
  prompt::CommandEntry stored = command(15, "既存");
  stored.icon = 20;
  stored.type = 1;
  stored.copy_to_clipboard = true;
  prompt::CommandEditor editor(kFolder);
  editor.offer_numbers({15, 10});
  editor.load(stored);
  CommandFormWidget widget(editor);
  widget.show();
  EXPECT_EQ(child<QLineEdit>(widget, "MacroEdit")->text(), QString::fromStdString(kFolder + "a.rb"));
  EXPECT_EQ(child<QLineEdit>(widget, "CaptionEdit")->text(), QString::fromUtf8("既存"));
  EXPECT_EQ(child<QListWidget>(widget, "ListView")->currentRow(), 10);
  EXPECT_TRUE(child<QRadioButton>(widget, "RadioButton2")->isChecked());
  EXPECT_FALSE(child<QLineEdit>(widget, "StdoutEdit")->isEnabled());
  QTest::keyClick(&widget, Qt::Key_Escape);
  EXPECT_EQ(widget.result(), QDialog::Rejected);
}

TEST(CommandListWidget, AddEditAndDeleteThroughTheButtons) {
  prompt::CommandList list({command(12, "twelve"), command(10, "ten")}, kFolder);
  CommandListWidget widget(list);
  widget.show();
  EXPECT_EQ(widget.size(), QSize(scaled(widget, 573), scaled(widget, 362)));
  EXPECT_EQ(child<QTreeWidget>(widget, "ListView")->geometry(), scaled(widget, QRect(8, 48, 473, 305)));
  QTreeWidget* view = child<QTreeWidget>(widget, "ListView");
  QPushButton* edit = child<QPushButton>(widget, "EditButton");
  QPushButton* remove = child<QPushButton>(widget, "DeleteButton");
  ASSERT_EQ(view->topLevelItemCount(), 2);
  EXPECT_EQ(view->topLevelItem(0)->text(0), "10");
  EXPECT_FALSE(edit->isEnabled());
  EXPECT_FALSE(remove->isEnabled());

  // Add: the editor offers 11 first; its OK puts 11 between 10 and 12.
  on_next_modal([](QWidget& form) {
    EXPECT_EQ(form.objectName(), "CommandForm");
    EXPECT_EQ(child<QComboBox>(form, "CommandIdCombo")->currentText(), "11");
    QTest::keyClicks(child<QLineEdit>(form, "MacroEdit"), "b.rb");
    QTest::keyClick(&form, Qt::Key_Return);
  });
  child<QPushButton>(widget, "AddButton")->click();
  ASSERT_EQ(view->topLevelItemCount(), 3);
  EXPECT_EQ(view->topLevelItem(1)->text(0), "11");
  EXPECT_EQ(view->topLevelItem(1)->text(2), "b.rb");
  EXPECT_TRUE(list.restart_needed());

  // Edit the selected 12: a changed script keeps the row selected.
  view->setCurrentItem(view->topLevelItem(2));
  EXPECT_TRUE(edit->isEnabled());
  on_next_modal([](QWidget& form) {
    EXPECT_EQ(child<QComboBox>(form, "CommandIdCombo")->currentText(), "12");
    QTest::keyClicks(child<QLineEdit>(form, "OptionEdit"), "-v");
    child<QPushButton>(form, "OKButton")->click();
  });
  edit->click();
  EXPECT_EQ(list.at_row(2).options, "-v");
  EXPECT_EQ(view->currentItem(), view->topLevelItem(2));

  // Delete takes the selected row's command; the last row is selected after.
  remove->click();
  ASSERT_EQ(view->topLevelItemCount(), 2);
  EXPECT_EQ(list.entries().size(), 2u);
  for (const prompt::CommandEntry& entry : list.entries()) EXPECT_NE(entry.number, 12u);
  EXPECT_EQ(view->currentItem(), view->topLevelItem(1));
}

TEST(CommandListWidget, AddIsDisabledAtNinetyNineCommands) {
  std::vector<prompt::CommandEntry> full;
  for (std::uint32_t n = 10; n < 109; ++n) full.push_back(command(n, "c"));
  prompt::CommandList list(full, kFolder);
  CommandListWidget widget(list);
  widget.show();
  QPushButton* add = child<QPushButton>(widget, "AddButton");
  EXPECT_FALSE(add->isEnabled());
  child<QTreeWidget>(widget, "ListView")->setCurrentItem(child<QTreeWidget>(widget, "ListView")->topLevelItem(0));
  child<QPushButton>(widget, "DeleteButton")->click();
  EXPECT_TRUE(add->isEnabled());
}

TEST(CommandListWidget, OKAfterAnAddAsksToCloseTheHostAndCancelKeepsItOpen) {
  const std::string answers = (std::filesystem::temp_directory_path() / "ztl-command-list-answers").string();
  std::ofstream(answers) << "cancel\nyes\n";
  prompt::set_front_end(prompt::make_scripted_front_end(answers));
  prompt::CommandList list({}, kFolder);
  CommandListWidget widget(list);
  widget.show();
  on_next_modal([](QWidget& form) {
    child<QLineEdit>(form, "MacroEdit")->setText("c.rb");
    QTest::keyClick(&form, Qt::Key_Return);
  });
  child<QPushButton>(widget, "AddButton")->click();
  QPushButton* ok = child<QPushButton>(widget, "OKButton");
  ok->click();
  EXPECT_TRUE(widget.isVisible()) << "cancelled question: the list stays open";
  ok->click();
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_TRUE(list.close_host());
  prompt::set_front_end(nullptr);
  std::filesystem::remove(answers);
}

}  // namespace
}  // namespace desktop

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
