// The real wave-out device on SDL audio. Whatever the session's format, the
// device is asked for 16-bit stereo at 44100 Hz, good for the music mixed in
// beside the waves; SDL may change rate, format and channels, and an
// SDL_AudioStream converts the written blocks to what the device took. The audio callback
// plays the blocks in order, counts the bytes played and posts one
// mm::kWomDone per finished block through MixerHost::Post, the only step
// that crosses threads. The device buffer holds about 12 ms (128 to 512
// frames).
//
// Device 0 and mm::kWaveMapper are the system's default output; devices 1..n are
// SDL's named outputs. With no audio driver there are no devices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/WaveOut.h"

namespace platform::sdl {

// The rate asked of SDL when the device opens.
constexpr int kPreferredMixRate = 44100;

class SdlWaveOut final : public WaveOut {
 public:
  explicit SdlWaveOut(MixerHost& host);
  ~SdlWaveOut() override;
  SdlWaveOut(const SdlWaveOut&) = delete;
  SdlWaveOut& operator=(const SdlWaveOut&) = delete;

  std::uint32_t GetNumDevs() override;
  MmResult GetDevCaps(int deviceId, WaveOutCaps* caps) override;
  MmResult QueryFormat(int deviceId, const PcmWaveFormat& format) override;
  // mm::kAllocated when already open, mm::kNoDriver when SDL
  // cannot open the device.
  MmResult Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                WindowHandle callbackWindow) override;
  MmResult PrepareHeader(WaveOutHandle handle, WaveHeader* header) override;
  MmResult UnprepareHeader(WaveOutHandle handle, WaveHeader* header) override;
  // mm::kNoDriver once the device has gone (SDL stopped it).
  MmResult Write(WaveOutHandle handle, WaveHeader* header) override;
  MmResult Reset(WaveOutHandle handle) override;
  MmResult Pause(WaveOutHandle handle) override;
  MmResult Restart(WaveOutHandle handle) override;
  MmResult GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) override;
  MmResult Close(WaveOutHandle handle) override;

  // A second source mixed into every callback after the waves, while the
  // device is open, whether or not blocks play: it adds `frames` frames of
  // interleaved 16-bit stereo at MixRate() to `out`, saturating. It runs on
  // the audio thread under the device's lock; empty to remove. It may be
  // set before the device opens and stays across a close and an open.
  using MixSource = std::function<void(std::int16_t* out, int frames)>;
  void SetMixSource(MixSource source);
  // The rate the device took (0 while closed).
  int MixRate() const;

  // Audio thread: sees each run of session-format bytes as it leaves the
  // written blocks for the device (for latency measurements).
  using Tap = std::function<void(const std::uint8_t* bytes, std::size_t count)>;
  void SetTap(Tap tap);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

std::unique_ptr<WaveOut> CreateSdlWaveOut(MixerHost& host);

// Every SdlWaveOut of the process sends silence while muted: the effects and
// the music mixed in beside them at once. Safe from any thread.
void SetSoundMuted(bool muted);
bool SoundMuted();

}  // namespace platform::sdl
