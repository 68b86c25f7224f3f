#include "model/wait_form.h"

#include <cstdio>
#include <unistd.h>

#include <platform/codepage.h>

#include "model/interrupt.h"

namespace zentrella {

WaitForm& wait_form() {
  static WaitForm form;
  return form;
}

bool WaitForm::on_terminal() const { return terminal_ >= 0 ? terminal_ == 1 : isatty(STDERR_FILENO) == 1; }

void WaitForm::show(ZtlWaitCancelProc cancel, std::string caption, std::string label) {
  if (shown_) erase();
  shown_ = true;
  cancel_ = cancel;
  caption_ = std::move(caption);
  label_ = std::move(label);
  started_ = std::chrono::steady_clock::now();
  drawn_second_ = -1;
  clear_interrupt();  // a Ctrl-C from before the form does not cancel it
  window_ = platform::prompt::front_end().show_wait_form(platform::codepage::to_utf8(caption_),
                                                         platform::codepage::to_utf8(label_));
  draw();
}

void WaitForm::set_label(std::string label) {
  label_ = std::move(label);
  drawn_second_ = -1;
  if (window_) window_->set_label(platform::codepage::to_utf8(label_));
  if (shown_) draw();
}

void WaitForm::close() {
  if (!shown_) return;
  erase();
  window_.reset();
  shown_ = false;
  cancel_ = nullptr;
}

void WaitForm::pump() {
  if (!shown_) return;
  const bool cancel_pressed = window_ && window_->pump();
  if (interrupt_requested() || cancel_pressed) {
    clear_interrupt();
    if (cancel_ != nullptr) cancel_();
  }
  if (shown_) draw();
}

std::string WaitForm::line() const {
  if (!shown_) return {};
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_).count();
  char clock[32];
  std::snprintf(clock, sizeof clock, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  std::string text = caption_.empty() ? std::string() : platform::codepage::to_utf8(caption_) + ": ";
  text += platform::codepage::to_utf8(label_);
  text += "  ";
  text += clock;
  return text;
}

// Redrawn once a second at most, so a busy pump does not flood the terminal.
void WaitForm::draw() {
  if (window_) return;  // the window shows the label
  // The clock first: the pump runs for every request, the terminal check is a system call.
  const auto second =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_).count();
  if (second == drawn_second_) return;
  drawn_second_ = second;
  if (!on_terminal()) return;
  std::fprintf(stderr, "\r%s\033[K", line().c_str());
  std::fflush(stderr);
}

void WaitForm::erase() {
  if (!on_terminal()) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
}

}  // namespace zentrella
