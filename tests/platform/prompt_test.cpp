#include <functional>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "platform/prompt.h"
#include "platform/stop_request.h"
#include "scratch_space.h"
#include "test_support.h"

namespace platform::prompt {
namespace {

using test::ScopedVariable;
using test::ScratchFolder;

class ScriptedPrompt : public ::testing::Test {
 protected:
  ScratchFolder folder;
  std::string answers = folder / "answers";
  std::string log_file = folder / "log";
  ScopedVariable log{kLogVariable, log_file};
};

TEST_F(ScriptedPrompt, AnswersInTurnLogsEachAndFailsWhenNoneIsLeft) {
  test::write_text(answers, "yes\n\n  No \r\nok\n");
  auto front = make_scripted_front_end(answers);
  EXPECT_EQ(front->message_box("続けますか?", "確認", Buttons::yes_cancel, Icon::none),
            Answer::yes);
  EXPECT_EQ(front->message_box("Save?", "Q", Buttons::yes_no_cancel, Icon::question), Answer::no);
  EXPECT_EQ(front->message_box("two\nlines", "Note", Buttons::ok, Icon::none), Answer::ok);
  ::testing::internal::CaptureStderr();
  try {
    front->message_box("Script not found", "Scriptlink", Buttons::ok, Icon::none);
    FAIL() << "a prompt without an answer went through";
  } catch (const UnexpectedPrompt& error) {
    EXPECT_STREQ(error.what(), "Script not found");
  }
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Script not found"), std::string::npos);
  EXPECT_EQ(test::file_text(log_file),
            "確認\t続けますか?\tyes\n"
            "Q\tSave?\tno\n"
            "Note\ttwo\\nlines\tok\n"
            "Scriptlink\tScript not found\tunexpected\n");
}

TEST_F(ScriptedPrompt, AnswerTheButtonsDoNotOfferCountsAsCancelOrNo) {
  test::write_text(answers, "yes\nok\ncancel\nmaybe\nY\nno\n");
  auto front = make_scripted_front_end(answers);
  auto ask = [&front](Buttons buttons) { return front->message_box("t", "c", buttons, Icon::none); };
  EXPECT_EQ(ask(Buttons::ok_cancel), Answer::cancel);     // yes
  EXPECT_EQ(ask(Buttons::yes_no), Answer::no);            // ok
  EXPECT_EQ(ask(Buttons::ok), Answer::ok);                // cancel
  EXPECT_EQ(ask(Buttons::yes_cancel), Answer::cancel);    // maybe
  EXPECT_EQ(ask(Buttons::yes_no_cancel), Answer::yes);    // Y
  EXPECT_EQ(ask(Buttons::ok_cancel), Answer::cancel);     // no
}

TEST_F(ScriptedPrompt, MissingAnswersFileMeansNoAnswers) {
  auto front = make_scripted_front_end(folder / "none");
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(front->message_box("text", "caption", Buttons::ok, Icon::none), UnexpectedPrompt);
  ::testing::internal::GetCapturedStderr();
}

TEST_F(ScriptedPrompt, DefaultFrontEndConsumesTheAnswersAcrossPrompts) {
  test::write_text(answers, "yes\nno\n");
  ScopedVariable chosen(kAnswersVariable, answers);
  EXPECT_EQ(message_box("a", "c", Buttons::yes_no), Answer::yes);
  EXPECT_EQ(message_box("b", "c", Buttons::yes_no), Answer::no);
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(message_box("c", "c", Buttons::yes_no), UnexpectedPrompt);
  ::testing::internal::GetCapturedStderr();
}

class FixedAnswer final : public FrontEnd {
 public:
  explicit FixedAnswer(Answer answer) : answer_(answer) {}
  Answer message_box(std::string_view, std::string_view, Buttons, Icon) override {
    return answer_;
  }
  bool input_dialog(InputDialog&) override { return answer_ == Answer::ok; }
  bool select_item(ItemSelection&) override { return answer_ == Answer::ok; }
  bool choose_file(FileChooser&) override { return answer_ == Answer::ok; }
  bool choose_date(DateDialog&) override { return answer_ == Answer::ok; }

 private:
  Answer answer_;
};

TEST_F(ScriptedPrompt, InstalledFrontEndComesFirstUntilRemoved) {
  test::write_text(answers, "cancel\n");
  ScopedVariable chosen(kAnswersVariable, answers);
  set_front_end(std::make_unique<FixedAnswer>(Answer::yes));
  EXPECT_EQ(message_box("a", "c", Buttons::yes_no), Answer::yes);
  set_front_end(nullptr);
  EXPECT_EQ(message_box("a", "c", Buttons::ok_cancel), Answer::cancel);
}

// Runs prompt in a child without a controlling terminal (a new session, so
// /dev/tty cannot be opened), its stderr going to a file; returns the child's
// exit code and what it showed.
std::pair<int, std::string> PromptWithoutTerminal(const std::function<int()>& prompt) {
  ScopedVariable no_answers(kAnswersVariable, std::nullopt);
  ScratchFolder folder;
  std::string shown = folder / "stderr";
  int code = test::run_in_child([&shown, &prompt] {
    ::setsid();
    int fd = ::open(shown.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    return prompt();
  });
  return {code, test::file_text(shown)};
}

TEST(TerminalPrompt, WithoutATerminalFailsLoudlyAfterShowingTheText) {
  auto [code, text] = PromptWithoutTerminal([] {
    try {
      front_end().message_box("このスクリプトを止めますか?", "Scriptlink", Buttons::yes_no,
                              Icon::question);
    } catch (const UnexpectedPrompt& error) {
      return std::string(error.what()) == "このスクリプトを止めますか?" ? 0 : 4;
    }
    return 3;
  });
  EXPECT_EQ(code, 0);
  EXPECT_NE(text.find("Scriptlink"), std::string::npos) << text;
  EXPECT_NE(text.find("このスクリプトを止めますか?"), std::string::npos) << text;
}

TEST(TerminalPrompt, ANoticeIsShownAndNeverWaitedFor) {
  auto [code, text] = PromptWithoutTerminal([] {
    return front_end().message_box("Script not found", "Scriptlink", Buttons::ok, Icon::none) == Answer::ok ? 0 : 3;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(text, "Scriptlink: Script not found\n");
}

// A question on a terminal nobody answers, in a child whose controlling
// terminal is a fresh pseudo-terminal: a stop request (the host's Ctrl-C or
// SIGTERM) ends the wait with the answer that changes nothing.
TEST(TerminalPrompt, AStopRequestEndsAnUnansweredQuestion) {
  ScopedVariable no_answers(kAnswersVariable, std::nullopt);
  ScratchFolder folder;
  const std::string shown = folder / "stderr";
  const int code = test::run_in_child([&shown] {
    ::alarm(5);  // a wait that never ends fails the test rather than hangs it
    ::setsid();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return 10;
    const int terminal = ::open(::ptsname(master), O_RDWR);  // becomes the controlling terminal
    if (terminal < 0) return 11;
    const int err = ::open(shown.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, STDERR_FILENO);
    std::thread stop([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      stop_request::raise();
    });
    const auto start = std::chrono::steady_clock::now();
    const Answer answer = front_end().message_box("止めますか?", "Scriptlink", Buttons::yes_cancel, Icon::question);
    const auto waited = std::chrono::steady_clock::now() - start;
    stop.join();
    if (answer != Answer::cancel) return 3;
    return waited < std::chrono::seconds(2) ? 0 : 4;
  });
  EXPECT_EQ(code, 0) << "3: answered other than cancel, 4: waited past the stop\n" << test::file_text(shown);
}

}  // namespace
}  // namespace platform::prompt
