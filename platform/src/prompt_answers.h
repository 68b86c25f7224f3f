// What the terminal and scripted front ends share: answer words, and the rule
// that an answer the buttons do not offer counts as cancel (or as the
// negative button when there is no cancel).
#pragma once

#include <optional>
#include <string_view>

#include "platform/prompt.h"

namespace platform::prompt::detail {

// "ok", "cancel", "yes", "no" (any case, blanks around ignored), or their
// first letter; nullopt for anything else.
std::optional<Answer> parse_answer(std::string_view word);

// The answer the buttons allow for what was given.
Answer fit_answer(std::optional<Answer> given, Buttons buttons);

const char* answer_word(Answer answer);

// "[y]es/[c]ancel" and the like.
const char* button_choices(Buttons buttons);

}  // namespace platform::prompt::detail
