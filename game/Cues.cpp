// The cue operations: sound effects through the mixer component, music
// through the media player. Every cue returns at once and swallows every
// failure; each also writes its call to the headless trace.
#include "game/Cues.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/Unit1.h"
#include "platform/Json.h"
#include "platform/MediaError.h"

namespace game {
namespace {

// Why a wave did not load: the system's word when the file cannot be opened
// at all, else the mixer's message.
std::string WaveProblem(const std::string& path, const char* mixerMessage) {
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fclose(file);
    return mixerMessage;
  }
  return std::strerror(errno);
}

// Loads a cue's wave; a file that cannot be loaded is reported (once per
// file) and gives nil.
mixer::MixWave* LoadCueWave(mixer::TWaveMix& mix, const std::string& path) noexcept {
  try {
    return mix.LoadWave(path.c_str());
  } catch (const mixer::EWaveMixError& e) {
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

void CueSound(mixer::TWaveMix& mix, int channel, mixer::MixWave*& slot, const std::string& path,
              EarlierWaves& earlier) noexcept {
  if (mixer::MixWave* loaded = LoadCueWave(mix, path)) {
    try {
      earlier.Keep(slot);
      slot = loaded;
      mix.Play(channel, slot, nullptr, 0, 0);
    } catch (...) {
      // A cue never fails its caller; the game goes on without the sound.
    }
  }
  earlier.Sweep(mix);
}

void TForm1::TraceCue(const char* operation, const std::string& name) noexcept {
  try {
    host_.Trace(std::string("{\"cue\":\"") + operation + "\",\"name\":" + platform::JsonString(name) + "}");
  } catch (...) {
    // A cue never fails its caller.
  }
}

std::string TForm1::DatPath(const std::string& name) const { return host_.ProgramFolder() + "/dat/" + name; }

void TForm1::CueSound0(const std::string& name) noexcept {
  TraceCue("CueSound0", name);
  try {
    CueSound(*WaveMix1, 0, wave0, DatPath(name), earlierWaves_);
  } catch (...) {
  }
}

void TForm1::CueSound1(const std::string& name) noexcept {
  TraceCue("CueSound1", name);
  try {
    CueSound(*WaveMix1, 1, wave1, DatPath(name), earlierWaves_);
  } catch (...) {
  }
}

void TForm1::CueMusic(const std::string& name) noexcept {
  if (name.empty()) return;
  TraceCue("CueMusic", name);
  try {
    mid_p->SetFileName(DatPath(name));
    mid_p->Open();
    mid_p->Play();
  } catch (...) {
    // Missing file, bad file or no synthesiser: silence, the game goes on.
  }
}

void TForm1::PrepareCues() noexcept {
  try {
    wave0 = WaveMix1->LoadWave(DatPath("1.wav").c_str());
    wave1 = WaveMix1->LoadWave(DatPath("1.wav").c_str());
  } catch (...) {
  }
}

void TForm1::ReleaseCues() noexcept {
  try {
    WaveMix1->FreeWave(wave1);
    wave1 = nullptr;
    WaveMix1->FreeWave(wave0);
    wave0 = nullptr;
  } catch (...) {
  }
  // Whatever the block above left (a slot that was never filled stops it
  // early) and the earlier waves are released too, so nothing outlives the
  // window.
  try {
    if (wave0) WaveMix1->FreeWave(wave0);
  } catch (...) {
  }
  wave0 = wave1 = nullptr;
  earlierWaves_.ReleaseAll(*WaveMix1);
}

std::size_t TForm1::CueWavesLoaded() const {
  return (wave0 ? 1 : 0) + (wave1 ? 1 : 0) + earlierWaves_.Count();
}

}  // namespace game
