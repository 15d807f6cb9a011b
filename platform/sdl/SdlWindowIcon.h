// The program's icon (assets/icons/kesto-64.png, compiled in) on a window.
#pragma once

#include <SDL.h>

namespace platform::sdl {

// Sets the icon the desktop shows for `window`; a window without it is still
// a working window, so a failure is ignored.
void SetWindowIcon(SDL_Window* window);

}  // namespace platform::sdl
