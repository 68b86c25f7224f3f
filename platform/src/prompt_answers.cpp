#include "prompt_answers.h"

#include <string>

namespace platform::prompt::detail {
namespace {

std::string normalized(std::string_view word) {
  while (!word.empty() && (word.front() == ' ' || word.front() == '\t')) word.remove_prefix(1);
  while (!word.empty() && (word.back() == ' ' || word.back() == '\t' || word.back() == '\r' ||
                           word.back() == '\n')) {
    word.remove_suffix(1);
  }
  std::string text(word);
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool offers(Buttons buttons, Answer answer) {
  switch (buttons) {
    case Buttons::ok: return answer == Answer::ok;
    case Buttons::ok_cancel: return answer == Answer::ok || answer == Answer::cancel;
    case Buttons::yes_cancel: return answer == Answer::yes || answer == Answer::cancel;
    case Buttons::yes_no: return answer == Answer::yes || answer == Answer::no;
    case Buttons::yes_no_cancel: return answer != Answer::ok;
  }
  return false;
}

}  // namespace

std::optional<Answer> parse_answer(std::string_view word) {
  std::string text = normalized(word);
  if (text == "ok" || text == "o") return Answer::ok;
  if (text == "cancel" || text == "c") return Answer::cancel;
  if (text == "yes" || text == "y") return Answer::yes;
  if (text == "no" || text == "n") return Answer::no;
  return std::nullopt;
}

Answer fit_answer(std::optional<Answer> given, Buttons buttons) {
  if (given && offers(buttons, *given)) return *given;
  switch (buttons) {
    case Buttons::ok: return Answer::ok;  // closing the box is its one answer
    case Buttons::yes_no: return Answer::no;
    default: return Answer::cancel;
  }
}

const char* answer_word(Answer answer) {
  switch (answer) {
    case Answer::ok: return "ok";
    case Answer::cancel: return "cancel";
    case Answer::yes: return "yes";
    case Answer::no: return "no";
  }
  return "cancel";
}

const char* button_choices(Buttons buttons) {
  switch (buttons) {
    case Buttons::ok: return "[o]k";
    case Buttons::ok_cancel: return "[o]k/[c]ancel";
    case Buttons::yes_cancel: return "[y]es/[c]ancel";
    case Buttons::yes_no: return "[y]es/[n]o";
    case Buttons::yes_no_cancel: return "[y]es/[n]o/[c]ancel";
  }
  return "[o]k";
}

}  // namespace platform::prompt::detail
