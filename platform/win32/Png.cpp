#include "platform/win32/Png.h"

#include <algorithm>
#include <array>

namespace platform::win32 {
namespace {

std::uint32_t Crc(const std::string& bytes, std::size_t from) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = from; i < bytes.size(); ++i) c = table[(c ^ std::uint8_t(bytes[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Put32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += char(v >> shift);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, std::uint32_t(data.size()));
  const std::size_t start = out.size();
  out += type;
  out += data;
  Put32(out, Crc(out, start));
}

}  // namespace

std::string EncodePng(const std::uint32_t* pixels, int width, int height) {
  std::string raw;
  raw.reserve(std::size_t(height) * (1 + 3 * std::size_t(width)));
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[std::size_t(y) * width + x];
      raw += char(p >> 16);
      raw += char(p >> 8);
      raw += char(p);
    }
  }
  std::string z = "\x78\x01";
  std::uint32_t a = 1, b = 0;
  for (char c : raw) {
    a = (a + std::uint8_t(c)) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    z += char(last ? 1 : 0);
    z += char(n & 0xFF);
    z += char(n >> 8);
    z += char(~n & 0xFF);
    z += char((~n >> 8) & 0xFF);
    z.append(raw, at, n);
    if (last) break;
  }
  Put32(z, (b << 16) | a);

  std::string out = "\x89PNG\r\n\x1a\n";
  std::string header;
  Put32(header, std::uint32_t(width));
  Put32(header, std::uint32_t(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", "");
  return out;
}

}  // namespace platform::win32
