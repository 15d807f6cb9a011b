// The real wave-out device on SDL audio. Whatever the session's format, the
// device is asked for 16-bit stereo at 44100 Hz, good for the music mixed in
// beside the waves; SDL may change rate, format and channels, and an
// SDL_AudioStream converts the written blocks to what the device took. The audio callback
// plays the blocks in order, counts the bytes played and posts one
// MM_WOM_DONE per finished block through Host::PostMessage, the only step
// that crosses threads. The device buffer holds about 12 ms (128 to 512
// frames).
//
// Device 0 and WAVE_MAPPER are the system's default output; devices 1..n are
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
  explicit SdlWaveOut(Host& host);
  ~SdlWaveOut() override;
  SdlWaveOut(const SdlWaveOut&) = delete;
  SdlWaveOut& operator=(const SdlWaveOut&) = delete;

  std::uint32_t GetNumDevs() override;
  MMRESULT GetDevCaps(int deviceId, WaveOutCaps* caps) override;
  MMRESULT QueryFormat(int deviceId, const PcmWaveFormat& format) override;
  // MMSYSERR_ALLOCATED when already open, MMSYSERR_NODRIVER when SDL
  // cannot open the device.
  MMRESULT Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                WindowHandle callbackWindow) override;
  MMRESULT PrepareHeader(WaveOutHandle handle, WaveHeader* header) override;
  MMRESULT UnprepareHeader(WaveOutHandle handle, WaveHeader* header) override;
  MMRESULT Write(WaveOutHandle handle, WaveHeader* header) override;
  MMRESULT Reset(WaveOutHandle handle) override;
  MMRESULT Pause(WaveOutHandle handle) override;
  MMRESULT Restart(WaveOutHandle handle) override;
  MMRESULT GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) override;
  MMRESULT Close(WaveOutHandle handle) override;

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

std::unique_ptr<WaveOut> CreateSdlWaveOut(Host& host);

}  // namespace platform::sdl
