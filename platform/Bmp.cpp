#include "platform/Bmp.h"

#include <bit>
#include <cstdint>
#include <vector>

#include "platform/Errors.h"

namespace platform {
namespace {

// The compressions read here.
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kBitFields = 3;

std::uint32_t Read16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t Read32(const std::uint8_t* p) { return Read16(p) | Read16(p + 2) << 16; }

[[noreturn]] void Fail(const std::string& what, const char* why) { throw IoError(what + ": " + why); }

// One colour of a pixel given by its mask, scaled to 0..255; a zero mask
// gives 0.
class Field {
 public:
  explicit Field(std::uint32_t mask)
      : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask ? mask >> shift_ : 1) {}
  std::uint32_t operator()(std::uint32_t pixel) const {
    return std::uint32_t(std::uint64_t((pixel & mask_) >> shift_) * 255 / max_);
  }

 private:
  std::uint32_t mask_;
  int shift_;
  std::uint32_t max_;
};

// Runs of one index, absolute stretches, line ends, deltas and the end of
// the bitmap, bottom row first; pixels no code reaches keep index 0. A code
// that would set or move past the right edge or the top row is refused.
void DecodeRle8(const std::uint8_t* data, std::size_t size, std::size_t at, const std::vector<std::uint32_t>& palette,
                Image& out, const std::string& what) {
  const int width = out.width, height = out.height;
  out.pixels.assign(std::size_t(width) * std::size_t(height), palette[0]);
  int x = 0, row = 0;  // row 0 is the bottom one
  auto put = [&](std::uint8_t index) { out.pixels[std::size_t(height - 1 - row) * width + x++] = palette[index]; };
  while (row < height) {
    if (size - at < 2) Fail(what, "truncated pixel data");
    const std::uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      if (count > width - x) Fail(what, "run-length code past the picture's edge");
      for (int i = 0; i < count; ++i) put(value);
    } else if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (size - at < 2) Fail(what, "truncated pixel data");
      if (data[at] > width - x || data[at + 1] > height - row) Fail(what, "run-length code past the picture's edge");
      x += data[at];
      row += data[at + 1];
      at += 2;
    } else {
      if (size - at < value) Fail(what, "truncated pixel data");
      if (value > width - x) Fail(what, "run-length code past the picture's edge");
      for (int i = 0; i < value; ++i) put(data[at + i]);
      at += value;
      if (value & 1) {  // stretches keep the codes on even bytes
        if (at == size) Fail(what, "truncated pixel data");
        ++at;
      }
    }
  }
}

}  // namespace

Image DecodeBmp(const void* bytes, std::size_t size, const std::string& what) {
  const auto* data = static_cast<const std::uint8_t*>(bytes);
  auto fail = [&](const char* why) { Fail(what, why); };
  if (size < 14 + 4 || data[0] != 'B' || data[1] != 'M') fail("not a Windows bitmap");
  const std::uint32_t pixelOffset = Read32(data + 10);
  const std::uint32_t headerSize = Read32(data + 14);
  if (headerSize != 12 && headerSize < 40) fail("unsupported bitmap header");
  if (14 + std::uint64_t(headerSize) > size) fail("truncated bitmap header");

  std::int64_t width, height;
  std::uint32_t bits, compression = kRgb, paletteCount = 0;
  std::size_t paletteEntry = 4;
  const std::uint8_t* info = data + 14;
  if (headerSize == 12) {  // OS/2: unsigned 16-bit sizes, 3-byte colours
    width = Read16(info + 4);
    height = Read16(info + 6);
    bits = Read16(info + 10);
    paletteEntry = 3;
  } else {
    width = std::int32_t(Read32(info + 4));
    height = std::int32_t(Read32(info + 8));
    bits = Read16(info + 14);
    compression = Read32(info + 16);
    paletteCount = Read32(info + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) fail("bad bitmap size");
  if (width > kMaxBmpSide || height > kMaxBmpSide) fail("picture larger than 4096 x 4096");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    fail("unsupported colour depth");
  const bool supported = compression == kRgb || (compression == kRle8 && bits == 8 && !topDown) ||
                         (compression == kBitFields && (bits == 16 || bits == 32));
  if (!supported) fail("unsupported compression");

  // The masks of 16 and 32-bit pixels: the header's own (from 52 bytes on),
  // three words after a shorter one, or the usual 5-5-5 and 8-8-8 layouts.
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  if (compression == kBitFields) {
    const std::uint8_t* at = info + 40;
    if (headerSize < 52 && 14 + 40 + 12 > size) fail("truncated bitmap header");
    for (int i = 0; i < 3; ++i) masks[i] = Read32(at + 4 * i);
  }

  std::vector<std::uint32_t> palette;
  if (bits <= 8) {
    const std::uint32_t maxColours = 1u << bits;
    if (paletteCount == 0 || paletteCount > maxColours) paletteCount = maxColours;
    const std::uint64_t start = 14 + std::uint64_t(headerSize);
    if (start + std::uint64_t(paletteCount) * paletteEntry > size) fail("truncated colour table");
    palette.resize(maxColours, 0);
    for (std::uint32_t i = 0; i < paletteCount; ++i) {
      const std::uint8_t* e = data + start + i * paletteEntry;
      palette[i] = std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
    }
  }

  if (pixelOffset > size) fail("truncated pixel data");
  const std::uint64_t available = size - pixelOffset;
  const std::uint64_t pixelCount = std::uint64_t(width) * std::uint64_t(height);
  Image out;
  out.width = int(width);
  out.height = int(height);
  if (compression == kRle8) {
    if (available / 2 * 255 < pixelCount) fail("run-length data too short for the picture's size");
    DecodeRle8(data, size, pixelOffset, palette, out, what);
    return out;
  }

  const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
  if (stride * std::uint64_t(height) > available) fail("truncated pixel data");
  const Field red(masks[0]), green(masks[1]), blue(masks[2]);
  out.pixels.resize(pixelCount);
  for (int y = 0; y < out.height; ++y) {
    const std::uint8_t* row = data + pixelOffset + stride * std::uint64_t(topDown ? y : out.height - 1 - y);
    std::uint32_t* dest = &out.pixels[std::size_t(y) * out.width];
    for (int x = 0; x < out.width; ++x) {
      switch (bits) {
        case 1: dest[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: dest[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
        case 8: dest[x] = palette[row[x]]; break;
        case 24: dest[x] = std::uint32_t(row[3 * x + 2]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x]; break;
        default: {
          const std::uint32_t p = bits == 16 ? Read16(row + 2 * x) : Read32(row + 4 * x);
          dest[x] = red(p) << 16 | green(p) << 8 | blue(p);
        }
      }
    }
  }
  return out;
}

}  // namespace platform
