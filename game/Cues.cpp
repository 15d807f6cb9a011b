#include "game/Cues.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

#include "platform/MediaError.h"
#include "platform/PlainFile.h"

namespace game {
namespace {

// Why a wave did not load: the system's word when the file cannot be opened
// at all, else the mixer's message.
std::string WaveProblem(const std::string& path, const char* mixerMessage) {
  std::string reason;
  // Opened as the mixer opens it: a FIFO at the name must not block here.
  if (platform::PlainFile::Open(path, UINT64_MAX, reason)) return mixerMessage;
  return reason;
}

// The mixer's refusal when the device cannot play the session's output
// format. It is asked before the file is read, so it speaks of the device
// (one that has gone refuses everything), not of the file.
constexpr char kDeviceRefusesFormat[] = "The waveform device can\xB4t play this format";

// Keeps the message of a failure that means the device is lost.
void KeepFailure(std::string& failure, const char* text) noexcept {
  try {
    failure = text;
  } catch (...) {
  }
  if (failure.empty()) failure = "Unknown error";
}

// Loads a cue's wave; a file that cannot be loaded is reported (once per
// file) and gives nil. A device that refuses gives nil and its `failure`.
mixer::MixWave* LoadCueWave(mixer::TWaveMix& mix, const std::string& path, std::string& failure) noexcept {
  try {
    return mix.LoadWave(path.c_str());
  } catch (const mixer::EWaveMixError& e) {
    if (std::strcmp(e.what(), kDeviceRefusesFormat) == 0) {
      KeepFailure(failure, e.what());
      return nullptr;
    }
    try {
      platform::ReportSilentMedia(path, WaveProblem(path, e.what()));
    } catch (...) {
    }
  } catch (...) {
  }
  return nullptr;
}

}  // namespace


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

std::string CueSound(mixer::TWaveMix& mix, int channel, mixer::MixWave*& slot, const std::string& path,
                     EarlierWaves& earlier) noexcept {
  std::string failure;
  if (mixer::MixWave* loaded = LoadCueWave(mix, path, failure)) {
    // A cue never fails its caller; the game goes on without the sound.
    try {
      earlier.Keep(slot);
      slot = loaded;
      mix.Play(channel, slot, nullptr, 0, 0);
    } catch (const std::exception& e) {
      KeepFailure(failure, e.what());
    } catch (...) {
      KeepFailure(failure, "Unknown error");
    }
  }
  earlier.Sweep(mix);
  return failure;
}

}  // namespace game
