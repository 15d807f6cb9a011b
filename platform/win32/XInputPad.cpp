#include "platform/win32/XInputPad.h"

#include <windows.h>

namespace platform::win32 {
namespace {

// XInput's own records and bits, as its header declares them.
struct XInputGamepad {
  WORD buttons;
  BYTE leftTrigger, rightTrigger;
  SHORT thumbLX, thumbLY, thumbRX, thumbRY;
};
struct XInputState {
  DWORD packetNumber;
  XInputGamepad gamepad;
};
constexpr WORD kDpadLeft = 0x0004, kDpadRight = 0x0008, kButtonA = 0x1000;
constexpr DWORD kPads = 4;
using GetStateFunction = DWORD(WINAPI*)(DWORD, XInputState*);

GetStateFunction LoadGetState() {
  for (const wchar_t* name : {L"xinput1_4.dll", L"xinput1_3.dll", L"xinput9_1_0.dll"}) {
    if (HMODULE module = LoadLibraryW(name)) {
      if (FARPROC found = GetProcAddress(module, "XInputGetState"))
        return reinterpret_cast<GetStateFunction>(reinterpret_cast<void (*)()>(found));
      FreeLibrary(module);
    }
  }
  return nullptr;
}

}  // namespace

PadSource SystemPadSource() {
  static const GetStateFunction getState = LoadGetState();
  return [](PadState& state) {
    if (!getState) return false;
    for (DWORD pad = 0; pad < kPads; ++pad) {
      XInputState reading{};
      if (getState(pad, &reading) != ERROR_SUCCESS) continue;
      const XInputGamepad& g = reading.gamepad;
      state = ReadPad(g.buttons & kDpadLeft, g.buttons & kDpadRight, g.thumbLX, g.buttons & kButtonA);
      return true;
    }
    return false;
  };
}

}  // namespace platform::win32
