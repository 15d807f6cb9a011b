// The console's control handler that CatchQuitSignals installs. The system
// calls it on a thread of its own; tests call it the same way.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Records the event as a quit signal (Ctrl+C and Ctrl+Break: 2, the console's
// close: 1, logoff and shutdown: 15) and wakes the thread that caught the
// signals. After the close, logoff and shutdown the system ends the process
// once the handler returns, so for those it waits, up to 10 s, for the
// program to save and return from main (ResetQuitSignal releases it
// earlier); TRUE when handled.
BOOL WINAPI OnConsoleControl(DWORD event);

}  // namespace platform::win32
