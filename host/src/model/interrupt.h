// Ctrl-C and termination: the signal handler only raises flags (and the
// platform's stop request, which a running plug-in looks at even while it
// waits on a script); the main thread looks at them when it processes
// messages (to cancel a wait form) or between commands.
#pragma once

namespace zentrella {

// SIGINT raises the interrupt flag; SIGTERM raises it and the termination flag.
void install_interrupt_handler();
bool interrupt_requested();
// Clears the interrupt; a termination stays requested.
void clear_interrupt();
void request_interrupt();
// SIGTERM came: the host ends when the command in progress has stopped.
bool termination_requested();

}  // namespace zentrella
