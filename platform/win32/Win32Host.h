// The native Windows backend: the main window with its picture shown through
// a 32-bit DIB (StretchDIBits, enlarged by whole factors), WM_TIMER timers, MessageBoxW boxes, real
// window classes and hidden windows for the mixer (RegisterClassW,
// CreateWindowW, PostMessageW), the winmm wave-out device and the MCI
// sequencer. One per process, on the thread that runs the message loop.
#pragma once

#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform::win32 {

// programFolder ends with a separator. The window shows the picture `scale`
// times as large (kMinScale to kMaxScale); 0 picks the screen's default
// (DefaultScale). Throws std::runtime_error when the window cannot be made.
std::unique_ptr<Host> CreateWin32Host(const std::string& programFolder, int scale = 1);

}  // namespace platform::win32
