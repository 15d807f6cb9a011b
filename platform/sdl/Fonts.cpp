#include "platform/sdl/Fonts.h"

#include <cstdlib>

namespace platform::sdl {

std::string FontPath() {
  constexpr const char* kDefaultFont = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";
  const char* env = std::getenv("KESTO_FONT");
  return env && *env ? env : kDefaultFont;
}

}  // namespace platform::sdl
