// Window classes, hidden windows and a queue of posted messages, for hosts
// whose system has none of its own (SDL, the headless backend, the mixer's
// command-line host). Post is safe from any thread; the host's event loop
// calls Dispatch on its own thread, which runs each window's procedure. A
// host whose loop sleeps in the system's event wait sets a wake-up that
// queues an event of its own there, one per posted message.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <string>

#include "platform/MixerHost.h"

namespace platform {

class MessageWindows {
 public:
  // Runs with the queue locked, right after a message is queued; when it
  // returns false the message is taken back and Post fails.
  using WakeUp = std::function<bool()>;
  void SetWakeUp(WakeUp wakeUp);

  // False, with kErrorClassAlreadyExists in *lastError, when the name is
  // taken; *lastError is 0 after a success.
  bool RegisterWindowClass(const std::string& className, WindowProc proc, std::uint32_t* lastError);
  // 0 for a class that is not registered or has no procedure.
  WindowHandle CreateHiddenWindow(const std::string& className);
  void DestroyHiddenWindow(WindowHandle window);
  // False when the window does not exist (or the wake-up refused).
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

  // Takes up to `limit` messages from the queue in the order they were
  // posted, messages posted meanwhile included, and runs each window's
  // procedure with the lock released. A message whose window has gone since
  // it was posted is dropped; it counts as taken. Returns the number taken.
  std::size_t Dispatch(std::size_t limit = std::numeric_limits<std::size_t>::max());
  // Waits up to `timeout` for a message to be queued; true when one is.
  bool WaitForPosted(std::chrono::milliseconds timeout);

 private:
  struct Posted {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };

  std::mutex mutex_;
  std::condition_variable posted_;
  std::map<std::string, WindowProc> classes_;
  std::map<WindowHandle, WindowProc> windows_;
  WindowHandle lastWindow_ = 0;
  std::deque<Posted> queue_;
  WakeUp wakeUp_;
};

}  // namespace platform
