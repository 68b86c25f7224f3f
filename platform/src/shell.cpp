#include "platform/shell.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "append_line.h"
#include "spawn.h"

namespace platform::shell {

void open(const std::string& target) {
  if (const char* log = std::getenv(kShellOpenLogVariable); log && *log) {
    detail::append_line(log, target);
    return;
  }
  std::optional<std::string> opener = detail::find_program("xdg-open");
  if (!opener) {
    std::fprintf(stderr, "cannot open %s: xdg-open not found\n", target.c_str());
    return;
  }
  // Detached: in a session of its own, silent, reaped in the background, so
  // what it opens outlives the host and never writes into the host's output.
  detail::SpawnSpec spec;
  spec.argv = {*opener, target};
  spec.stdin_fd = spec.stdout_fd = spec.stderr_fd = detail::kNullDevice;
  spec.new_session = true;
  try {
    detail::Spawned opened = detail::spawn(spec);
    detail::hand_to_reaper(opened.pid, opened.pidfd);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot open %s: %s\n", target.c_str(), error.what());
  }
}

namespace {

bool is_program(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> words_of(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream stream(text);
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

}  // namespace

bool open_with(const Launch& launch) {
  if (const char* log = std::getenv(kShellOpenLogVariable); log && *log) {
    detail::append_line(log, launch.target + '\t' + launch.folder + '\t' + launch.option);
    return true;
  }
  detail::SpawnSpec spec;
  if (is_program(launch.target)) {
    spec.argv = {launch.target};
    for (std::string& word : words_of(launch.option)) spec.argv.push_back(std::move(word));
  } else if (std::optional<std::string> opener = detail::find_program("xdg-open")) {
    spec.argv = {*opener, launch.target};
  } else {
    std::fprintf(stderr, "cannot open %s: xdg-open not found\n", launch.target.c_str());
    return false;
  }
  spec.directory = launch.folder;
  spec.stdin_fd = spec.stdout_fd = spec.stderr_fd = detail::kNullDevice;
  spec.new_session = true;
  try {
    detail::Spawned opened = detail::spawn(spec);
    detail::hand_to_reaper(opened.pid, opened.pidfd);
    return true;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot open %s: %s\n", launch.target.c_str(), error.what());
    return false;
  }
}

}  // namespace platform::shell
