// The command line's own pieces: parsing, the exit status of a run, the tree
// as text and items named by their path.
#include <cstdio>
#include <memory>

#include <unistd.h>

#include <platform/paths.h>
#include <platform/process.h>

#include "cli/item_views.h"
#include "cli/options.h"
#include "cli/run_report.h"
#include "host_fixture.h"
#include "model/date_scale.h"
#include "storage/project_file.h"
#include "storage/session_files.h"

namespace zentrella::testing {
namespace {

using cli::parse_options;
using cli::UsageError;

TEST(CommandLine, OptionsTakeTheirValueAttachedOrNext) {
  const cli::Options options =
      parse_options({"--user-folder=/u", "--project", "a.json", "--project=b.json", "--select=Work/Notes", "--trace", "t",
                     "run", "x.rb", "--output=o.txt", "--options=-v"});
  EXPECT_EQ(options.user_folder, "/u");
  EXPECT_EQ(options.projects, (std::vector<std::string>{"a.json", "b.json"}));
  EXPECT_EQ(options.select, "Work/Notes");
  EXPECT_EQ(options.trace, "t");
  EXPECT_EQ(options.run.output, "o.txt");
  EXPECT_EQ(options.run.options, "-v");
  EXPECT_EQ(parse_options({"--project=", "version"}).projects, std::vector<std::string>{""});
  EXPECT_THROW(parse_options({"--no-station=yes", "version"}), UsageError);
  EXPECT_THROW(parse_options({"run", "x.rb", "--clipboard=1"}), UsageError);
  EXPECT_THROW(parse_options({"--select=", "version"}), UsageError);
}

// What follows "--" reaches the script as the arguments it was given, however
// they are spelt: the options text is split again by the Windows rules.
TEST(CommandLine, ArgumentsAfterTheDoubleDashReachTheScriptVerbatim) {
  const std::vector<std::string> given{"--output", "two words", "", "say \"hi\"", "C:\\dir\\", "a\\\\\"b", "-x=1", "--"};
  std::vector<std::string> arguments{"run", "x.rb", "--options", "-w", "--"};
  arguments.insert(arguments.end(), given.begin(), given.end());
  const cli::Options options = parse_options(arguments);
  EXPECT_EQ(options.run.output, "") << "--output after -- belongs to the script";
  std::vector<std::string> expected{"-w"};
  expected.insert(expected.end(), given.begin(), given.end());
  EXPECT_EQ(platform::split_command_line(options.run.options), expected);
  EXPECT_EQ(parse_options({"run", "x.rb", "--"}).run.options, "");
}

TEST(CommandLine, HelpVersionAndCommandsOfTheTable) {
  EXPECT_TRUE(parse_options({"--help"}).help);
  const cli::Options run_help = parse_options({"run", "--help"});
  EXPECT_TRUE(run_help.help);
  EXPECT_EQ(run_help.help_topic, "run");
  EXPECT_EQ(parse_options({"tree", "-h"}).help_topic, "tree");
  EXPECT_EQ(parse_options({"exec", "--help"}).help_topic, "exec");
  EXPECT_EQ(parse_options({"help", "exec"}).help_topic, "exec");
  EXPECT_NE(cli::command_help("run").find("usage: zentrella [OPTION]... run SCRIPT"), std::string::npos);
  EXPECT_THROW(parse_options({"help", "dance"}), UsageError);
  EXPECT_THROW(parse_options({"help", "run", "exec"}), UsageError);
  EXPECT_EQ(parse_options({"--version"}).command, "version");
  EXPECT_THROW(parse_options({"--version", "extra"}), UsageError);
  EXPECT_THROW(parse_options({"tree", "extra"}), UsageError);
  EXPECT_EQ(parse_options({"exec", "12"}).exec_number, 12u);
  // Every command the usage text lists has help of its own.
  for (const char* command : {"commands", "version", "run", "exec", "station", "clipboard", "tree", "help"}) {
    EXPECT_NE(std::string(cli::usage_text()).find(std::string("\n  ") + command), std::string::npos) << command;
    EXPECT_NO_THROW(cli::command_help(command)) << command;
  }
}

// The terminal's line for a run, captured from a temporary file.
struct Reported {
  int code = -1;
  std::string line;
};

Reported report(const ZtlRunOutcome& outcome) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  Reported reported;
  reported.code = cli::run_exit_code(&outcome, file.get());
  std::rewind(file.get());
  char buffer[1024] = {};
  reported.line.assign(buffer, std::fread(buffer, 1, sizeof buffer, file.get()));
  return reported;
}

TEST(RunExitCode, TheScriptsStatusWithOneLineWhenACapturedRunFails) {
  const char* script = "/u/Script/fails.rb";
  EXPECT_EQ(report({ZTL_RUN_ENDED, 0, ZTL_OUTPUT_FILE, script, "/o.txt"}).code, 0);
  EXPECT_EQ(report({ZTL_RUN_ENDED, 0, ZTL_OUTPUT_FILE, script, "/o.txt"}).line, "");

  const Reported failed = report({ZTL_RUN_ENDED, 3, ZTL_OUTPUT_FILE, script, "/o.txt"});
  EXPECT_EQ(failed.code, 3);
  EXPECT_EQ(failed.line, "zentrella: fails.rb failed with status 3; its output is in /o.txt\n");
  const Reported killed = report({ZTL_RUN_ENDED, 137, ZTL_OUTPUT_CLIPBOARD, script, ""});
  EXPECT_EQ(killed.code, 137);
  EXPECT_EQ(killed.line, "zentrella: fails.rb was ended by signal 9 (status 137); its output is on the clipboard\n");
  const Reported on_terminal = report({ZTL_RUN_ENDED, 2, ZTL_OUTPUT_NONE, script, ""});
  EXPECT_EQ(on_terminal.code, 2);
  EXPECT_EQ(on_terminal.line, "") << "its output is on the terminal already";
  EXPECT_EQ(report({ZTL_RUN_ENDED, -1, ZTL_OUTPUT_NONE, script, ""}).code, 1) << "a lost status is no success";
}

TEST(RunExitCode, UndeliveredOutputCancelAndMissingScriptFail) {
  const Reported kept = report({ZTL_RUN_ENDED, 0, ZTL_OUTPUT_KEPT, "/s/ok.rb", "/u/kept.txt"});
  EXPECT_EQ(kept.code, 1);
  EXPECT_EQ(kept.line, "zentrella: ok.rb succeeded, but its output could not be delivered and is kept in /u/kept.txt\n");
  const Reported lost = report({ZTL_RUN_ENDED, 4, ZTL_OUTPUT_LOST, "/s/ok.rb", ""});
  EXPECT_EQ(lost.code, 4);
  EXPECT_NE(lost.line.find("nothing was written"), std::string::npos);

  const Reported cancelled = report({ZTL_RUN_CANCELLED, 0, ZTL_OUTPUT_FILE, "/s/long.rb", "/o.txt"});
  EXPECT_EQ(cancelled.code, 130);
  EXPECT_EQ(cancelled.line, "zentrella: the script was cancelled; its output is in /o.txt\n");

  const Reported missing = report({ZTL_RUN_NOT_FOUND, 0, ZTL_OUTPUT_NONE, "/s/x\n/s/x.rb", ""});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.line, "zentrella: script not found: looked for /s/x and /s/x.rb\n");
  EXPECT_EQ(report({ZTL_RUN_NOT_STARTED, 0, ZTL_OUTPUT_NONE, "/s/x.rb", ""}).code, 1);
  EXPECT_EQ(report({ZTL_RUN_NONE, 0, ZTL_OUTPUT_NONE, "", ""}).code, 0);
  EXPECT_EQ(cli::run_exit_code(nullptr, stderr), 0) << "a plug-in that does not tell";
}

class ItemViewsTest : public HostTest {};

TEST_F(ItemViewsTest, TreeShowsOneItemPerLineIndentedWithProgressAndDates) {
  Item& a = *session().store().item(A);
  a.fields.progress = 50;
  a.fields.dates.start = *encode_date(2024, 5, 1) + *encode_time(10, 30, 0, 0);
  a.fields.dates.due = *encode_date(2024, 5, 3);
  session().store().item(B)->fields.title = "two\nlines";
  session().store().item(F)->fields.title = "家";
  EXPECT_EQ(cli::format_tree(session()),
            "project  P\n"
            "  folder  家\n"
            "    task  A  50%  start 2024-05-01 10:30  due 2024-05-03\n"
            "    task  two\\x0alines  0%\n"
            "    task  C  0%\n"
            "  task  D  0%\n");
}

TEST_F(ItemViewsTest, PathNamesTheItemFromItsProjectDown) {
  EXPECT_EQ(cli::find_item_by_path(session(), "P"), P);
  EXPECT_EQ(cli::find_item_by_path(session(), "P/F/B"), B);
  EXPECT_EQ(cli::find_item_by_path(session(), "P/D"), D);
  EXPECT_EQ(cli::path_of_item(session(), C), "P/F/C");
  for (const char* nothing : {"", "F", "P/B", "P/F/B/x", "P//F", "P/F/"}) {
    EXPECT_EQ(cli::find_item_by_path(session(), nothing), 0u) << nothing;
  }
  // Where titles repeat, the first in tree order.
  session().store().item(C)->fields.title = "B";
  EXPECT_EQ(cli::find_item_by_path(session(), "P/F/B"), B);
}

// What is current is kept in the project file: a desktop host opens where the
// user left off.
class RememberedPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = ::testing::TempDir() + "place-" + std::to_string(::getpid()) + ".json";
    ItemTree project;
    project.fields.kind = ItemKind::project;
    project.fields.title = "P";
    ItemTree folder;
    folder.fields.kind = ItemKind::folder;
    folder.fields.title = "F";
    ItemTree a, b;
    a.fields.title = "A";
    b.fields.title = "B";
    b.documents = {DocumentData{"one", "", "text", ""}, DocumentData{"two", "", "text", ""}};
    folder.children = {a, b};
    project.children = {folder};
    save_projects(path, {project});
  }
  void TearDown() override {
    std::remove(path.c_str());
    reset_session();
  }
  Session& reopen() {
    reset_session();
    open_project_file(session(), path);
    return session();
  }
  std::string current_title() const {
    const Item* item = session().store().item(session().current_item());
    return item != nullptr ? item->fields.title : "(none)";
  }
  std::string path;
};

TEST_F(RememberedPlaceTest, TheCurrentItemAndDocumentSurviveARestart) {
  Session& s = reopen();
  const Handle b = cli::find_item_by_path(s, "P/F/B");
  s.set_current_document(s.store().item(b)->documents[1]);
  EXPECT_TRUE(s.dirty_files().empty()) << "a script's change of focus alone writes nothing";
  s.mark_file_dirty(path);  // as --select does
  save_dirty_files(s);
  EXPECT_EQ(load_project_file(path).current, (CurrentPlace{{0, 0}, {0, 0, 1}, 1}));

  Session& again = reopen();
  EXPECT_EQ(current_title(), "B");
  EXPECT_EQ(again.current_folder(), cli::find_item_by_path(again, "P/F"));
  EXPECT_EQ(again.current_document(), again.store().item(again.current_item())->documents[1]);
  // Any later save keeps where the user is now.
  again.set_current_item(cli::find_item_by_path(again, "P/F/A"));
  again.store().item(again.current_item())->fields.progress = 10;
  again.touch_project(again.current_item());
  save_dirty_files(again);
  EXPECT_EQ(load_project_file(path).current, (CurrentPlace{{0, 0}, {0, 0, 0}, std::nullopt}));
}

TEST_F(RememberedPlaceTest, AnEntryThatNamesNothingOrIsMalformedIsIgnored) {
  const std::string head = R"({"format": "zentrella-projects", "version": 1, "projects": [{"kind": "project", "title": "P",
      "children": [{"kind": "folder", "title": "F", "children": [{"kind": "task", "title": "A"}]}]}], "current": )";
  for (const char* entry : {R"({"item": [0, 0, 5]})", R"({"item": [0, 0, 0, 0]})", R"({"item": [-1]})",
                            R"({"item": "P/F/A"})", R"(5)", R"({"folder": [3], "document": "x"})", R"(null)"}) {
    {
      std::FILE* file = std::fopen(path.c_str(), "w");
      std::fputs((head + entry + "}").c_str(), file);
      std::fclose(file);
    }
    ASSERT_NO_THROW(reopen()) << entry;
    EXPECT_EQ(current_title(), "(none)") << entry;
    EXPECT_EQ(session().current_folder(), session().loaded_projects().front()) << entry;
  }
  // A file without the entry, as older hosts wrote it, reads as it did.
  EXPECT_EQ(parse_project_file(head + "null}", "f").current, CurrentPlace{});
}

}  // namespace
}  // namespace zentrella::testing
