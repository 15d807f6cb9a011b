// A 24-bit BMP of one colour, for start pictures and faces made in the test.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Picture.h"

namespace testing_support {

inline std::string SolidBmp(int width, int height, platform::Color colour) {
  std::string b;
  auto put16 = [&](unsigned v) {
    b += char(v & 0xFF);
    b += char(v >> 8);
  };
  auto put32 = [&](unsigned v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const unsigned rowBytes = (unsigned(width) * 3 + 3) / 4 * 4;
  const unsigned pixelBytes = rowBytes * unsigned(height);
  b += "BM";
  put32(14 + 40 + pixelBytes);
  put32(0);
  put32(14 + 40);
  put32(40);
  put32(unsigned(width));
  put32(unsigned(height));
  put16(1);
  put16(24);
  put32(0);
  put32(pixelBytes);
  put32(2835);
  put32(2835);
  put32(0);
  put32(0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      b += char(colour.b);
      b += char(colour.g);
      b += char(colour.r);
    }
    b.append(rowBytes - unsigned(width) * 3, '\0');
  }
  return b;
}

inline void Fill(platform::Picture& picture, platform::Color colour) {
  const std::string bmp = SolidBmp(400, 300, colour);
  picture.LoadFromMemory(bmp.data(), bmp.size());
}

}  // namespace testing_support
