// What the wave mixer needs of the system it runs on, and nothing more: the
// wave-out device, a millisecond clock, hidden windows whose procedure
// handles the device's done notices on the thread that runs the mixer, the
// simple sound player to silence, and the folder of WAVEMIX.INI. A program
// that only mixes implements this; the game's Host (Host.h) extends it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class WaveOut;

using WindowHandle = std::uintptr_t;  // 0: no window
using WindowProc = void (*)(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam);

// The error RegisterWindowClass reports for a name already taken.
constexpr std::uint32_t kErrorClassAlreadyExists = 1410;

class MixerHost {
 public:
  virtual ~MixerHost() = default;

  virtual WaveOut& WaveOutDevice() = 0;

  // The multimedia clock: milliseconds since an arbitrary origin, wrapping.
  virtual std::uint32_t Milliseconds() = 0;

  // Window services. RegisterWindowClass fails with an error code in
  // *lastError (kErrorClassAlreadyExists when the name is taken).
  virtual bool RegisterWindowClass(const std::string& className, WindowProc proc,
                                   std::uint32_t* lastError) = 0;
  // A hidden window of a registered class; 0 when it cannot be created.
  virtual WindowHandle CreateHiddenWindow(const std::string& className) = 0;
  virtual void DestroyHiddenWindow(WindowHandle window) = 0;
  // Queues a message for the window's procedure; the event loop dispatches
  // it on its own thread. Safe to call from any thread. False when the
  // window does not exist.
  virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;

  // Stops the platform's simple sound player so the wave device is free.
  virtual void StopSimpleSound() {}

  // The folder WAVEMIX.INI is read from, ending with a separator.
  virtual std::string ConfigFolder() = 0;
};

}  // namespace platform
