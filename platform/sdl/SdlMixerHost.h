// The mixer's host for programs that want the sound card and have no window
// of ours, on SDL: a real millisecond clock and the SDL wave-out device.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/WindowlessMixerHost.h"

namespace platform::sdl {

class SdlMixerHost : public platform::WindowlessMixerHost {
 public:
  // folder: where WAVEMIX.INI is read from.
  explicit SdlMixerHost(std::string folder);
  ~SdlMixerHost() override;

  platform::WaveOut& WaveOutDevice() override;
  std::uint32_t Milliseconds() override;

 private:
  const std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
  std::unique_ptr<platform::WaveOut> waveOut_;
};

}  // namespace platform::sdl
