#include "platform/sdl/SdlMixerHost.h"

#include <chrono>
#include <filesystem>

#include "platform/MessageWindows.h"
#include "platform/WaveOut.h"
#include "platform/sdl/SdlWaveOut.h"

namespace platform::sdl {

struct SdlMixerHost::Impl {
  std::string folder;
  std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
  platform::MessageWindows windows;
  std::unique_ptr<platform::WaveOut> waveOut;
};

SdlMixerHost::SdlMixerHost(std::string folder) : impl_(std::make_unique<Impl>()) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  impl_->folder = std::move(folder);
}

SdlMixerHost::~SdlMixerHost() { impl_->waveOut.reset(); }

platform::WaveOut& SdlMixerHost::WaveOutDevice() {
  if (!impl_->waveOut) impl_->waveOut = CreateSdlWaveOut(*this);
  return *impl_->waveOut;
}

std::uint32_t SdlMixerHost::Milliseconds() {
  return std::uint32_t(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - impl_->origin).count());
}

bool SdlMixerHost::RegisterWindowClass(const std::string& className, platform::WindowProc proc,
                                       std::uint32_t* lastError) {
  return impl_->windows.RegisterWindowClass(className, proc, lastError);
}

platform::WindowHandle SdlMixerHost::CreateHiddenWindow(const std::string& className) {
  return impl_->windows.CreateHiddenWindow(className);
}

void SdlMixerHost::DestroyHiddenWindow(platform::WindowHandle window) { impl_->windows.DestroyHiddenWindow(window); }

bool SdlMixerHost::Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
  return impl_->windows.Post(window, message, wParam, lParam);
}

std::string SdlMixerHost::ConfigFolder() { return impl_->folder; }

void SdlMixerHost::WaitAndDispatch(int ms) {
  impl_->windows.WaitForPosted(std::chrono::milliseconds(ms));
  impl_->windows.Dispatch();
}

}  // namespace platform::sdl
