// The mixer's host for programs that want the sound card and have no window
// of ours: a real millisecond clock, hidden windows and a posted-message
// queue that the program's own thread drains, and the SDL wave-out device.
#pragma once

#include <memory>
#include <string>

#include "platform/MixerHost.h"

namespace platform::sdl {

class SdlMixerHost : public platform::MixerHost {
 public:
  // folder: where WAVEMIX.INI is read from.
  explicit SdlMixerHost(std::string folder);
  ~SdlMixerHost() override;

  platform::WaveOut& WaveOutDevice() override;
  std::uint32_t Milliseconds() override;
  bool RegisterWindowClass(const std::string& className, platform::WindowProc proc,
                           std::uint32_t* lastError) override;
  platform::WindowHandle CreateHiddenWindow(const std::string& className) override;
  void DestroyHiddenWindow(platform::WindowHandle window) override;
  // Safe from any thread; wakes WaitAndDispatch.
  bool Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;
  std::string ConfigFolder() override;

  // Dispatches posted messages, waiting up to `ms` for the first one.
  void WaitAndDispatch(int ms);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::sdl
