#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/prompt.h"
#include "scratch_space.h"
#include "test_support.h"

namespace platform::prompt {
namespace {

using test::ScopedVariable;
using test::ScratchFolder;

TEST(InputDialog, ChoicesAreTheLinesWhateverTheirBreaksAndTheTextStays) {
  InputDialog dialog;
  dialog.set_initial_text("beta");
  dialog.set_choices("alpha\r\nbeta\rgamma\n\ndelta\n");
  EXPECT_EQ(dialog.choices(), (std::vector<std::string>{"alpha", "beta", "gamma", "", "delta"}));
  EXPECT_EQ(dialog.text(), "beta");
  EXPECT_FALSE(dialog.selected()) << "the list was empty when the text was set";
  dialog.set_choices("");
  EXPECT_TRUE(dialog.choices().empty());
}

TEST(InputDialog, AnInitialTextEqualToAChoiceSelectsIt) {
  InputDialog dialog;
  dialog.set_choices("alpha\nbeta");
  dialog.set_initial_text("beta");
  EXPECT_EQ(dialog.selected(), std::optional<std::size_t>(1));
  dialog.type("bet");
  EXPECT_FALSE(dialog.selected());
  EXPECT_FALSE(dialog.pick(2));
  EXPECT_EQ(dialog.text(), "bet");
  EXPECT_TRUE(dialog.pick(0));
  EXPECT_EQ(dialog.text(), "alpha");
}

ItemSelection sample(std::uint32_t start) {
  ItemNode project{1, "家", false, {{2, "買い物", true, {{3, "牛乳", true, {}}}}, {5, "a/b", true, {}}}};
  return ItemSelection("選ぶ", {project, {4, "スクラップ", true, {}}}, start);
}

TEST(ItemSelection, ConfirmsOnlyOnAnItemThatMayBeChosen) {
  ItemSelection selection = sample(0);
  EXPECT_FALSE(selection.can_confirm());
  EXPECT_TRUE(selection.select(1));
  EXPECT_FALSE(selection.can_confirm()) << "a project that may not be chosen";
  EXPECT_TRUE(selection.select(3));
  EXPECT_TRUE(selection.can_confirm());
  EXPECT_FALSE(selection.select(99));
  EXPECT_EQ(selection.selected(), 3u);
  EXPECT_EQ(sample(99).selected(), 0u) << "a start item outside the tree selects nothing";
}

TEST(ItemSelection, PathsNameItemsByTheirTitles) {
  ItemSelection selection = sample(3);
  EXPECT_EQ(selection.path_of(3), "家/買い物/牛乳");
  EXPECT_EQ(selection.find_path("家/買い物/牛乳")->handle, 3u);
  EXPECT_EQ(selection.find_path("スクラップ")->handle, 4u);
  EXPECT_EQ(selection.find_path("家/牛乳"), nullptr);
  EXPECT_EQ(selection.find_path(""), nullptr);
  EXPECT_EQ(selection.find_path("家/"), nullptr);
  EXPECT_EQ(selection.path_of(0), "");
}

TEST(CalendarTime, ParsesOnlyDaysThatExist) {
  EXPECT_EQ(parse_calendar_time("2024-02-29"), (CalendarTime{2024, 2, 29, 0, 0, 0}));
  EXPECT_EQ(parse_calendar_time("2024-05-01 10:30"), (CalendarTime{2024, 5, 1, 10, 30, 0}));
  EXPECT_EQ(parse_calendar_time("0001-01-01T23:59:59"), (CalendarTime{1, 1, 1, 23, 59, 59}));
  for (const char* bad : {"2023-02-29", "1900-02-29", "2024-13-01", "2024-05-01 24:00", "2024-05-01 10:3",
                          "2024-5-1", "0000-01-01", "2024-05-01 10:30:60", "2024-05-01x10:30", "+024-05-01"}) {
    EXPECT_FALSE(parse_calendar_time(bad)) << bad;
  }
  EXPECT_EQ(format_calendar_time({2000, 2, 29, 7, 5, 3}), "2000-02-29 07:05:03");
}

TEST(DateDialog, ADayPickedOnAnEmptyDateStartsAtMidnightAndKeepsTheTimeOtherwise) {
  DateDialog dialog("日付", std::nullopt);
  EXPECT_FALSE(dialog.set_time_of_day(10, 0, 0)) << "no date to put a time on";
  EXPECT_TRUE(dialog.set_day(2024, 5, 1));
  EXPECT_EQ(dialog.value(), (CalendarTime{2024, 5, 1, 0, 0, 0}));
  EXPECT_TRUE(dialog.set_time_of_day(9, 15, 0));
  EXPECT_TRUE(dialog.set_day(2024, 6, 2));
  EXPECT_EQ(dialog.value(), (CalendarTime{2024, 6, 2, 9, 15, 0}));
  EXPECT_FALSE(dialog.set_day(2024, 6, 31));
  EXPECT_EQ(dialog.value()->day, 2);
  dialog.clear();
  EXPECT_FALSE(dialog.value());
}

TEST(FileChooser, OpenTakesAnExistingFileAndSaveANameInAFolderThatExists) {
  ScratchFolder folder;
  test::write_text(folder / "a.rb", "p 1\n");
  ::mkdir((folder / "sub").c_str(), 0700);
  FileChooser open("開く", FileChooser::Mode::open, folder.path());
  EXPECT_FALSE(open.choose("missing.rb"));
  EXPECT_FALSE(open.choose("sub"));
  EXPECT_FALSE(open.choose(""));
  EXPECT_EQ(open.chosen(), "");
  EXPECT_TRUE(open.choose("sub/../a.rb"));
  EXPECT_EQ(open.chosen(), folder / "a.rb");
  FileChooser save("保存", FileChooser::Mode::save, folder.path());
  EXPECT_TRUE(save.choose("new.txt"));
  EXPECT_EQ(save.chosen(), folder / "new.txt");
  EXPECT_TRUE(save.choose(folder / "a.rb")) << "an existing file may be replaced";
  EXPECT_FALSE(save.choose("sub"));
  EXPECT_FALSE(save.choose("nowhere/new.txt"));
  EXPECT_EQ(save.chosen(), folder / "a.rb");
}

class ScriptedDialogs : public ::testing::Test {
 protected:
  ScratchFolder folder;
  std::string answers = folder / "answers";
  std::string log_file = folder / "log";
  ScopedVariable log{kLogVariable, log_file};
};

TEST_F(ScriptedDialogs, OkKeepsWhatIsShownOkValueSetsItCancelCancels) {
  test::write_text(answers, "ok\nok=\nok=牛乳の代わり\ncancel\n");
  auto front = make_scripted_front_end(answers);
  InputDialog dialog;
  dialog.caption = "題";
  dialog.prompt = "名前";
  dialog.set_initial_text("初期");
  EXPECT_TRUE(front->input_dialog(dialog));
  EXPECT_EQ(dialog.text(), "初期");
  EXPECT_TRUE(front->input_dialog(dialog));
  EXPECT_EQ(dialog.text(), "");
  EXPECT_TRUE(front->input_dialog(dialog));
  EXPECT_EQ(dialog.text(), "牛乳の代わり");
  EXPECT_FALSE(front->input_dialog(dialog));
  EXPECT_EQ(test::file_text(log_file),
            "題\tinput: 名前\tok\n題\tinput: 名前\tok=\n題\tinput: 名前\tok=牛乳の代わり\n題\tinput: 名前\tcancel\n");
}

TEST_F(ScriptedDialogs, AnAnswerTheDialogCannotTakeFailsLoudly) {
  test::write_text(answers, "ok=家\nok=家/ない\nyes\nok=2023-02-29\nok=2024-02-29 12:00\n");
  auto front = make_scripted_front_end(answers);
  ItemSelection selection = sample(0);
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(front->select_item(selection), UnexpectedPrompt) << "a project that may not be chosen";
  EXPECT_THROW(front->select_item(selection), UnexpectedPrompt) << "no such item";
  EXPECT_THROW(front->select_item(selection), UnexpectedPrompt) << "not an answer for a dialog";
  DateDialog date("日付", std::nullopt);
  EXPECT_THROW(front->choose_date(date), UnexpectedPrompt) << "a day that does not exist";
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("unexpected prompt (the dialog cannot take this value): 選ぶ: item selection: "),
            std::string::npos) << said;
  EXPECT_TRUE(front->choose_date(date));
  EXPECT_EQ(date.value(), (CalendarTime{2024, 2, 29, 12, 0, 0}));
}

TEST_F(ScriptedDialogs, AFileChooserTakesAPathAndRefusesOneItCannotUse) {
  test::write_text(answers, "ok=" + (folder / "answers") + "\nok=none.txt\nok\ncancel\n");
  auto front = make_scripted_front_end(answers);
  FileChooser open("開く", FileChooser::Mode::open, folder.path());
  EXPECT_TRUE(front->choose_file(open));
  EXPECT_EQ(open.chosen(), answers);
  FileChooser other("開く", FileChooser::Mode::open, folder.path());
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(front->choose_file(other), UnexpectedPrompt) << "no such file";
  EXPECT_THROW(front->choose_file(other), UnexpectedPrompt) << "ok with nothing chosen";
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(front->choose_file(other));
}

// A dialog asked on a terminal that nobody answers, in a child whose
// controlling terminal is a fresh pseudo-terminal: the answer typed there
// comes back, and an abandoned prompt ends as cancelled.
int RunOnPseudoTerminal(const std::string& stderr_file, const std::function<int(int master)>& body) {
  return test::run_in_child([&] {
    ::alarm(5);  // a wait that never ends fails the test rather than hangs it
    ::setsid();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return 10;
    const int terminal = ::open(::ptsname(master), O_RDWR);  // becomes the controlling terminal
    if (terminal < 0) return 11;
    const int err = ::open(stderr_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, STDERR_FILENO);
    return body(master);
  });
}

TEST(TerminalDialogs, ANumberPicksAChoiceAndAPathPicksAnItem) {
  ScopedVariable no_answers(kAnswersVariable, std::nullopt);
  ScratchFolder folder;
  const std::string shown = folder / "stderr";
  const int code = RunOnPseudoTerminal(shown, [&folder](int master) {
    const std::string typed = "2\nnothing/here\n家/買い物/牛乳\n2024-05-01 10:30\nmissing.rb\nstderr\n";
    if (::write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) return 12;
    auto front = make_terminal_front_end();
    InputDialog input;
    input.set_choices("alpha\nbeta");
    if (!front->input_dialog(input) || input.text() != "beta") return 3;
    ItemSelection selection = sample(0);
    if (!front->select_item(selection) || selection.selected() != 3) return 4;
    DateDialog date("日付", std::nullopt);
    if (!front->choose_date(date) || date.value() != CalendarTime{2024, 5, 1, 10, 30, 0}) return 5;
    FileChooser chooser("開く", FileChooser::Mode::open, folder.path());
    if (!front->choose_file(chooser) || chooser.chosen() != folder / "stderr") return 6;
    return 0;
  });
  EXPECT_EQ(code, 0) << test::file_text(shown);
  EXPECT_NE(test::file_text(shown).find("  2) beta"), std::string::npos);
  EXPECT_NE(test::file_text(shown).find("no such item: nothing/here"), std::string::npos);
  EXPECT_NE(test::file_text(shown).find("no such file: missing.rb"), std::string::npos);
}

TEST(TerminalDialogs, ADialogWhoseAskerEndedClosesAsCancelled) {
  ScopedVariable no_answers(kAnswersVariable, std::nullopt);
  ScratchFolder folder;
  const std::string shown = folder / "stderr";
  const int code = RunOnPseudoTerminal(shown, [](int) {
    const auto start = std::chrono::steady_clock::now();
    const AskerWatch watch(
        [](void* since) {
          return std::chrono::steady_clock::now() - *static_cast<std::chrono::steady_clock::time_point*>(since) >
                 std::chrono::milliseconds(300);
        },
        const_cast<std::chrono::steady_clock::time_point*>(&start));
    InputDialog input;
    const bool confirmed = make_terminal_front_end()->input_dialog(input);
    if (confirmed) return 3;
    return std::chrono::steady_clock::now() - start < std::chrono::seconds(2) ? 0 : 4;
  });
  EXPECT_EQ(code, 0) << "3: confirmed, 4: waited past the asker's end\n" << test::file_text(shown);
  EXPECT_FALSE(abandoned()) << "the watch ended with its scope";
}

TEST(TerminalDialogs, TheScriptListIsANumberedChoiceThenOptionsAndOutput) {
  ScopedVariable no_answers(kAnswersVariable, std::nullopt);
  ScratchFolder folder;
  test::write_text(folder / "hello.rb", "#! ruby\n# greets\n");
  test::write_text(folder / "help.rb", "");
  const std::string shown = folder / "stderr";
  const int code = RunOnPseudoTerminal(shown, [&folder](int master) {
    const std::string typed = "zz\nhell\n-v\nout.txt\n2\n\n\n\n";
    if (::write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) return 12;
    auto front = make_terminal_front_end();
    ScriptList list(folder.path(), {});
    list.fill();
    if (!front->script_list(list) || list.script() != folder / "hello.rb") return 3;
    if (list.options != "-v" || list.output != "out.txt") return 4;
    ScriptList again(folder.path(), {});
    again.fill();
    if (!front->script_list(again) || again.script() != folder / "help.rb") return 5;
    return front->script_list(again) ? 6 : 0;  // an empty line closes it
  });
  EXPECT_EQ(code, 0) << test::file_text(shown);
  EXPECT_NE(test::file_text(shown).find("  1) hello.rb  greets\n  2) help.rb\n"), std::string::npos);
  EXPECT_NE(test::file_text(shown).find(ScriptList::kNoScriptWarning), std::string::npos);
}

}  // namespace
}  // namespace platform::prompt
