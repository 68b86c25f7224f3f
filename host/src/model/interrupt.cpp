#include "model/interrupt.h"

#include <csignal>

#include <platform/stop_request.h>

namespace zentrella {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
volatile std::sig_atomic_t g_terminated = 0;

extern "C" void on_interrupt(int signal_number) {
  if (signal_number == SIGTERM) g_terminated = 1;
  g_interrupted = 1;
  platform::stop_request::raise();
}

}  // namespace

void install_interrupt_handler() {
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool interrupt_requested() { return g_interrupted != 0; }

void clear_interrupt() {
  g_interrupted = 0;
  if (g_terminated == 0) platform::stop_request::clear();
}

void request_interrupt() {
  g_interrupted = 1;
  platform::stop_request::raise();
}

bool termination_requested() { return g_terminated != 0; }

}  // namespace zentrella
