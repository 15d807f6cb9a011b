// The native Windows backend: the main window with its picture shown through
// a 32-bit DIB (StretchDIBits), WM_TIMER timers, MessageBoxW boxes, real
// window classes and hidden windows for the mixer (RegisterClassW,
// CreateWindowW, PostMessageW), the winmm wave-out device and the MCI
// sequencer. One per process, on the thread that runs the message loop.
#pragma once

#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform::win32 {

// programFolder ends with a separator. Throws std::runtime_error when the
// window cannot be made.
std::unique_ptr<Host> CreateWin32Host(const std::string& programFolder);

}  // namespace platform::win32
