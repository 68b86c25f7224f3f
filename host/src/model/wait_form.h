// The wait form shown while a plug-in works: on the desktop, a window with
// the label and a cancel button (from the prompt front end); in a terminal,
// one line on stderr with the label and the time running, refreshed whenever
// messages are processed and cleared on close; otherwise nothing is shown.
// Ctrl-C, or the window's cancel button, while it is shown calls its cancel
// callback on the main thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <platform/prompt.h>
#include <zentrella/host_api.h>

namespace zentrella {

class WaitForm {
 public:
  void show(ZtlWaitCancelProc cancel, std::string caption, std::string label);
  void set_label(std::string label);
  void close();
  bool shown() const { return shown_; }
  const std::string& label() const { return label_; }
  // Runs the cancel callback when Ctrl-C came, and refreshes the line.
  void pump();
  // The line as shown ("" when not shown).
  std::string line() const;
  // Forces terminal output on or off (tests); by default stderr decides.
  void set_terminal(bool on) { terminal_ = on ? 1 : 0; }

 private:
  bool on_terminal() const;
  void draw();
  void erase();

  bool shown_ = false;
  ZtlWaitCancelProc cancel_ = nullptr;
  std::string caption_;
  std::string label_;
  std::chrono::steady_clock::time_point started_;
  std::int64_t drawn_second_ = -1;
  int terminal_ = -1;
  std::unique_ptr<platform::prompt::WaitWindow> window_;
};

WaitForm& wait_form();

}  // namespace zentrella
