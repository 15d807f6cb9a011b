// The face every text of the game is drawn in: IPA P Gothic from Debian's
// fonts-ipafont-gothic, or the file named by KESTO_FONT.
#pragma once

#include <string>

namespace platform::sdl {

std::string FontPath();

}  // namespace platform::sdl
