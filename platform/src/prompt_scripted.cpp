// Scripted answers: the answers file is read at the first prompt and consumed
// a line at a time for the rest of the process's life; blank lines are
// skipped. Each prompt is logged, and one with no answer left fails loudly.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "append_line.h"
#include "platform/atomic_file.h"
#include "prompt_answers.h"

namespace platform::prompt {
namespace {

// Keeps a log entry on one line whatever the texts hold.
std::string one_line(std::string_view text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') line += "\\n";
    else if (c == '\r') line += "\\r";
    else if (c == '\t') line += "\\t";
    else line.push_back(c);
  }
  return line;
}

std::vector<std::string> answer_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (line.find_first_not_of(" \t\r") != std::string::npos) lines.push_back(std::move(line));
    begin = end + 1;
  }
  return lines;
}

class ScriptedFrontEnd final : public FrontEnd {
 public:
  explicit ScriptedFrontEnd(std::string answers_file) : answers_file_(std::move(answers_file)) {}

  Answer message_box(std::string_view text, std::string_view caption, Buttons buttons,
                     Icon) override {
    std::lock_guard lock(mutex_);
    load_once();
    if (next_ >= answers_.size()) {
      log(caption, text, "unexpected");
      std::string shown = one_line(text);
      std::fprintf(stderr, "unexpected prompt (no scripted answer left): %s: %s\n",
                   one_line(caption).c_str(), shown.c_str());
      throw UnexpectedPrompt(std::string(text));
    }
    Answer answer = detail::fit_answer(detail::parse_answer(answers_[next_++]), buttons);
    log(caption, text, detail::answer_word(answer));
    return answer;
  }

 private:
  void load_once() {
    if (loaded_) return;
    answers_ = answer_lines(read_whole_file(answers_file_).value_or(""));
    loaded_ = true;
  }

  static void log(std::string_view caption, std::string_view text, std::string_view answer) {
    const char* log_file = std::getenv(kLogVariable);
    if (!log_file || !*log_file) return;
    platform::detail::append_line(
        log_file, one_line(caption) + "\t" + one_line(text) + "\t" + std::string(answer));
  }

  std::mutex mutex_;
  std::string answers_file_;
  bool loaded_ = false;
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<FrontEnd> make_scripted_front_end(const std::string& answers_file) {
  return std::make_unique<ScriptedFrontEnd>(answers_file);
}

}  // namespace platform::prompt
