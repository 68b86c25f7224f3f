#include "launcher/command_line.h"
#include "launcher/interpreter_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include <platform/codepage.h>

namespace scriptlink {
namespace {

InterpreterLine Scan(const std::string& text) {
  std::istringstream in(text);
  return ScanInterpreterLine(in);
}

TEST(InterpreterLine, ReadsInterpreterAndArguments) {
  auto line = Scan("#! ruby -Ks\nputs 1\n");
  EXPECT_EQ(line.interpreter, "ruby");
  EXPECT_EQ(line.arguments, "-Ks");

  line = Scan("#!ruby\n#!perl -w\n");
  EXPECT_EQ(line.interpreter, "ruby") << "a line without a token end stops the reading";
  EXPECT_EQ(line.arguments, "");
}

TEST(InterpreterLine, LaterLinesReplaceWhatWasFound) {
  auto line = Scan("#!ruby -Ks\n# coding: utf-8\n#!/usr/bin/ruby -w -x\n");
  EXPECT_EQ(line.interpreter, "/usr/bin/ruby");
  EXPECT_EQ(line.arguments, "-w -x");

  line = Scan("#!ruby -Ks\r\n#!jruby\r\n");
  EXPECT_EQ(line.interpreter, "ruby") << "a later line without a token end keeps the earlier values";
  EXPECT_EQ(line.arguments, "-Ks");
}

TEST(InterpreterLine, QuotedInterpreterKeepsItsQuotes) {
  auto line = Scan("#!\"/opt/my ruby/bin/ruby\" -Ku \t\n");
  EXPECT_EQ(line.interpreter, "\"/opt/my ruby/bin/ruby\"");
  EXPECT_EQ(line.arguments, "-Ku");

  line = Scan("#!\"/opt/ruby\"\n#!other -x\n");
  EXPECT_EQ(line.interpreter, "\"/opt/ruby\"") << "nothing after the quote stops the reading";
  EXPECT_EQ(line.arguments, "");

  line = Scan("#!\"unclosed -x\n");
  EXPECT_EQ(line.interpreter, "\"unclosed -x");
}

TEST(InterpreterLine, SkipsLinesThatAreNoInterpreterLines) {
  EXPECT_EQ(Scan("puts 1\n\n# plain comment\n").interpreter, "");
  EXPECT_EQ(Scan("").interpreter, "");
  auto line = Scan("\n  #! ruby\nputs 1\n#!ruby -v x\n");
  EXPECT_EQ(line.interpreter, "ruby") << "a line must begin with #";
  EXPECT_EQ(line.arguments, "-v x");
}

TEST(InterpreterLine, FullWidthBlanksAndLeadBytesFollowTheCodePage) {
  platform::codepage::set_current(platform::codepage::CodePage::cp932);
  // 0x81 0x40 is the full-width space; 0x82 is a lead byte that ends the "!" search.
  auto line = Scan("#!\x81\x40ruby -Ks\x81\x40\n");
  EXPECT_EQ(line.interpreter, "ruby");
  EXPECT_EQ(line.arguments, "-Ks");
  EXPECT_EQ(Scan("#\x82\x21!ruby\n").interpreter, "") << "the lead byte hides the second byte 0x21 and ends the search";
  // A lead byte inside the interpreter skips its trail byte, even when that is a blank.
  line = Scan("#!ru\x81\x20y -w\n");
  EXPECT_EQ(line.interpreter, "ru\x81\x20y");
  EXPECT_EQ(line.arguments, "-w");

  platform::codepage::set_current(platform::codepage::CodePage::utf8);
  line = Scan("#!\xE3\x80\x80ruby\xE3\x80\x80-Ks\n");
  EXPECT_EQ(line.interpreter, "ruby\xE3\x80\x80-Ks") << "a full-width space trims but does not end the token";
}

TEST(CommandLine, DirectFormKeepsEverySeparatingSpace) {
  EXPECT_EQ(BuildDirectCommandLine({}, "ruby", "/u/Script/a.rb", ""), "\"ruby\"  \"/u/Script/a.rb\" ");
  EXPECT_EQ(BuildDirectCommandLine({"ruby", "-Ks"}, "ruby", "/u/Script/a b.rb", "x y"),
            "\"ruby\" -Ks \"/u/Script/a b.rb\" x y");
  EXPECT_EQ(BuildDirectCommandLine({"\"/opt/r b/ruby\"", ""}, "ruby", "/s.rb", "-v"),
            "\"/opt/r b/ruby\"  \"/s.rb\" -v");
}

TEST(CommandLine, ConsoleFormRunsTheBatchFileThroughTheShell) {
  ConsoleForm form{"/bin/zcmd", "/p/", true};
  EXPECT_EQ(BuildConsoleCommandLine(form, {"ruby", "-Ks"}, "/u/Script/a.rb", "-x"),
            "\"/bin/zcmd\" /c \"\"/p/rubyp.bat\" -Ks \"/u/Script/a.rb\" -x\"");
  form.shell.clear();
  EXPECT_EQ(BuildConsoleCommandLine(form, {}, "/u/a.rb", ""), "\"\" /c \"\"/p/rubyp.bat\"  \"/u/a.rb\"\"");
  form.nt_family = false;
  EXPECT_EQ(BuildConsoleCommandLine(form, {}, "/u/a.rb", "o"), "\"\" /c \"/p/rubyp.bat\"  \"/u/a.rb\" o");
}

}  // namespace
}  // namespace scriptlink
