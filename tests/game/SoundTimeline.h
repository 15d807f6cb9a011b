// What the mixer should have played, built from its rules: each play sounds
// its data from its start position up to, not including, its last byte
// (end = start + length - 1), plays on different channels add around 0x80
// and clip, and nothing else is silence (0x80).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

struct PlacedPlay {
  Bytes data;
  std::size_t start;
};

inline Bytes MixedTimeline(const std::vector<PlacedPlay>& plays, std::size_t length) {
  std::vector<int> sum(length, 128);
  for (const PlacedPlay& play : plays)
    for (std::size_t i = 0; i + 1 < play.data.size() && play.start + i < length; ++i)
      sum[play.start + i] += play.data[i] - 128;
  Bytes out(length);
  for (std::size_t i = 0; i < length; ++i) out[i] = std::uint8_t(std::clamp(sum[i], 0, 255));
  return out;
}

// The first position where two timelines differ, for a readable failure.
inline std::string FirstDifference(const Bytes& got, const Bytes& want) {
  const std::size_t n = std::min(got.size(), want.size());
  for (std::size_t i = 0; i < n; ++i)
    if (got[i] != want[i])
      return "differs at " + std::to_string(i) + ": " + std::to_string(got[i]) + " instead of " +
             std::to_string(want[i]);
  if (got.size() != want.size()) return "lengths " + std::to_string(got.size()) + " and " + std::to_string(want.size());
  return "";
}

// Distinct, unclipped-looking sound: a saw around 0x80 of the given step.
inline Bytes Saw(std::size_t length, int step) {
  Bytes out(length);
  for (std::size_t i = 0; i < length; ++i) out[i] = std::uint8_t(98 + (i * std::size_t(step)) % 61);
  return out;
}

}  // namespace testing_support
