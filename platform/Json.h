// Text for the headless runner's JSON trace lines.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `text` as a quoted JSON string. Valid UTF-8 passes through unchanged;
// quote and backslash are escaped, control characters become \u00xx, and
// each byte that is not part of valid UTF-8 (the game's texts carry lone
// Latin-1 bytes such as 0xB4) is written as \u00xx, its Latin-1 meaning.
std::string JsonString(std::string_view text);

}  // namespace platform
