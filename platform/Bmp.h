// Windows bitmap files decoded into 0x00RRGGBB pixels, top row first: the
// one decoder of every backend. It reads uncompressed 1, 4 and 8 bits per
// pixel with their colour tables, 16, 24 and 32 bits (bit fields too), and
// run-length encoded 8-bit pictures (BI_RLE8, as the Windows build carries
// its pictures); bottom-up or top-down; the OS/2 12-byte header and the
// Windows info headers of 40 bytes and more.
//
// It trusts nothing in the file: a picture is refused before anything is
// allocated for it when it is wider or taller than kMaxBmpSide, or when the
// file is too short to hold the pixels it claims (uncompressed: every row;
// run-length encoded: one code of two bytes cannot set more than 255 of
// them), and every run, stretch and delta must stay inside the picture.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Picture.h"

namespace platform {

// The widest and tallest picture accepted (the game's are 400 x 300).
inline constexpr int kMaxBmpSide = 4096;

// Throws IoError whose text is `what`, ": " and the fault.
Image DecodeBmp(const void* bytes, std::size_t size, const std::string& what);

}  // namespace platform
