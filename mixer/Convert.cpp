#include "mixer/Convert.h"

#include <new>

#include "mixer/Session.h"

namespace mixer {
namespace {

// A result past kNeverPosition bytes could not be placed on the timeline; it is
// refused like a failed allocation, before anything is allocated.
Samples Allocate(std::uint64_t length) {
  if (length == 0 || length > std::uint32_t(kNeverPosition)) throw EWaveMixError(kMemoryMessage);
  Samples result(new (std::nothrow) std::uint8_t[length]);
  if (!result) throw EWaveMixError(kMemoryMessage);
  return result;
}

}  // namespace

Samples ConvertSampleWidth(Samples data, std::uint32_t& length, int fromBits, int toBits) {
  if (fromBits == toBits) return data;
  if ((fromBits != 8 && fromBits != 16) || (toBits != 8 && toBits != 16))
    throw EWaveMixError("File format not supported");
  const std::uint64_t samples = length / std::uint32_t(fromBits / 8);
  const std::uint64_t newLength = samples * std::uint32_t(toBits / 8);
  Samples result = Allocate(newLength);
  const std::uint8_t* in = data.get();
  std::uint8_t* out = result.get();
  if (fromBits == 16) {
    // The high byte of the little-endian sample, its sign bit flipped.
    for (std::uint64_t i = 0; i < samples; ++i) out[i] = std::uint8_t(in[2 * i + 1] ^ 0x80);
  } else {
    for (std::uint64_t i = 0; i < samples; ++i) {
      const std::uint16_t value = std::uint16_t((in[i] - 128) * 256);
      out[2 * i] = std::uint8_t(value);
      out[2 * i + 1] = std::uint8_t(value >> 8);
    }
  }
  length = std::uint32_t(newLength);
  return result;
}

Samples ConvertChannelCount(Samples data, std::uint32_t& length, int fromChannels, int toChannels) {
  if (fromChannels == toChannels) return data;
  const std::uint64_t frames = length / std::uint32_t(fromChannels);
  const std::uint64_t newLength = frames * std::uint32_t(toChannels);
  Samples result = Allocate(newLength);
  const std::uint8_t* in = data.get();
  std::uint8_t* out = result.get();
  if (fromChannels < toChannels) {
    for (std::uint64_t i = 0; i < frames; ++i) out[2 * i] = out[2 * i + 1] = in[i];
  } else {
    for (std::uint64_t i = 0; i < frames; ++i) out[i] = std::uint8_t((in[2 * i] + in[2 * i + 1]) / 2);
  }
  length = std::uint32_t(newLength);
  return result;
}

Samples ConvertSampleRate(Samples data, std::uint32_t& length, std::uint32_t fromRate, std::uint32_t toRate,
                          int channels) {
  if (fromRate == toRate) return data;
  const std::uint64_t c = std::uint32_t(channels);
  const std::uint64_t frames = length / c;
  const std::uint8_t* in = data.get();
  if (fromRate < toRate) {
    const std::uint64_t ratio = toRate / fromRate;
    const std::uint64_t newLength = frames * ratio * c;
    Samples result = Allocate(newLength);
    std::uint8_t* out = result.get();
    for (std::uint64_t f = 0; f + 1 < frames; ++f) {
      for (std::uint64_t ch = 0; ch < c; ++ch) {
        const int current = in[f * c + ch];
        const int step = (in[(f + 1) * c + ch] - current) / int(ratio);
        for (std::uint64_t k = 0; k < ratio; ++k)
          out[(f * ratio + k) * c + ch] = std::uint8_t(current + int(k) * step);
      }
    }
    for (std::uint64_t k = 0; k < ratio; ++k)
      for (std::uint64_t ch = 0; ch < c; ++ch) out[((frames - 1) * ratio + k) * c + ch] = in[(frames - 1) * c + ch];
    length = std::uint32_t(newLength);
    return result;
  }
  const std::uint64_t factor = (std::uint64_t{fromRate} + toRate / 2) / toRate;
  const std::uint64_t newFrames = frames / factor;
  const std::uint64_t newLength = newFrames * c;
  Samples result = Allocate(newLength);
  std::uint8_t* out = result.get();
  for (std::uint64_t f = 0; f + 1 < newFrames; ++f) {
    for (std::uint64_t ch = 0; ch < c; ++ch) {
      int sum = 0;
      for (std::uint64_t k = 0; k < factor; ++k) sum += in[(f * factor + k) * c + ch] - 128;
      out[f * c + ch] = std::uint8_t(sum / int(factor) + 128);
    }
  }
  for (std::uint64_t ch = 0; ch < c; ++ch) out[(newFrames - 1) * c + ch] = in[(newFrames - 1) * factor * c + ch];
  length = std::uint32_t(newLength);
  return result;
}

Samples ConvertWave(const PcmWaveFormat& output, const PcmWaveFormat& file, Samples data, std::uint32_t& length) {
  if (file.channels == output.channels && file.samplesPerSec == output.samplesPerSec &&
      file.bitsPerSample == output.bitsPerSample)
    return data;
  if (file.channels == 0 || file.channels > 2 || file.samplesPerSec == 0 || file.bitsPerSample == 0)
    throw EWaveMixError("File format not supported");
  data = ConvertSampleWidth(std::move(data), length, file.bitsPerSample, output.bitsPerSample);
  data = ConvertChannelCount(std::move(data), length, file.channels, output.channels);
  return ConvertSampleRate(std::move(data), length, file.samplesPerSec, output.samplesPerSec, output.channels);
}

}  // namespace mixer
