#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include "platform/clipboard.h"
#include "platform/pipe.h"
#include "platform/process.h"
#include "scratch_space.h"

namespace platform {
namespace {

using test::ScopedVariable;
using test::ScratchFolder;

TEST(Clipboard, ChosenFileRoundTripsAnyText) {
  ScratchFolder folder;
  ScopedVariable file(clipboard::kClipboardFileVariable, folder / "board");
  EXPECT_EQ(clipboard::get_text(), "");  // nothing put there yet
  std::string text = "一行目\r\n\tsecond line\n";
  text.push_back('\0');
  text += "after a NUL";
  clipboard::set_text(text);
  EXPECT_EQ(test::file_text(folder / "board"), text);
  EXPECT_EQ(clipboard::get_text(), text);
  clipboard::set_text("");
  EXPECT_EQ(clipboard::get_text(), "");
}

TEST(Clipboard, TextStaysForAnotherProcess) {
  ScratchFolder folder;
  ScopedVariable file(clipboard::kClipboardFileVariable, folder / "board");
  clipboard::set_text("handed over");
  Pipe pipe = Pipe::create();
  StartOptions options;
  options.capture = &pipe.write;
  ChildProcess reader = ChildProcess::start("cat \"" + (folder / "board") + "\"", options);
  pipe.write.close();
  std::string out;
  while (pipe.read.read_blocking(out, 4096) > 0) {
  }
  reader.wait();
  EXPECT_EQ(out, "handed over");
}

class OwnClipboard : public ::testing::Test {
 protected:
  ScratchFolder runtime;
  ScopedVariable no_file{clipboard::kClipboardFileVariable, std::nullopt};
  ScopedVariable no_x{"DISPLAY", std::nullopt};
  ScopedVariable no_wayland{"WAYLAND_DISPLAY", std::nullopt};
  ScopedVariable runtime_dir{"XDG_RUNTIME_DIR", runtime.path()};
};

TEST_F(OwnClipboard, WithoutADesktopTheHostKeepsItsOwnFile) {
  clipboard::set_text("kept by the host");
  std::string file = runtime / "zentrella/clipboard";
  EXPECT_EQ(test::file_text(file), "kept by the host");
  EXPECT_EQ(clipboard::get_text(), "kept by the host");
  struct stat info {};
  ASSERT_EQ(::stat((runtime / "zentrella").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(OwnClipboard, RefusesAFolderOthersCanReach) {
  std::string folder = runtime / "zentrella";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ::chmod(folder.c_str(), 0755);
  EXPECT_THROW(clipboard::set_text("secret"), std::runtime_error);
  EXPECT_THROW(clipboard::get_text(), std::runtime_error);
}

TEST_F(OwnClipboard, RefusesAClipboardFileThatIsALink) {
  std::string folder = runtime / "zentrella";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  test::write_text(runtime / "elsewhere", "not the clipboard");
  ASSERT_EQ(::symlink((runtime / "elsewhere").c_str(), (folder + "/clipboard").c_str()), 0);
  EXPECT_THROW(clipboard::get_text(), std::runtime_error);
  EXPECT_THROW(clipboard::set_text("secret"), std::runtime_error);
  EXPECT_EQ(test::file_text(runtime / "elsewhere"), "not the clipboard");
}

// The message of what the call throws; empty (and a failure) if it throws nothing.
std::string refusal(void (*call)()) {
  try {
    call();
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  ADD_FAILURE() << "not refused";
  return {};
}

// Files of another owner take root to make (chown).
TEST_F(OwnClipboard, RefusesWhatAnotherUserOwnsNamingHim) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root; run the tests as root";
  std::string folder = runtime / "zentrella";
  std::string file = folder + "/clipboard";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  test::write_text(file, "planted");
  ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  for (auto call : {+[] { clipboard::get_text(); }, +[] { clipboard::set_text("secret"); }}) {
    std::string message = refusal(call);
    EXPECT_NE(message.find("the file " + file + " belongs to user nobody (uid 65534)"), std::string::npos)
        << message;
  }
  EXPECT_EQ(test::file_text(file), "planted");

  ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  std::string message = refusal(+[] { clipboard::get_text(); });
  EXPECT_NE(message.find("the runtime folder " + folder + " belongs to user nobody"), std::string::npos)
      << message;
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// A stand-in for xclip on PATH: keeps the selection in a file beside itself,
// insists on silent standard streams, and notes its process id.
class DesktopClipboard : public ::testing::Test {
 protected:
  DesktopClipboard() {
    std::string tool = folder / "xclip";
    test::write_text(tool,
                     "#!/bin/sh\n"
                     "dir=$(dirname \"$0\")\n"
                     "echo $$ > \"$dir/pid\"\n"
                     "[ \"$(readlink /proc/$$/fd/2)\" = /dev/null ] || exit 9\n"
                     "case \"$3\" in\n"
                     "  -in) [ \"$(readlink /proc/$$/fd/1)\" = /dev/null ] || exit 9\n"
                     "       cat > \"$dir/selection\"; [ -f \"$dir/fail\" ] && exit 5; exit 0;;\n"
                     "  -out) [ -f \"$dir/selection\" ] || exit 1; cat \"$dir/selection\";;\n"
                     "esac\n");
    ::chmod(tool.c_str(), 0755);
  }
  ScratchFolder folder;
  ScopedVariable no_file{clipboard::kClipboardFileVariable, std::nullopt};
  ScopedVariable display{"DISPLAY", ":99"};
  ScopedVariable no_wayland{"WAYLAND_DISPLAY", std::nullopt};
  ScopedVariable path{"PATH", folder.path() + ":/usr/bin:/bin"};
};

TEST_F(DesktopClipboard, GoesThroughTheDesktopTool) {
  EXPECT_EQ(clipboard::get_text(), "");  // the tool fails on an empty clipboard
  clipboard::set_text("on the desktop\n");
  EXPECT_EQ(test::file_text(folder / "selection"), "on the desktop\n");
  EXPECT_EQ(clipboard::get_text(), "on the desktop\n");
}

TEST_F(DesktopClipboard, ToolIsNotLeftAZombie) {
  clipboard::set_text("x");
  pid_t pid = std::stoi(test::file_text(folder / "pid"));
  std::string status = "/proc/" + std::to_string(pid) + "/status";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::filesystem::exists(status) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(std::filesystem::exists(status));
}

TEST_F(DesktopClipboard, FailingToolIsAnError) {
  test::write_text(folder / "fail", "");
  EXPECT_THROW(clipboard::set_text("lost"), std::runtime_error);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// Stand-ins for the desktop's clipboard tools, alone on PATH: each notes its
// arguments in NAME.args and keeps the selection in a file beside itself.
class DesktopTools : public ::testing::Test {
 protected:
  void install(const std::string& name, const std::string& in_flag, const std::string& out_flag) {
    std::string tool = tools / name;
    test::write_text(tool, "#!/bin/sh\n"
                           "echo \"$*\" >> \"" + (tools / name) + ".args\"\n"
                           "for a in \"$@\"; do\n"
                           "  [ \"$a\" = '" + in_flag + "' ] && exec /bin/cat > \"" + (tools / "selection") + "\"\n"
                           "  [ \"$a\" = '" + out_flag + "' ] && exec /bin/cat \"" + (tools / "selection") + "\"\n"
                           "done\n"
                           "exit 7\n");
    ::chmod(tool.c_str(), 0755);
  }
  void install_wayland() {
    install("wl-paste", "--never", "--no-newline");
    // wl-copy takes the text with no flag at all.
    std::string copy = tools / "wl-copy";
    test::write_text(copy, "#!/bin/sh\necho \"$*\" >> \"" + copy + ".args\"\nexec /bin/cat > \"" +
                               (tools / "selection") + "\"\n");
    ::chmod(copy.c_str(), 0755);
  }
  std::string args(const std::string& name) {
    return std::filesystem::exists(tools / (name + ".args")) ? test::file_text(tools / (name + ".args")) : "";
  }

  ScratchFolder tools;
  ScratchFolder runtime;
  ScopedVariable no_file{clipboard::kClipboardFileVariable, std::nullopt};
  ScopedVariable display{"DISPLAY", ":99"};
  ScopedVariable wayland{"WAYLAND_DISPLAY", std::nullopt};
  ScopedVariable path{"PATH", tools.path()};
  ScopedVariable runtime_dir{"XDG_RUNTIME_DIR", runtime.path()};
};

TEST_F(DesktopTools, XselServesXWhenXclipIsMissing) {
  install("xsel", "--input", "--output");
  clipboard::set_text("via xsel\n");
  EXPECT_EQ(test::file_text(tools / "selection"), "via xsel\n");
  EXPECT_EQ(clipboard::get_text(), "via xsel\n");
  EXPECT_EQ(args("xsel"), "--clipboard --input\n--clipboard --output\n");
}

// Under Wayland wl-copy comes first, even with the X tools at hand; under X
// xclip comes before xsel.
TEST_F(DesktopTools, EachDisplayTakesItsOwnToolFirst) {
  install_wayland();
  install("xclip", "-in", "-out");
  install("xsel", "--input", "--output");
  {
    ScopedVariable on_wayland{"WAYLAND_DISPLAY", "wayland-0"};
    clipboard::set_text("to wayland");
    EXPECT_EQ(clipboard::get_text(), "to wayland");
  }
  EXPECT_EQ(args("wl-copy"), "\n");
  EXPECT_EQ(args("wl-paste"), "--no-newline\n");
  clipboard::set_text("to x");
  EXPECT_EQ(clipboard::get_text(), "to x");
  EXPECT_EQ(args("xclip"), "-selection clipboard -in\n-selection clipboard -out\n");
  EXPECT_EQ(args("xsel"), "");
}

// A display with no tool that can reach it keeps the host's own clipboard and
// says so once, however often the clipboard is used. The X tools are no use
// to Wayland alone.
TEST_F(DesktopTools, WithoutAToolTheUserIsToldOnceAndTheHostKeepsTheText) {
  install("xclip", "-in", "-out");
  ScopedVariable no_x{"DISPLAY", std::nullopt};
  ScopedVariable on_wayland{"WAYLAND_DISPLAY", "wayland-0"};
  testing::internal::CaptureStderr();
  clipboard::set_text("kept");
  const std::string kept = clipboard::get_text();
  {
    ScopedVariable x_too{"DISPLAY", ":99"};
    std::filesystem::remove(tools / "xclip");
    clipboard::set_text("kept again");
  }
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_EQ(kept, "kept");
  EXPECT_EQ(test::file_text(runtime / "zentrella/clipboard"), "kept again");
  EXPECT_EQ(args("xclip"), "");
  const std::string file = runtime / "zentrella/clipboard";
  EXPECT_EQ(told, "clipboard: no clipboard tool (wl-copy, xclip or xsel) is installed; the clipboard is the file " +
                      file + "\n");
}

}  // namespace
}  // namespace platform
