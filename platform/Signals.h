// The requests to end the program that come from outside its window: on
// POSIX systems SIGTERM (logout, kill), SIGINT (Ctrl+C) and SIGHUP (the
// terminal gone). The handler only records the signal; the program's loop
// polls it (Host::SetStopCheck) and ends as a close would, without boxes.
#pragma once

namespace platform {

// Installs the handlers. A read or wait that the signal interrupts returns
// early (no restart), so a program blocked on its input notices at once.
void CatchQuitSignals();

// The signal caught since CatchQuitSignals, or 0.
int QuitSignal();

// Forgets a caught signal (for tests).
void ResetQuitSignal();

}  // namespace platform
