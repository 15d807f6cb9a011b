// The headless backend: the same event loop with no display and virtual time
// that moves only when told. Timers, posted messages and the virtual devices'
// events run in time order; messages posted by a handler are dispatched
// before the next timed event.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Host.h"

namespace platform::headless {

// The virtual instant of "no event at all": later than any other.
constexpr std::uint64_t kNoEventMicros = UINT64_MAX;

// Something that acts at virtual instants of its own choosing (the virtual
// wave device finishing a block, the virtual MIDI output). The host asks for
// the next instant and runs it when virtual time gets there.
class TimedSource {
 public:
  virtual ~TimedSource() = default;
  // The next instant (microseconds of virtual time) at which RunDue has work,
  // or kNoEventMicros for none.
  virtual std::uint64_t NextEventMicros() const = 0;
  virtual void RunDue(std::uint64_t nowMicros) = 0;
};

class HeadlessHost : public Host {
 public:
  // folder: the program folder; a missing trailing '/' is added.
  explicit HeadlessHost(std::string folder);
  ~HeadlessHost() override;

  std::uint32_t Milliseconds() override;
  bool RegisterWindowClass(const std::string& className, WindowProc proc,
                           std::uint32_t* lastError) override;
  WindowHandle CreateHiddenWindow(const std::string& className) override;
  void DestroyHiddenWindow(WindowHandle window) override;
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, bool enabled,
                                     std::function<void()> onTimer) override;
  MainWindow& Main() override;
  // Traces {"box":CAPTION,"text":TEXT} and returns at once, as if confirmed;
  // a box of several buttons adds ,"buttons":[CAPTIONS] to the line and
  // returns 0, the default.
  int ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                     const std::vector<std::string>& buttons = {}) override;
  // Dispatches what is posted and returns 0: the runner drives time itself.
  int Run() override;
  WaveOut& WaveOutDevice() override;
  // A player that checks the file is MIDI on Open and traces
  // {"music":BASENAME} on Play. It must not outlive the host.
  std::unique_ptr<MidiPlayer> CreateMidiPlayer() override;
  std::string ProgramFolder() override;
  void Trace(const std::string& jsonLine) override;
  // Traces {"muted":true} or {"muted":false}.
  void ApplyMuted(bool muted) override;

  // Virtual time.
  std::uint64_t NowMicros() const;
  // Runs every posted message, timer and timed-source event up to and
  // including `micros` in time order, then leaves the clock there. Once a
  // stop is requested (Host::SetStopCheck) it returns before the next
  // event, the clock left at the last event run.
  void AdvanceTo(std::uint64_t micros);
  void AdvanceMs(std::uint64_t ms);
  // Dispatches the posted messages that are waiting, without moving time.
  void DispatchPosted();

  // Sources run before timers due at the same instant, in the order added.
  // A source must be removed before it is destroyed.
  void AddTimedSource(TimedSource* source);
  void RemoveTimedSource(TimedSource* source);

  // Replaces the wave-out device (tests give a configured virtual device).
  void SetWaveOut(std::unique_ptr<WaveOut> device);

  // Where trace lines go; by default (or given an empty function) they are
  // kept in Traced().
  void SetTraceSink(std::function<void(const std::string&)> sink);
  const std::vector<std::string>& Traced() const;

  // Input as the window would deliver it: to onMouseDown / onKey unless the
  // main window has closed; posted messages are dispatched afterwards.
  void Press(int x, int y, MouseButton button);
  void KeyPress(Key key);

  // What the main window was last given.
  const std::string& Caption() const;
  int ClientWidth() const;
  int ClientHeight() const;
  const Picture* ShownPicture() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::headless
