#include "game/Cues.h"

#include <algorithm>

namespace game {

void EarlierWaves::Keep(mixer::MixWave* wave) noexcept {
  if (!wave) return;
  try {
    waves_.push_back(wave);
  } catch (...) {
    // Out of memory: the wave stays loaded until the program ends.
  }
}

void EarlierWaves::Sweep(mixer::TWaveMix& mix) noexcept {
  const auto released = [&mix](mixer::MixWave* wave) {
    try {
      if (mixer::WaveMixWaveInUse(mix.Session(), wave)) return false;
      mix.FreeWave(wave);
      return true;
    } catch (...) {
      return false;
    }
  };
  waves_.erase(std::remove_if(waves_.begin(), waves_.end(), released), waves_.end());
}

void EarlierWaves::ReleaseAll(mixer::TWaveMix& mix) noexcept {
  for (mixer::MixWave* wave : waves_) {
    try {
      mix.FreeWave(wave);
    } catch (...) {
      // Only a session that is gone refuses, and then nothing is left to free.
    }
  }
  waves_.clear();
}

void CueSound(mixer::TWaveMix& mix, int channel, mixer::MixWave*& slot, const std::string& path,
              EarlierWaves& earlier) noexcept {
  try {
    mixer::MixWave* loaded = mix.LoadWave(path.c_str());
    earlier.Keep(slot);
    slot = loaded;
    mix.Play(channel, slot, nullptr, 0, 0);
  } catch (...) {
    // A cue never fails its caller; the game goes on without the sound.
  }
  earlier.Sweep(mix);
}

}  // namespace game
