// WAVE file images built in code for the mixer's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mixer_test {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe(Bytes& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
}

struct Fmt {
  std::uint16_t tag = 1;
  std::uint16_t channels = 1;
  std::uint32_t rate = 11025;
  std::uint16_t bits = 8;
};

inline Bytes FmtBody(const Fmt& f) {
  Bytes body;
  const std::uint16_t align = std::uint16_t(f.channels * f.bits / 8);
  PutLe(body, f.tag, 2);
  PutLe(body, f.channels, 2);
  PutLe(body, f.rate, 4);
  PutLe(body, f.rate * align, 4);
  PutLe(body, align, 2);
  PutLe(body, f.bits, 2);
  return body;
}

// One chunk: id, size (the body's unless given) and body, padded to even.
inline Bytes Chunk(const std::string& id, const Bytes& body, std::int64_t sizeField = -1) {
  Bytes out(id.begin(), id.end());
  PutLe(out, sizeField < 0 ? std::uint32_t(body.size()) : std::uint32_t(sizeField), 4);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
  return out;
}

inline Bytes Riff(const std::vector<Bytes>& chunks, const std::string& form = "WAVE") {
  Bytes body(form.begin(), form.end());
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  return Chunk("RIFF", body);
}

inline Bytes Wav(const Fmt& f, const Bytes& data) { return Riff({Chunk("fmt ", FmtBody(f)), Chunk("data", data)}); }

inline Bytes Samples16(const std::vector<std::int16_t>& samples) {
  Bytes out;
  for (std::int16_t s : samples) PutLe(out, std::uint16_t(s), 2);
  return out;
}

}  // namespace mixer_test
