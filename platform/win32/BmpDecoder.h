// Windows bitmap files decoded into 0x00RRGGBB pixels, top row first:
// uncompressed 1, 4, 8 (with their colour tables), 24 and 32 bits per pixel,
// bottom-up or top-down, with the old 12-byte and the newer info headers.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Picture.h"

namespace platform::win32 {

// Throws platform::IoError naming `what` and the fault.
Image DecodeBmp(const void* bytes, std::size_t size, const std::string& what);

}  // namespace platform::win32
