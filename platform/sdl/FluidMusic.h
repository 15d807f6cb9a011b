// General MIDI music rendered by FluidSynth, pulled by an audio callback.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::sdl {

class FluidMusic {
 public:
  // Loads the soundfont named by KESTO_SOUNDFONT, else Debian's General MIDI
  // one. Throws std::runtime_error when there is none or it cannot be loaded.
  explicit FluidMusic(int sampleRate);
  ~FluidMusic();
  FluidMusic(const FluidMusic&) = delete;
  FluidMusic& operator=(const FluidMusic&) = delete;

  // Stops what plays (no note is left hanging), then checks and queues the
  // file. Throws std::runtime_error when it is missing or not a MIDI file.
  void Open(const std::string& path);
  // Starts the opened file from its beginning.
  void Play();
  // Stops and forgets the opened file.
  void Close();
  bool Playing() const;

  // Audio thread: adds `frames` interleaved stereo frames of music to `out`,
  // saturating. Safe against the calls above, which may come from any thread.
  void MixInto(std::int16_t* out, int frames);

  static std::string SoundfontPath();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::sdl
