#include <gtest/gtest.h>

#include "platform/command_interpreter.h"
#include "platform/process.h"

namespace platform {
namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
  const char* line;
  Arguments expected;
};

TEST(SplitCommandLine, FollowsTheRuntimeRules) {
  const SplitCase cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"a b\tc", {"a", "b", "c"}},
      {"  a   b  ", {"a", "b"}},
      {R"("a b" c)", {"a b", "c"}},
      {R"(a"b c"d)", {"ab cd"}},
      {R"("" x)", {"", "x"}},
      {R"(a\b\\c)", {R"(a\b\\c)"}},              // backslashes not before a quote stay
      {R"(a\"b)", {R"(a"b)"}},                    // 1 -> literal quote
      {R"(a\\"b c")", {R"(a\b c)"}},              // 2 -> one backslash, quote groups
      {R"(a\\\"b)", {R"(a\"b)"}},                 // 3 -> one backslash and a quote
      {R"("a""b" c)", {R"(a"b)", "c"}},           // "" inside quotes is a quote
      {R"("unterminated part)", {"unterminated part"}},
      {R"("trailing\\")", {R"(trailing\)"}},
      // As the launcher builds them: direct form and console form.
      {R"("ruby"  "/u/Script/a b.rb" )", {"ruby", "/u/Script/a b.rb"}},
      {R"("ruby" -Ks "/u/Script/a.rb" -x 1)", {"ruby", "-Ks", "/u/Script/a.rb", "-x", "1"}},
      {R"("" /c ""/p/rubyp.bat" -Ks "/u/Script/a.rb" -x")",
       {"", "/c", "/p/rubyp.bat -Ks /u/Script/a.rb -x"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(split_command_line(c.line), c.expected) << "line: " << c.line;
  }
}

TEST(CommandInterpreter, RemovesTheFirstAndLastQuoteOfTheCommand) {
  EXPECT_EQ(interpret_shell_command(R"("" /c ""/p/rubyp.bat" -Ks "/u/Script/a.rb" -x")"),
            (Arguments{"/p/rubyp.bat", "-Ks", "/u/Script/a.rb", "-x"}));
  EXPECT_EQ(interpret_shell_command(R"("" /c ""/p q/rubyp.bat"  "/u/Script/a b.rb"")"),
            (Arguments{"/p q/rubyp.bat", "/u/Script/a b.rb"}));
  // Without a leading quote nothing is removed.
  EXPECT_EQ(interpret_shell_command(R"(cmd /c echo "a b")"), (Arguments{"echo", "a b"}));
  // Only the last quote goes, so a trailing part stays with the command.
  EXPECT_EQ(interpret_shell_command(R"(cmd.exe /c "prog" x)"), (Arguments{"prog", "x"}));
}

TEST(CommandInterpreter, SwitchIsCaseInsensitiveAndRequired) {
  EXPECT_EQ(interpret_shell_command("CMD /C prog"), (Arguments{"prog"}));
  EXPECT_EQ(interpret_shell_command("\"c m d\" /C prog"), (Arguments{"prog"}));
  EXPECT_EQ(interpret_shell_command("cmd prog"), std::nullopt);
  EXPECT_EQ(interpret_shell_command("cmd"), std::nullopt);
  EXPECT_EQ(interpret_shell_command(""), std::nullopt);
  EXPECT_EQ(interpret_shell_command("cmd /c"), Arguments{});
}

TEST(CommandInterpreter, KnowsItsNames) {
  for (const char* name : {"", "cmd", "CMD", "cmd.exe", "Cmd.Exe"}) {
    EXPECT_TRUE(is_builtin_interpreter(name)) << name;
  }
  for (const char* name : {"ruby", "cmd.com", "/bin/cmd", "cmdx"}) {
    EXPECT_FALSE(is_builtin_interpreter(name)) << name;
  }
}

}  // namespace
}  // namespace platform
