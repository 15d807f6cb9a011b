// The mixer's host for Windows programs that want the sound card and have
// no window of ours (wavemix.exe): the multimedia clock and the winmm
// wave-out device.
#pragma once

#include <memory>
#include <string>

#include "platform/WindowlessMixerHost.h"

namespace platform::win32 {

class Win32MixerHost : public platform::WindowlessMixerHost {
 public:
  // folder: where WAVEMIX.INI is read from.
  explicit Win32MixerHost(std::string folder);
  ~Win32MixerHost() override;

  platform::WaveOut& WaveOutDevice() override;
  std::uint32_t Milliseconds() override;

 private:
  std::unique_ptr<platform::WaveOut> waveOut_;
};

}  // namespace platform::win32
