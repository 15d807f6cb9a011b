// The mixer's host for programs that want the sound card and have no window
// of ours (wavemix, KestoMixer::sdl, the benchmarks): hidden windows and a
// posted-message queue (MessageWindows) that the program's own thread
// drains, and the folder of WAVEMIX.INI. A backend adds its clock and its
// wave-out device; a device it owns goes before the queue it posts to.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/MessageWindows.h"
#include "platform/MixerHost.h"

namespace platform {

class WindowlessMixerHost : public MixerHost {
 public:
  bool RegisterWindowClass(const std::string& className, WindowProc proc, std::uint32_t* lastError) override;
  WindowHandle CreateHiddenWindow(const std::string& className) override;
  void DestroyHiddenWindow(WindowHandle window) override;
  // Safe from any thread (the device's callback posts); wakes WaitAndDispatch.
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  std::string ConfigFolder() override;

  // Dispatches posted messages, waiting up to `ms` for the first one;
  // returns how many were taken.
  std::size_t WaitAndDispatch(int ms);
  // Runs on the posting thread after each message is queued (for a program
  // whose own event loop must learn of it); see MessageWindows::SetWakeUp.
  void SetWakeUp(MessageWindows::WakeUp wakeUp);

 protected:
  // folder: where WAVEMIX.INI is read from; `separator` ends it when it
  // does not end with '/' or with the separator already.
  WindowlessMixerHost(std::string folder, char separator);

 private:
  std::string folder_;
  MessageWindows windows_;
};

}  // namespace platform
