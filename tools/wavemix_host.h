// A host for command-line programs that use the real sound device without a
// window: a real millisecond clock, hidden windows and a posted-message
// queue that the program's own thread drains, the SDL wave-out device.
#pragma once

#include <memory>
#include <string>

#include "platform/Host.h"

namespace wavemix {

class RealTimeHost : public platform::Host {
 public:
  explicit RealTimeHost(std::string folder);
  ~RealTimeHost() override;

  std::uint32_t Milliseconds() override;
  bool RegisterWindowClass(const std::string& className, platform::WindowProc proc,
                           std::uint32_t* lastError) override;
  platform::WindowHandle CreateHiddenWindow(const std::string& className) override;
  void DestroyHiddenWindow(platform::WindowHandle window) override;
  // Safe from any thread; wakes WaitAndDispatch.
  bool Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  // Timers never fire: nothing here uses them.
  std::unique_ptr<platform::Timer> CreateTimer(std::uint32_t intervalMs, bool enabled,
                                               std::function<void()> onTimer) override;
  platform::MainWindow& Main() override;
  // Writes the box to standard error.
  void ShowMessageBox(const std::string& caption, const std::string& text, platform::BoxIcon icon) override;
  int Run() override;
  platform::WaveOut& WaveOutDevice() override;
  // There is no MIDI here: nil.
  std::unique_ptr<platform::MidiPlayer> CreateMidiPlayer() override;
  std::string ProgramFolder() override;

  // Dispatches posted messages, waiting up to `ms` for the first one.
  void WaitAndDispatch(int ms);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace wavemix
