// The game window Form1: its components and its handlers, all defined in
// Unit1.cpp. The game's rules live in modules that know nothing of the
// window: GameState, Engine, Input, Render, Record and Cues.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "game/Cues.h"
#include "game/Engine.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "game/Phases.h"
#include "game/Render.h"
#include "platform/Host.h"
#include "platform/MidiPlayer.h"
#include "platform/Picture.h"

namespace game {

// The application title: caption of the save confirmation and of the error
// boxes of the window's handlers.
inline constexpr char kApplicationTitle[] = "ミルタスちゃん";
inline constexpr char kFormCaption[] = "ミルタスチャレンジ";
// The second button of the box that reports a failed save at close.
inline constexpr char kQuitWithoutSaving[] = "保存せずに終了";

class TForm1 {
 public:
  // Creates the components in the window description's order and binds the
  // main window's events to the handlers. Throws when a component cannot be
  // created; there is then no window. The mixer component is the exception:
  // sound is optional, so without a wave-out device the window plays silently
  // (see WaveMix1).
  explicit TForm1(platform::Host& host);
  // FormDestroy, then the components, the last created first.
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Makes FormCreate seed R with `seed` instead of the time of day.
  void FixSeed(std::uint32_t seed);

  // Saves the record as a close does, without the click or the box: the
  // program is ending from outside (a signal). Throws platform::IoError.
  void SaveRecordQuietly();

  // Runs `handler` as the window runs its handlers: an error it raises is
  // shown in an error box captioned with the application title, the rest of
  // the handler is skipped and the program goes on. False when it raised.
  template <class Handler>
  bool Guarded(Handler&& handler) {
    try {
      handler();
      return true;
    } catch (const std::exception& e) {
      ReportError(e.what());
    } catch (...) {
      ReportError("Unknown error");
    }
    return false;
  }

  // The handlers. Each may raise; the window runs them through Guarded.
  void FormCreate();
  void FormDestroy();
  void FormClose();
  void Button2Click();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  // Every mouse button acts the same.
  void cgMouseDown(int x, int y, platform::MouseButton button);
  // Space and Enter press the focused Button2. While a question is asked,
  // Left and A answer like a press on the left half, Right and D like one on
  // the right half; at any other time they do nothing.
  void FormKeyDown(platform::Key key);

  // Components, in creation order.
  platform::Picture cg{kPictureWidth, kPictureHeight};
  platform::Picture bak{kBakControlWidth, kBakControlHeight};
  platform::Picture nomal1{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture nomal2{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture nomal3{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture which{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture great{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture cry{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture ending{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture lv1{kStoredPictureControlSize, kStoredPictureControlSize};
  platform::Picture lv2{kStoredPictureControlSize, kStoredPictureControlSize};
  std::unique_ptr<platform::MidiPlayer> mid_p;
  // Activated = true, then Channels = 3 (channels 0 and 1), as it is created.
  // Nil while the game plays without sound: the wave-out device could not be
  // taken, or it failed during play. Each start click tries again.
  std::unique_ptr<mixer::TWaveMix> WaveMix1;
  std::unique_ptr<platform::Timer> Timer1;
  std::unique_ptr<platform::Timer> Timer2;
  std::unique_ptr<platform::Timer> Timer3;

  ::game::GameState GameState;
  Random random;

  // The wave that the cues of `channel` (0 or 1) loaded last, or nil.
  mixer::MixWave* CueWave(int channel) const { return channel == 0 ? wave0 : wave1; }
  // The waves the cues keep loaded: wave0, wave1 and the earlier ones that
  // a channel still plays.
  std::size_t CueWavesLoaded() const;

 private:
  void ReportError(const char* text) noexcept;
  // The close query: FormClose; when it raises, its error box also offers to
  // quit without saving. True when the window may close.
  bool CloseQuery();
  // The failed save's box with OK and kQuitWithoutSaving; true for the latter.
  bool OfferQuitWithoutSaving(const char* failure) noexcept;

  // Sound and music, fire-and-forget: they return at once and never raise.
  // CueSound0/CueSound1 start "dat/" + name on mixer channel 0/1, queued
  // behind what that channel still plays.
  void CueSound0(const std::string& name) noexcept;
  void CueSound1(const std::string& name) noexcept;
  // Stops the music that plays and starts "dat/" + name once from its
  // beginning; an empty name does nothing.
  void CueMusic(const std::string& name) noexcept;
  // Makes the cue sounds ready at start-up (loads "1.wav" into both slots).
  void PrepareCues() noexcept;
  // Makes WaveMix1 with the device taken and channels 0 and 1 open, unless
  // it exists. When the mixer refuses, WaveMix1 stays nil and, unless the
  // game is silent already, the reason is said on stderr and in the trace;
  // after a silence, success is traced.
  void TakeSound() noexcept;
  // The device failed during play: the cues' waves are released and
  // WaveMix1 goes, with the reason said as TakeSound says it.
  void LoseSound(const std::string& reason) noexcept;
  void SayNoSound(const std::string& reason) noexcept;
  // Releases the waves held in wave0 and wave1.
  void ReleaseCues() noexcept;
  void TraceCue(const char* operation, const std::string& name) noexcept;
  // The program folder + "/dat/" + name.
  std::string DatPath(const std::string& name) const;

  // The host's record folder + "my.dat": DatPath("my.dat") unless the
  // record lives in the player's data folder.
  std::string RecordPath() const;
  // Fills GameState.saved from dat/my.dat; throws platform::IoError.
  void LoadRecord();
  // Writes GameState.saved to dat/my.dat, then shows "どきゅん！！";
  // throws platform::IoError, and the confirmation is not shown.
  void SaveRecord();

  // cg/start.bmp into cg, then into bak; throws platform::IoError.
  void LoadStartPicture();
  const platform::Picture* FacePicture(Face face) const;

  platform::Host& host_;
  std::optional<std::uint32_t> fixedSeed_;
  Renderer renderer_;
  // The wave each cue channel loaded last.
  mixer::MixWave* wave0 = nullptr;
  mixer::MixWave* wave1 = nullptr;
  EarlierWaves earlierWaves_;
  // The game has said that it plays without sound and not yet got it back.
  bool silent_ = false;
};

}  // namespace game
