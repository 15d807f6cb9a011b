// What the game reads of a gamepad, whatever the system's API: the side the
// d-pad or the left stick points to, and the south button (A). Each backend
// fills a PadState from its own events or polls; PadPresses turns the
// successive states into key presses of the game, one per push.
#pragma once

#include <functional>

#include "platform/Host.h"

namespace platform {

// A stick further than this from the centre (of 32767) points to its side.
inline constexpr int kStickThreshold = 16000;

struct PadState {
  bool left = false, right = false, south = false;
};

// The state of a pad from its d-pad, its left stick's x (-32768 .. 32767)
// and its south button.
PadState ReadPad(bool dpadLeft, bool dpadRight, int stickX, bool south);

class PadPresses {
 public:
  // Calls `press` with Key::Left, Key::Right or Key::PadSouth for what has
  // just been pushed since the last state.
  void Update(const PadState& state, const std::function<void(Key)>& press);

 private:
  PadState last_;
};

}  // namespace platform
