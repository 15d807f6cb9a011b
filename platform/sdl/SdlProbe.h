// A look into the SDL backend and a way to feed it input, for tests and
// scripted checks. Input goes through SDL's event queue like the window
// system's own, so it is delivered by the event loop in order. `host` must
// be a host made by CreateSdlHost.
#pragma once

#include <string>

#include "platform/Host.h"
#include "platform/Picture.h"

namespace platform::sdl {

struct MainWindowState {
  bool shown = false;
  int clientWidth = 0, clientHeight = 0;
  std::string title;
};

MainWindowState ProbeMainWindow(Host& host);
// The colour the main window last presented at (x, y) of its client area.
Color ProbeMainWindowPixel(Host& host, int x, int y);
// How many message boxes are open, the innermost last.
int ProbeOpenBoxes(Host& host);

// A key press (down and up) with the main window focused.
void PushKeyPress(Host& host, Key key);
// A mouse press at window pixel (x, y) of the main window: client
// coordinates times the window's scale.
void PushMouseDown(Host& host, int x, int y, MouseButton button);
// A gamepad's button (an SDL_GameControllerButton) pushed and let go, and
// its left stick moved to x (-32768 .. 32767), as from any pad.
void PushPadButton(Host& host, int button);
void PushPadStick(Host& host, int x);
// The main window's close box.
void PushCloseRequest(Host& host);

}  // namespace platform::sdl
