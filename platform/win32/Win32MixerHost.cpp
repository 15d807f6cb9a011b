#include "platform/win32/Win32MixerHost.h"

#include <windows.h>
#include <mmsystem.h>

#include <chrono>

#include "platform/MessageWindows.h"
#include "platform/WaveOut.h"
#include "platform/win32/Win32WaveOut.h"

namespace platform::win32 {

struct Win32MixerHost::Impl {
  std::string folder;
  platform::MessageWindows windows;
  std::unique_ptr<platform::WaveOut> waveOut;
};

Win32MixerHost::Win32MixerHost(std::string folder) : impl_(std::make_unique<Impl>()) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '\\';
  impl_->folder = std::move(folder);
  timeBeginPeriod(1);
}

Win32MixerHost::~Win32MixerHost() {
  impl_->waveOut.reset();
  timeEndPeriod(1);
}

platform::WaveOut& Win32MixerHost::WaveOutDevice() {
  if (!impl_->waveOut) impl_->waveOut = CreateWin32WaveOut(*this);
  return *impl_->waveOut;
}

std::uint32_t Win32MixerHost::Milliseconds() { return timeGetTime(); }

bool Win32MixerHost::RegisterWindowClass(const std::string& className, platform::WindowProc proc,
                                         std::uint32_t* lastError) {
  return impl_->windows.RegisterWindowClass(className, proc, lastError);
}

platform::WindowHandle Win32MixerHost::CreateHiddenWindow(const std::string& className) {
  return impl_->windows.CreateHiddenWindow(className);
}

void Win32MixerHost::DestroyHiddenWindow(platform::WindowHandle window) { impl_->windows.DestroyHiddenWindow(window); }

bool Win32MixerHost::Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  return impl_->windows.Post(window, message, wParam, lParam);
}

std::string Win32MixerHost::ConfigFolder() { return impl_->folder; }

void Win32MixerHost::WaitAndDispatch(int ms) {
  impl_->windows.WaitForPosted(std::chrono::milliseconds(ms));
  impl_->windows.Dispatch();
}

}  // namespace platform::win32
