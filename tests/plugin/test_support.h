// Helpers shared by the plug-in core tests: a temporary folder that removes
// itself, whole-file reads, and the environment every test process needs.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "commands/command_record.h"

namespace scriptlink_test {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "scriptlink-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // With a trailing "/".
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A user command whose script is "tools/<caption>.rb".
inline scriptlink::CommandRecord UserRecord(std::uint32_t number, const std::string& caption) {
  scriptlink::CommandRecord record = scriptlink::EmptyCommandRecord();
  record.command_number = number;
  record.icon_number = static_cast<std::int32_t>(number);
  record.SetCaption(caption);
  record.SetCommandName(scriptlink::UserCommandName(number));
  record.SetScriptFile("tools/" + caption + ".rb");
  return record;
}

inline bool IsFolder(const std::string& path) { return std::filesystem::is_directory(path); }

// A kernel namespace of this process alone (start-up creates a named mapping),
// and scripted prompts with no answers, so an unexpected prompt fails loudly
// instead of waiting on the terminal.
class ProcessEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::string pid = std::to_string(::getpid());
    ::setenv("ZTL_NAMESPACE", ("scriptlink-core-test-" + pid).c_str(), 1);
    WriteFile(folder_.path() + "answers", "");
    ::setenv("ZTL_PROMPT_ANSWERS", (folder_.path() + "answers").c_str(), 1);
    ::setenv("ZTL_PROMPT_LOG", (folder_.path() + "prompts").c_str(), 1);
    ::setenv("ZTL_SHELL_OPEN_LOG", (folder_.path() + "opened").c_str(), 1);
  }
  static std::string PromptLog() { return ReadFile(folder_.path() + "prompts"); }
  static std::string OpenedLog() { return ReadFile(folder_.path() + "opened"); }

 private:
  static inline TempFolder folder_;
};

inline const bool kEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(std::make_unique<ProcessEnvironment>().release()), true);

}  // namespace scriptlink_test
