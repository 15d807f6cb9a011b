// Converting a wave's samples, once at load time, to the session's output
// format. Each step takes ownership of its input: it returns it unchanged
// when there is nothing to do, or frees it and returns a new block of the
// exact new length (updating `length`), or frees it and throws EWaveMixError.
#pragma once

#include <cstdint>
#include <memory>

#include "mixer/WaveMix.h"

namespace mixer {

using Samples = std::unique_ptr<std::uint8_t[]>;

// Width, then channel count, then rate. A file format with 0 channels, a
// rate of 0, 0 bits or more than two channels is refused with "File format
// not supported" whenever a conversion is needed.
Samples ConvertWave(const PcmWaveFormat& output, const PcmWaveFormat& file, Samples data, std::uint32_t& length);

// 8 <-> 16 bits; other widths: "File format not supported".
Samples ConvertSampleWidth(Samples data, std::uint32_t& length, int fromBits, int toBits);
// Mono <-> stereo on 8-bit samples.
Samples ConvertChannelCount(Samples data, std::uint32_t& length, int fromChannels, int toChannels);
// Whole-ratio interpolation upwards, rounded-factor averaging downwards, on
// 8-bit samples with `channels` samples a frame.
Samples ConvertSampleRate(Samples data, std::uint32_t& length, std::uint32_t fromRate, std::uint32_t toRate,
                          int channels);

}  // namespace mixer
