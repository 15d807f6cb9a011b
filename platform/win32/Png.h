// A PNG file of 0x00RRGGBB pixels (8-bit RGB, no compression: the zlib
// stream holds stored blocks), for the headless runner's shots on Windows.
#pragma once

#include <cstdint>
#include <string>

namespace platform::win32 {

std::string EncodePng(const std::uint32_t* pixels, int width, int height);

}  // namespace platform::win32
