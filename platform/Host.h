// The operating-system stand-in the game runs on: what the mixer needs
// (MixerHost.h: the wave-out device, the clock, hidden windows and posted
// messages) and one event loop with timers, a main window that shows a
// picture, modal message boxes, the MIDI player and the program's folder.
// The SDL backend is the real one, the headless backend runs in virtual time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/MixerHost.h"

namespace platform {

class Picture;
class MidiPlayer;

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

class Host : public MixerHost {
 public:
  virtual std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, bool enabled,
                                             std::function<void()> onTimer) = 0;

  virtual MainWindow& Main() = 0;

  // A modal box with an OK button. It runs the event loop until the player
  // confirms it: timers and posted messages go on being delivered, presses
  // on the main window are not.
  virtual void ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon) = 0;

  // Runs the event loop until the main window has closed; returns the exit code.
  virtual int Run() = 0;

  virtual std::unique_ptr<MidiPlayer> CreateMidiPlayer() = 0;

  // The program's own folder, ending with a separator.
  virtual std::string ProgramFolder() = 0;
  // The game's WAVEMIX.INI lies beside the program.
  std::string ConfigFolder() override { return ProgramFolder(); }

  // The folder of the record file my.dat, ending with a separator: the
  // program folder's dat/ unless the program named another (an installed
  // game keeps the record in the player's own data folder, see
  // platform::FindRecordFolder).
  std::string RecordFolder() { return recordFolder_.empty() ? ProgramFolder() + "/dat/" : recordFolder_; }
  void SetRecordFolder(std::string folder) { recordFolder_ = std::move(folder); }

  // One line of the headless runner's event trace (a JSON object). The real
  // backend ignores it.
  virtual void Trace(const std::string& jsonLine) { (void)jsonLine; }

 private:
  std::string recordFolder_;
};

}  // namespace platform
