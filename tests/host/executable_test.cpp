// The zentrella executable: its command line, its exit codes, and the
// symbols it exports for the plug-in.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>

#include "host_fixture.h"

namespace zentrella::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code = -1;
  std::string output;  // stdout and stderr
};

Outcome run(const std::string& arguments) {
  const std::string command = std::string(ZENTRELLA_EXE) + " " + arguments + " 2>&1 </dev/null";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 4096> chunk{};
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) outcome.output.append(chunk.data(), got);
  const int status = pclose(pipe);
  outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

class ExecutableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("zentrella-exe-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
    setenv("ZTL_CLIPBOARD_FILE", (folder / "clipboard").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string user() const { return "--user-folder " + folder.string() + "/user"; }
  fs::path folder;
};

TEST_F(ExecutableTest, HelpAndUsageErrors) {
  const Outcome help = run("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.output.find("usage: zentrella"), std::string::npos);
  EXPECT_EQ(run("").code, 2);
  EXPECT_EQ(run("--frobnicate version").code, 2);
  const Outcome unknown = run(user() + " dance");
  EXPECT_EQ(unknown.code, 2);
  EXPECT_NE(unknown.output.find("unknown command: dance"), std::string::npos);
  EXPECT_EQ(run("--codepage 1252 version").code, 2);
  EXPECT_EQ(run("exec twelve").code, 2);
  EXPECT_EQ(run("run").code, 2);
  EXPECT_EQ(run("--project").code, 2);
  const Outcome ui = run("--ui web version");
  EXPECT_EQ(ui.code, 2);
  EXPECT_NE(ui.output.find("--ui takes desktop or terminal"), std::string::npos) << ui.output;
}

TEST_F(ExecutableTest, MalformedProjectEndsTheHostAndStaysAsItWas) {
  const std::string broken = (folder / "broken.json").string();
  const std::string text = "{\"format\":\"zentrella-projects\",\"version\":1,\"projects\":[{\"kind\":\"project\",}]}";
  std::ofstream(broken) << text;
  const Outcome outcome = run(user() + " --project " + broken + " clipboard");
  EXPECT_EQ(outcome.code, 1);
  EXPECT_NE(outcome.output.find(broken + ":1:"), std::string::npos) << outcome.output;
  std::ifstream in(broken);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
}

TEST_F(ExecutableTest, FirstRunMakesTheDefaultProjectFromTheSample) {
  const Outcome outcome = run(user() + " clipboard");
  EXPECT_EQ(outcome.code, 0) << outcome.output;
  EXPECT_TRUE(fs::exists(folder / "user" / "default.json"));
}

TEST_F(ExecutableTest, MissingPluginIsAClearError) {
  const Outcome outcome = run(user() + " --plugin " + (folder / "none.so").string() + " commands");
  EXPECT_EQ(outcome.code, 1);
  EXPECT_NE(outcome.output.find("cannot load the plug-in"), std::string::npos) << outcome.output;
}

// Exactly the host API is exported: all of it and nothing else.
TEST_F(ExecutableTest, ExportsTheHostApiAndNothingElse) {
  std::set<std::string> expected;
#define ZTL_EXPECT_NAME(ret, name, params) expected.insert("ZTLPlugin_" #name);
  ZENTRELLA_HOST_API(ZTL_EXPECT_NAME)
#undef ZTL_EXPECT_NAME
  ASSERT_EQ(expected.size(), 121u);
  const std::string command = "nm -D --defined-only " + std::string(ZENTRELLA_EXE);
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> exported;
  std::array<char, 512> line{};
  while (std::fgets(line.data(), line.size(), pipe) != nullptr) {
    std::istringstream fields(line.data());
    std::string address, type, name;
    fields >> address >> type >> name;
    if (name != "_IO_stdin_used") exported.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0) << "nm failed";
  EXPECT_EQ(exported, expected);
}

}  // namespace
}  // namespace zentrella::testing
