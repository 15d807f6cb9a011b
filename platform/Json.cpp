#include "platform/Json.h"

#include <cstdint>

namespace platform {
namespace {

// Length of the well-formed UTF-8 sequence starting at text[i], or 0 when
// the byte there does not start one (overlong forms, surrogates and code
// points past U+10FFFF are not well formed).
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  std::uint8_t lead = byte(i);
  std::size_t length;
  std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

void AppendEscaped(std::string& out, std::uint8_t value) {
  static const char hex[] = "0123456789abcdef";
  out += "\\u00";
  out += hex[value >> 4];
  out += hex[value & 0xF];
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<std::uint8_t>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      AppendEscaped(out, c);
      ++i;
    } else if (std::size_t length = Utf8Length(text, i); length > 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      AppendEscaped(out, c);
      ++i;
    }
  }
  out += '"';
  return out;
}

}  // namespace platform
