#include "platform/sdl/FluidMusic.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/MediaError.h"
#include "platform/MidiPlayer.h"
#include "platform/PlainFile.h"

namespace platform::sdl {
namespace {

constexpr const char* kSoundfonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"};
constexpr int kChunkFrames = 512;

// FluidSynth reports to stderr by default; the game reports failures itself,
// once per file, from the MediaError thrown below.
void SilenceFluidLog() {
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(level, nullptr, nullptr);
}

// A regular file at `path` (opened without blocking, so a FIFO or a device
// there is refused at once); else `reason` says why not.
bool Readable(const std::string& path, std::string& reason) {
  return PlainFile::Open(path, UINT64_MAX, reason) != nullptr;
}

bool Readable(const std::string& path) {
  std::string reason;
  return Readable(path, reason);
}

std::string Unreadable(const std::string& reason) { return "cannot be read (" + reason + ")"; }

}  // namespace

struct FluidMusic::Impl {
  mutable std::mutex lock;
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  std::string midi;  // the bytes the player was given, kept while it lives
  std::vector<float> chunk = std::vector<float>(kChunkFrames * 2);

  // Caller holds the lock.
  void DropPlayer() {
    if (player) {
      fluid_player_stop(player);
      delete_fluid_player(player);
      player = nullptr;
    }
    midi.clear();
    fluid_synth_all_sounds_off(synth, -1);
  }
};

std::string FluidMusic::SoundfontPath() {
  const char* env = std::getenv("KESTO_SOUNDFONT");
  if (env && *env) return env;
  for (const char* path : kSoundfonts)
    if (Readable(path)) return path;
  return kSoundfonts[0];
}

FluidMusic::FluidMusic(int sampleRate) : impl_(std::make_unique<Impl>()) {
  SilenceFluidLog();
  const std::string soundfont = SoundfontPath();
  std::string reason;
  if (!Readable(soundfont, reason)) throw MediaError(soundfont, "the soundfont " + Unreadable(reason));
  impl_->settings = new_fluid_settings();
  if (!impl_->settings) throw std::runtime_error("FluidSynth: cannot create settings");
  fluid_settings_setnum(impl_->settings, "synth.sample-rate", sampleRate);
  // The player follows the samples we render, not a clock thread of its own.
  fluid_settings_setstr(impl_->settings, "player.timing-source", "sample");
  fluid_settings_setint(impl_->settings, "synth.lock-memory", 0);
  // Our pieces with TimGM6mb come out at about -21 dBFS RMS at this gain, in
  // balance with the effects (tests/music/BalanceTest.cpp).
  fluid_settings_setnum(impl_->settings, "synth.gain", 0.9);
  impl_->synth = new_fluid_synth(impl_->settings);
  if (!impl_->synth || fluid_synth_sfload(impl_->synth, soundfont.c_str(), 1) == FLUID_FAILED) {
    if (impl_->synth) delete_fluid_synth(impl_->synth);
    delete_fluid_settings(impl_->settings);
    throw MediaError(soundfont, "FluidSynth cannot load this soundfont");
  }
}

FluidMusic::~FluidMusic() {
  {
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->DropPlayer();
  }
  delete_fluid_synth(impl_->synth);
  delete_fluid_settings(impl_->settings);
}

void FluidMusic::Open(const std::string& path) {
  Close();
  // The file is read without the lock: the audio thread goes on meanwhile.
  // FluidSynth is handed the bytes, never the name, so that what it reads
  // is the plain file read here.
  std::string reason;
  std::optional<std::string> bytes = ReadPlainFile(path, kMidiFileLimit, reason);
  if (!bytes) throw MediaError(path, "the music " + Unreadable(reason));
  if (bytes->compare(0, 4, "MThd") != 0) throw MediaError(path, "not a MIDI file");
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->DropPlayer();
  fluid_player_t* player = new_fluid_player(impl_->synth);
  if (!player || fluid_player_add_mem(player, bytes->data(), bytes->size()) != FLUID_OK) {
    if (player) delete_fluid_player(player);
    throw MediaError(path, "FluidSynth cannot load this MIDI file");
  }
  impl_->player = player;
  impl_->midi = std::move(*bytes);
}

void FluidMusic::Play() {
  std::lock_guard<std::mutex> guard(impl_->lock);
  if (!impl_->player) throw std::runtime_error("No MIDI file is open");
  if (fluid_player_play(impl_->player) != FLUID_OK) throw std::runtime_error("Cannot play the MIDI file");
}

void FluidMusic::Close() {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->DropPlayer();
}

bool FluidMusic::Playing() const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  return impl_->player && fluid_player_get_status(impl_->player) == FLUID_PLAYER_PLAYING;
}

void FluidMusic::MixInto(std::int16_t* out, int frames) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  // With nothing open the synth still renders the release of the last notes.
  while (frames > 0) {
    const int n = std::min(frames, kChunkFrames);
    float* music = impl_->chunk.data();
    // Float output: the 16-bit writer dithers, which would hiss in the silences.
    fluid_synth_write_float(impl_->synth, n, music, 0, 2, music, 1, 2);
    for (int i = 0; i < 2 * n; ++i)
      out[i] = std::int16_t(std::clamp(int(out[i]) + int(music[i] * 32767.0f), -32768, 32767));
    out += 2 * n;
    frames -= n;
  }
}

}  // namespace platform::sdl
