#include "platform/MessageWindows.h"

#include <utility>

namespace platform {

void MessageWindows::SetWakeUp(WakeUp wakeUp) {
  std::lock_guard lock(mutex_);
  wakeUp_ = std::move(wakeUp);
}

bool MessageWindows::RegisterWindowClass(const std::string& className, WindowProc proc, std::uint32_t* lastError) {
  std::lock_guard lock(mutex_);
  const bool added = classes_.emplace(className, proc).second;
  if (lastError) *lastError = added ? 0 : kErrorClassAlreadyExists;
  return added;
}

WindowHandle MessageWindows::CreateHiddenWindow(const std::string& className) {
  std::lock_guard lock(mutex_);
  const auto found = classes_.find(className);
  if (found == classes_.end() || !found->second) return 0;
  const WindowHandle handle = ++lastWindow_;
  windows_.emplace(handle, found->second);
  return handle;
}

void MessageWindows::DestroyHiddenWindow(WindowHandle window) {
  std::lock_guard lock(mutex_);
  windows_.erase(window);
}

bool MessageWindows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  {
    std::lock_guard lock(mutex_);
    if (!windows_.count(window)) return false;
    queue_.push_back({window, message, wParam, lParam});
    if (wakeUp_ && !wakeUp_()) {
      queue_.pop_back();
      return false;
    }
  }
  posted_.notify_one();
  return true;
}

std::size_t MessageWindows::Dispatch(std::size_t limit) {
  std::size_t taken = 0;
  while (taken < limit) {
    Posted message;
    WindowProc proc = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) break;
      message = queue_.front();
      queue_.pop_front();
      ++taken;
      const auto found = windows_.find(message.window);
      if (found == windows_.end()) continue;
      proc = found->second;
    }
    proc(message.window, message.message, message.wParam, message.lParam);
  }
  return taken;
}

bool MessageWindows::WaitForPosted(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
}

}  // namespace platform
