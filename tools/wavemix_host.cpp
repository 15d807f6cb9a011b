#include "tools/wavemix_host.h"

#include <chrono>
#include <filesystem>

#include "platform/MessageWindows.h"
#include "platform/WaveOut.h"
#include "platform/sdl/SdlWaveOut.h"

namespace wavemix {

struct RealTimeHost::Impl {
  std::string folder;
  std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
  platform::MessageWindows windows;
  std::unique_ptr<platform::WaveOut> waveOut;
};

RealTimeHost::RealTimeHost(std::string folder) : impl_(std::make_unique<Impl>()) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  impl_->folder = std::move(folder);
}

RealTimeHost::~RealTimeHost() { impl_->waveOut.reset(); }

platform::WaveOut& RealTimeHost::WaveOutDevice() {
  if (!impl_->waveOut) impl_->waveOut = platform::sdl::CreateSdlWaveOut(*this);
  return *impl_->waveOut;
}

std::uint32_t RealTimeHost::Milliseconds() {
  return std::uint32_t(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - impl_->origin).count());
}

bool RealTimeHost::RegisterWindowClass(const std::string& className, platform::WindowProc proc,
                                       std::uint32_t* lastError) {
  return impl_->windows.RegisterWindowClass(className, proc, lastError);
}

platform::WindowHandle RealTimeHost::CreateHiddenWindow(const std::string& className) {
  return impl_->windows.CreateHiddenWindow(className);
}

void RealTimeHost::DestroyHiddenWindow(platform::WindowHandle window) { impl_->windows.DestroyHiddenWindow(window); }

bool RealTimeHost::Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
  return impl_->windows.Post(window, message, wParam, lParam);
}

std::string RealTimeHost::ConfigFolder() { return impl_->folder; }

void RealTimeHost::WaitAndDispatch(int ms) {
  impl_->windows.WaitForPosted(std::chrono::milliseconds(ms));
  impl_->windows.Dispatch();
}

}  // namespace wavemix
