#include "platform/win32/BmpDecoder.h"

#include <cstring>
#include <vector>

#include "platform/Errors.h"

namespace platform::win32 {
namespace {

// Larger pictures are refused rather than allocated.
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 26;

std::uint32_t Read16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t Read32(const std::uint8_t* p) { return Read16(p) | Read16(p + 2) << 16; }

[[noreturn]] void Fail(const std::string& what, const char* why) { throw IoError(what + ": " + why); }

// Runs of one index, absolute stretches, line ends, deltas and the end of
// the bitmap; pixels no code reaches keep index 0.
Image DecodeRle8(const std::uint8_t* data, std::size_t size, std::size_t at, int width, int height,
                         const std::vector<std::uint32_t>& palette, const std::string& what) {
  Image out;
  out.width = width;
  out.height = height;
  out.pixels.assign(std::size_t(width) * height, palette[0]);
  int x = 0, row = 0;  // row 0 is the bottom one
  auto put = [&](std::uint8_t index) {
    if (x < width && row < height) out.pixels[std::size_t(height - 1 - row) * width + x] = palette[index];
    ++x;
  };
  while (row < height) {
    if (at + 2 > size) Fail(what, "truncated pixel data");
    const std::uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(value);
    } else if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (at + 2 > size) Fail(what, "truncated pixel data");
      x += data[at];
      row += data[at + 1];
      at += 2;
    } else {
      if (at + value > size) Fail(what, "truncated pixel data");
      for (int i = 0; i < value; ++i) put(data[at + i]);
      at += (value + 1u) & ~1u;
    }
  }
  return out;
}

}  // namespace

Image DecodeBmp(const void* bytes, std::size_t size, const std::string& what) {
  const auto* data = static_cast<const std::uint8_t*>(bytes);
  auto fail = [&](const char* why) { Fail(what, why); };
  if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') fail("not a Windows bitmap");
  const std::uint32_t pixelOffset = Read32(data + 10);
  const std::uint32_t headerSize = Read32(data + 14);
  if (headerSize < 12 || 14 + std::size_t(headerSize) > size) fail("truncated bitmap header");

  std::int64_t width, height;
  std::uint32_t bits, compression = 0, paletteCount = 0;
  std::size_t paletteEntry = 4;
  const std::uint8_t* info = data + 14;
  if (headerSize == 12) {
    width = std::int16_t(Read16(info + 4));
    height = std::int16_t(Read16(info + 6));
    bits = Read16(info + 10);
    paletteEntry = 3;
  } else {
    if (headerSize < 40) fail("unsupported bitmap header");
    width = std::int32_t(Read32(info + 4));
    height = std::int32_t(Read32(info + 8));
    bits = Read16(info + 14);
    compression = Read32(info + 16);
    paletteCount = Read32(info + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width * height > kMaxPixels) fail("bad bitmap size");
  // Plain RGB, run-length encoded 8-bit, bit fields only in the usual
  // 32-bit layout.
  const bool rle8 = compression == 1 && bits == 8 && !topDown;
  if (compression != 0 && !rle8 && !(compression == 3 && bits == 32)) fail("unsupported compression");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) fail("unsupported colour depth");

  std::vector<std::uint32_t> palette;
  if (bits <= 8) {
    const std::uint32_t maxColours = 1u << bits;
    if (paletteCount == 0 || paletteCount > maxColours) paletteCount = maxColours;
    const std::size_t start = 14 + headerSize + (compression == 3 ? 12 : 0);
    if (start + paletteCount * paletteEntry > size) fail("truncated colour table");
    palette.resize(maxColours, 0);
    for (std::uint32_t i = 0; i < paletteCount; ++i) {
      const std::uint8_t* e = data + start + i * paletteEntry;
      palette[i] = std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
    }
  }

  if (rle8) return DecodeRle8(data, size, pixelOffset, int(width), int(height), palette, what);

  const std::size_t stride = ((std::size_t(width) * bits + 31) / 32) * 4;
  if (pixelOffset > size || stride * std::size_t(height) > size - pixelOffset) fail("truncated pixel data");

  Image out;
  out.width = int(width);
  out.height = int(height);
  out.pixels.resize(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < out.height; ++y) {
    const std::uint8_t* row = data + pixelOffset + stride * std::size_t(topDown ? y : out.height - 1 - y);
    std::uint32_t* dest = &out.pixels[std::size_t(y) * out.width];
    for (int x = 0; x < out.width; ++x) {
      switch (bits) {
        case 1: dest[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: dest[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
        case 8: dest[x] = palette[row[x]]; break;
        case 24: dest[x] = std::uint32_t(row[3 * x + 2]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x]; break;
        default: dest[x] = Read32(row + 4 * x) & 0xFFFFFF; break;
      }
    }
  }
  return out;
}

}  // namespace platform::win32
