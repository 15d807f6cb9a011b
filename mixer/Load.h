// Reading PCM waves from files, resources and memory files: the RIFF walk.
// WaveMixLoadWave (WaveMix.h) is the public operation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mixer/WaveMix.h"

namespace mixer {

// Bytes of a wave source, read by offset. Reads past the end return fewer bytes.
class WaveSource {
 public:
  virtual ~WaveSource() = default;
  virtual std::size_t Read(std::uint64_t offset, void* into, std::size_t count) = 0;
  virtual std::uint64_t Size() const = 0;
};

// The format chunk and the position and size of the data chunk, or the
// RIFF walk's message thrown as EWaveMixError.
struct WaveLayout {
  PcmWaveFormat format;
  std::uint64_t dataOffset;
  std::uint32_t dataSize;
};
WaveLayout WalkRiff(WaveSource& source);

}  // namespace mixer
