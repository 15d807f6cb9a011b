// The cue bodies, apart from the window so that benchmarks can drive them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "mixer/WaveMixComponent.h"

namespace game {

// The waves that the cues have replaced in wave0 and wave1. Each stays
// loaded while a play of it is queued or sounding and is released at the
// first sweep after that, so that a long session does not keep one wave per
// cue until it ends.
class EarlierWaves {
 public:
  // Takes charge of `wave` (nil is ignored). When it cannot be kept the
  // wave simply stays loaded.
  void Keep(mixer::MixWave* wave) noexcept;
  // Releases every kept wave that no channel of `mix` plays any more.
  void Sweep(mixer::TWaveMix& mix) noexcept;
  // Releases every kept wave, played or not.
  void ReleaseAll(mixer::TWaveMix& mix) noexcept;
  std::size_t Count() const { return waves_.size(); }

 private:
  std::vector<mixer::MixWave*> waves_;
};

// CueSound0/CueSound1: loads `path` anew into `slot` and queues it once on
// `channel` behind what the channel still plays. Never raises: when the load
// fails `slot` keeps its wave and nothing plays; when the play fails `slot`
// already holds the new wave. The wave `slot` held before goes to `earlier`,
// which is swept afterwards. Returns why the wave-out device failed or is
// gone when the mixer says so (it refuses to play a wave it loaded, or the
// device refuses the output format); empty when the wave was queued or its
// file could not be loaded.
std::string CueSound(mixer::TWaveMix& mix, int channel, mixer::MixWave*& slot, const std::string& path,
                     EarlierWaves& earlier) noexcept;

}  // namespace game
