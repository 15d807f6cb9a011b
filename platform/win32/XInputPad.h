// A gamepad on Windows through XInput: XInputGetState of the first pad that
// answers, from the first of xinput1_4.dll, xinput1_3.dll and
// xinput9_1_0.dll that loads, looked up at run time so that a system
// without XInput still runs the game (with no pad). The host polls it on
// its own timer.
#pragma once

#include <functional>

#include "platform/Gamepad.h"

namespace platform::win32 {

// Fills `state` and returns true while a pad is connected.
using PadSource = std::function<bool(PadState& state)>;

// The system's XInput; a source that finds no pad when it has none.
PadSource SystemPadSource();

// The host made by CreateWin32Host reads its pad from `source` from now on
// (the tests' fake pads).
void SetPadSource(Host& host, PadSource source);

}  // namespace platform::win32
