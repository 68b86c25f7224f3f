#include "requests/families/dialog.h"

#include <cstdint>
#include <limits>
#include <string>

#include "dialogs/input_dialog_form.h"
#include "requests/date_time.h"

namespace scriptlink {

namespace {

std::string CaptionOrDefault(std::string_view caption) {
  return caption.empty() ? std::string(kDefaultDialogCaption) : std::string(caption);
}

// The seconds of a confirmed date; 0 (read as no date) for one the channel's
// word cannot carry, which would otherwise arrive as the last second of 2038.
std::int32_t ChosenSeconds(double date_time) noexcept {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int32_t seconds = DateTimeToSeconds(date_time);
  if (seconds == kMax && (date_time - kChannelEpoch) * 24 * 60 * 60 > kMax + 0.5) return 0;
  return seconds;
}

}  // namespace

void HandleItemSelect(RequestContext& context) {
  PayloadReader payload = context.payload();
  const std::int32_t flag1 = payload.word();
  const std::int32_t flag2 = payload.word();
  const std::int32_t flag3 = payload.word();
  const auto start = static_cast<ZtlHandle>(payload.word());
  const std::string caption = CaptionOrDefault(payload.text());
  context.reply_handle(context.host().SelectItemFormShow(caption.c_str(), start, flag1, flag2, flag3));
}

void HandleDateDialog(RequestContext& context) {
  PayloadReader payload = context.payload();
  const std::int32_t initial = payload.word();
  const std::string caption = CaptionOrDefault(payload.text());
  double date_time = initial > 0 ? SecondsToDateTime(initial) : 0.0;
  if (context.host().DateDialogExecute(caption.c_str(), &date_time) == 0) {
    context.reply_word(-1);
    return;
  }
  context.reply_word(ChosenSeconds(date_time));
}

void HandleInputDialog(RequestContext& context) {
  PayloadReader payload = context.payload();
  const std::string_view caption = payload.text();
  const std::string_view prompt = payload.text();
  const std::string_view initial = payload.text();
  const std::string_view choices = payload.text();
  // The form lives for this request only; its owner, the host's main window,
  // is the front end's to keep it above.
  TInputDialogForm form;
  form.SetCaption(CaptionOrDefault(caption));
  form.SetPrompt(prompt);
  form.SetInitialText(initial);
  form.SetChoices(choices);
  if (!form.Run()) {
    context.reply_empty();
    return;
  }
  context.reply_text(form.EnteredText());
}

}  // namespace scriptlink
