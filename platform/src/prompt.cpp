#include "platform/prompt.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/stop_request.h"

namespace platform::prompt {
namespace {

struct FrontEnds {
  std::mutex mutex;
  std::unique_ptr<FrontEnd> installed;
  std::unique_ptr<FrontEnd> automatic;
  // The answers file the automatic one reads; nullopt for the terminal.
  std::optional<std::string> automatic_answers;
  // Replaced front ends are kept: a prompt may still be running on one.
  std::vector<std::unique_ptr<FrontEnd>> retired;
};

std::atomic<std::size_t> g_error_boxes{0};

// Prompts are shown on the thread that asks, so the watch is that thread's.
thread_local bool (*t_asker_gone)(void*) = nullptr;
thread_local void* t_asker_context = nullptr;

FrontEnds& front_ends() {
  static FrontEnds ends;
  return ends;
}

std::optional<std::string> answers_file() {
  const char* file = std::getenv(kAnswersVariable);
  if (file && *file) return std::string(file);
  return std::nullopt;
}

}  // namespace

FrontEnd& front_end() {
  FrontEnds& ends = front_ends();
  std::lock_guard lock(ends.mutex);
  if (ends.installed) return *ends.installed;
  // One scripted front end per answers file, so its answers are consumed
  // across the whole run rather than read afresh at every prompt.
  std::optional<std::string> answers = answers_file();
  if (ends.automatic && ends.automatic_answers == answers) return *ends.automatic;
  if (ends.automatic) ends.retired.push_back(std::move(ends.automatic));
  ends.automatic = answers ? make_scripted_front_end(*answers) : make_terminal_front_end();
  ends.automatic_answers = answers;
  return *ends.automatic;
}

AskerWatch::AskerWatch(bool (*gone)(void*), void* context) noexcept
    : previous_gone_(t_asker_gone), previous_context_(t_asker_context) {
  t_asker_gone = gone;
  t_asker_context = context;
}

AskerWatch::~AskerWatch() {
  t_asker_gone = previous_gone_;
  t_asker_context = previous_context_;
}

bool abandoned() noexcept {
  if (stop_request::raised()) return true;
  return t_asker_gone != nullptr && t_asker_gone(t_asker_context);
}

std::size_t error_boxes_asked() noexcept { return g_error_boxes.load(); }
void count_error_box() noexcept { ++g_error_boxes; }

void set_front_end(std::unique_ptr<FrontEnd> front_end) {
  FrontEnds& ends = front_ends();
  std::lock_guard lock(ends.mutex);
  if (ends.installed) ends.retired.push_back(std::move(ends.installed));
  ends.installed = std::move(front_end);
}

}  // namespace platform::prompt
