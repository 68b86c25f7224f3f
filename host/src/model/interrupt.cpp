#include "model/interrupt.h"

#include <csignal>

namespace zentrella {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void on_interrupt(int) { g_interrupted = 1; }

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
void clear_interrupt() { g_interrupted = 0; }
void request_interrupt() { g_interrupted = 1; }

}  // namespace zentrella
