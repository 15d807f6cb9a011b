// Writing PCM data as a WAVE file: a RIFF header with the 16-byte format
// chunk, then the data chunk (padded to an even length, as RIFF wants).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WaveOut.h"

namespace platform {

std::vector<std::uint8_t> WavFileBytes(const PcmWaveFormat& format, const std::vector<std::uint8_t>& data);
// Throws std::runtime_error, with strerror's text, when the file cannot be written.
void WriteWavFile(const std::string& path, const PcmWaveFormat& format, const std::vector<std::uint8_t>& data);

}  // namespace platform
