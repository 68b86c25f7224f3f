// A request from outside that this process stop what it is doing: the user's
// Ctrl-C, or the system closing the program (on the desktop, a console's
// control events and the session's end). A signal handler raises it; loops and
// waits that could last look at it at least every few hundred milliseconds, so
// the process reacts within a second whatever it is waiting for.
#pragma once

namespace platform::stop_request {

// Async-signal-safe. Stays raised until cleared.
void raise() noexcept;
bool raised() noexcept;
void clear() noexcept;

}  // namespace platform::stop_request
