// The face every text of the game is drawn in: IPA P Gothic from Debian's
// fonts-ipafont-gothic, or the file named by KESTO_FONT.
#pragma once

#include <SDL_ttf.h>

#include <string>

namespace platform::sdl {

std::string FontPath();

// The face at `sizePoints` (96 dpi) with a TTF_STYLE_ mask: one font for
// each, kept open for the program's life and shared by the pictures' texts
// and the message boxes. Throws platform::IoError.
TTF_Font* TextFont(int sizePoints, int style);

}  // namespace platform::sdl
