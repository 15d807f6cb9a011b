#include "platform/WindowlessMixerHost.h"

#include <chrono>
#include <utility>

namespace platform {

WindowlessMixerHost::WindowlessMixerHost(std::string folder, char separator) : folder_(std::move(folder)) {
  if (folder_.empty() || (folder_.back() != '/' && folder_.back() != separator)) folder_ += separator;
}

bool WindowlessMixerHost::RegisterWindowClass(const std::string& className, WindowProc proc,
                                              std::uint32_t* lastError) {
  return windows_.RegisterWindowClass(className, proc, lastError);
}

WindowHandle WindowlessMixerHost::CreateHiddenWindow(const std::string& className) {
  return windows_.CreateHiddenWindow(className);
}

void WindowlessMixerHost::DestroyHiddenWindow(WindowHandle window) { windows_.DestroyHiddenWindow(window); }

bool WindowlessMixerHost::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
  return windows_.Post(window, message, wParam, lParam);
}

std::string WindowlessMixerHost::ConfigFolder() { return folder_; }

std::size_t WindowlessMixerHost::WaitAndDispatch(int ms) {
  windows_.WaitForPosted(std::chrono::milliseconds(ms));
  return windows_.Dispatch();
}

void WindowlessMixerHost::SetWakeUp(MessageWindows::WakeUp wakeUp) { windows_.SetWakeUp(std::move(wakeUp)); }

}  // namespace platform
