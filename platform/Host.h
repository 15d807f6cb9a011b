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
#include <vector>

#include "platform/MixerHost.h"

namespace platform {

class Picture;
class MidiPlayer;

enum class MouseButton { Left, Right, Middle };
// The keys the game listens to; a backend delivers no others.
// Keys of the keyboard, and PadSouth: a gamepad's south button (A).
enum class Key { Space, Enter, Left, Right, A, D, M, PadSouth };
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

 protected:
  // Asks onCloseQuery whether the window may close (yes when there is none).
  // Re-entry is refused: while the query shows its own box, another close
  // request (a timer, a second click) gets false instead of a second query.
  // An error of the query passes through.
  bool QueryClose() {
    if (querying_) return false;
    querying_ = true;
    struct Done {
      bool& flag;
      ~Done() { flag = false; }
    } done{querying_};
    return !onCloseQuery || onCloseQuery();
  }

 private:
  bool querying_ = false;
};

class Host : public MixerHost {
 public:
  virtual std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, bool enabled,
                                             std::function<void()> onTimer) = 0;

  virtual MainWindow& Main() = 0;

  // A modal box. It runs the event loop until the player answers it: timers
  // and posted messages go on being delivered, presses on the main window
  // are not. `buttons` are the captions from left to right; none means one
  // "OK". The first is the default: Enter, Space, the box's close box, a
  // headless run and a stop request choose it. Returns the index of the
  // button chosen.
  virtual int ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                             const std::vector<std::string>& buttons = {}) = 0;

  // Runs the event loop until the main window has closed or a stop is
  // requested; returns the exit code.
  virtual int Run() = 0;

  // A request from outside the window to end the program (a signal, caught
  // by the program's entry). A host's event loop calls the check every turn,
  // at most a few tens of milliseconds apart; once it is true, open boxes
  // return their default and Run returns, without the close query.
  void SetStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }
  bool StopRequested() const { return stopCheck_ && stopCheck_(); }

  virtual std::unique_ptr<MidiPlayer> CreateMidiPlayer() = 0;

  // Silences the effects and the music at once, or gives them back; what
  // plays goes on, unheard. Off at start.
  void SetMuted(bool muted) {
    muted_ = muted;
    ApplyMuted(muted);
  }
  bool Muted() const { return muted_; }

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

 protected:
  // The backend's part of SetMuted: its sound card output, its music.
  virtual void ApplyMuted(bool muted) = 0;

 private:
  std::function<bool()> stopCheck_;
  std::string recordFolder_;
  bool muted_ = false;
};

}  // namespace platform
