#include "platform/Gamepad.h"

namespace platform {

PadState ReadPad(bool dpadLeft, bool dpadRight, int stickX, bool south) {
  return PadState{dpadLeft || stickX < -kStickThreshold, dpadRight || stickX > kStickThreshold, south};
}

void PadPresses::Update(const PadState& state, const std::function<void(Key)>& press) {
  const PadState before = last_;
  last_ = state;
  if (state.left && !before.left) press(Key::Left);
  if (state.right && !before.right) press(Key::Right);
  if (state.south && !before.south) press(Key::PadSouth);
}

}  // namespace platform
