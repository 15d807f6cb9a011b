// The operating-system stand-in the game and the mixer run on: one event loop
// with windows, posted messages and timers, a main window that shows a
// picture, modal message boxes, a millisecond clock, the wave-out device, the
// MIDI player and the program's folder. One Host is current per process; the
// SDL backend is the real one, the headless backend runs in virtual time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class Picture;
class WaveOut;
class MidiPlayer;

using WindowHandle = std::uintptr_t;  // 0: no window
using WindowProc = void (*)(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam);

constexpr std::uint32_t kErrorClassAlreadyExists = 1410;

enum class MouseButton { Left, Right, Middle };
enum class Key { Space, Enter };
enum class BoxIcon { None, Error };

// A timer of the event loop. Enabling starts the interval from the current
// time; a timer enabled at t fires at t + interval, t + 2 x interval, ...
// Timers due at the same instant fire in the order they were created.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual std::uint32_t Interval() const = 0;
};

// The program's one visible window. It shows `picture` (the game's cg) in its
// client area from the top-left corner, and redraws whenever the picture's
// Version() has moved on after an event was dispatched.
class MainWindow {
 public:
  virtual ~MainWindow() = default;
  virtual void SetCaption(const std::string& utf8) = 0;
  virtual void SetClientSize(int width, int height) = 0;
  virtual void SetPicture(const Picture* picture) = 0;
  // The close box: calls onCloseQuery; when it returns true the window closes
  // and Host::Run returns.
  virtual void Close() = 0;
  virtual bool Closed() const = 0;

  std::function<void(int x, int y, MouseButton button)> onMouseDown;
  std::function<void(Key key)> onKey;
  std::function<bool()> onCloseQuery;
};

class Host {
 public:
  virtual ~Host() = default;

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

  virtual std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, bool enabled,
                                             std::function<void()> onTimer) = 0;

  virtual MainWindow& Main() = 0;

  // A modal box with an OK button. It runs the event loop until the player
  // confirms it: timers and posted messages go on being delivered, presses
  // on the main window are not.
  virtual void ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon) = 0;

  // Runs the event loop until the main window has closed; returns the exit code.
  virtual int Run() = 0;

  virtual WaveOut& WaveOutDevice() = 0;
  virtual std::unique_ptr<MidiPlayer> CreateMidiPlayer() = 0;

  // Stops the platform's simple sound player so the wave device is free.
  virtual void StopSimpleSound() {}

  // The program's own folder, ending with a separator.
  virtual std::string ProgramFolder() = 0;

  // One line of the headless runner's event trace (a JSON object). The real
  // backend ignores it.
  virtual void Trace(const std::string& jsonLine) { (void)jsonLine; }
};

// The process's current host; set once at start-up (tests set their own).
Host& Current();
void SetCurrent(Host* host);
bool HasCurrent();

}  // namespace platform
