#include "platform/WavFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace platform {
namespace {

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
}

void PutText(std::vector<std::uint8_t>& out, const char* text) {
  out.insert(out.end(), text, text + std::strlen(text));
}

}  // namespace

std::vector<std::uint8_t> WavFileBytes(const PcmWaveFormat& format, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out;
  out.reserve(44 + data.size() + 1);
  PutText(out, "RIFF");
  PutLe(out, std::uint32_t(36 + data.size() + (data.size() & 1)), 4);
  PutText(out, "WAVEfmt ");
  PutLe(out, 16, 4);
  PutLe(out, format.formatTag, 2);
  PutLe(out, format.channels, 2);
  PutLe(out, format.samplesPerSec, 4);
  PutLe(out, format.avgBytesPerSec, 4);
  PutLe(out, format.blockAlign, 2);
  PutLe(out, format.bitsPerSample, 2);
  PutText(out, "data");
  PutLe(out, std::uint32_t(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
  return out;
}

void WriteWavFile(const std::string& path, const PcmWaveFormat& format, const std::vector<std::uint8_t>& data) {
  const std::vector<std::uint8_t> bytes = WavFileBytes(format, data);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace platform
