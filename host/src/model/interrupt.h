// Ctrl-C: the signal handler only raises a flag; the main thread looks at it
// when it processes messages (to cancel a wait form) or between commands.
#pragma once

namespace zentrella {

// SIGINT and SIGTERM raise the flag.
void install_interrupt_handler();
bool interrupt_requested();
void clear_interrupt();
void request_interrupt();

}  // namespace zentrella
