// The quit requests of Windows: the console's control events (Ctrl+C,
// Ctrl+Break, its close box, logoff and shutdown) as the signals of
// platform/Signals.h. The handler runs on a thread of its own: it records
// the event and wakes the thread that caught them, whose loop polls
// QuitSignal. For the events after which the system ends the process when
// the handler returns, it waits, so that the program saves and exits first.
// A window's own end of session (WM_ENDSESSION) is the host's.
#include "platform/Signals.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/ConsoleControl.h"

namespace platform {
namespace {

std::atomic<int> caught{0};
std::atomic<DWORD> mainThread{0};
// Set by ResetQuitSignal to let a waiting handler return (tests; a program
// ends before). Each handler call clears it before it wakes the loop.
HANDLE released = nullptr;

// The numbers of the C library's signals, as the POSIX side reports them.
constexpr int kInterrupt = 2, kTerminate = 15, kHangUp = 1;

}  // namespace

BOOL WINAPI win32::OnConsoleControl(DWORD event) {
  if (released) ResetEvent(released);
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      caught.store(kInterrupt);
      break;
    case CTRL_CLOSE_EVENT:
      caught.store(kHangUp);
      break;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      caught.store(kTerminate);
      break;
    default:
      return FALSE;
  }
  if (const DWORD thread = mainThread.load()) PostThreadMessageW(thread, WM_NULL, 0, 0);
  // After these the process ends when the handler returns: give the
  // program's loop the time to save and return from main, which ends the
  // process before this does.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && released) WaitForSingleObject(released, 10000);
  return TRUE;
}

void CatchQuitSignals() {
  if (!released) released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  mainThread.store(GetCurrentThreadId());
  SetConsoleCtrlHandler(win32::OnConsoleControl, TRUE);
}

int QuitSignal() { return caught.load(); }

void ResetQuitSignal() {
  caught.store(0);
  if (released) SetEvent(released);
}

}  // namespace platform
