// TForm1: its components and its handlers. The handlers are thin: the rules
// of the game are in the pure modules (GameState, Engine, Input, Render,
// Record, Cues), and a handler carries out what they report with the window's
// components, its timers, the mixer, the music and the host.
#include "game/Unit1.h"

#include <chrono>
#include <stdexcept>

#include "assets/Embedded.h"
#include "game/Input.h"
#include "game/Record.h"
#include "platform/Json.h"
#include "platform/MediaError.h"

namespace game {
namespace {

// The timers' intervals, in milliseconds: Timer1 and Timer2 tick every 20 ms,
// Timer3 counts the seconds.
constexpr std::uint32_t kTickMs = 20;
constexpr std::uint32_t kSecondMs = 1000;

// The click that every button press and the close give.
constexpr char kClickWave[] = "1.wav";

void LoadEmbedded(platform::Picture& picture, const char* name) {
  const assets::EmbeddedFile file = assets::FindPicture(name);
  if (file.size == 0) throw std::runtime_error(std::string("The picture ") + name + " is missing");
  picture.LoadFromMemory(file.bytes, file.size);
}

// Milliseconds since midnight, UTC.
std::uint32_t TimeOfDaySeed() {
  using namespace std::chrono;
  const auto now = time_point_cast<milliseconds>(system_clock::now()).time_since_epoch();
  return std::uint32_t(now.count() % (24LL * 60 * 60 * 1000));
}

}  // namespace

TForm1::TForm1(platform::Host& host) : host_(host) {
  LoadEmbedded(nomal1, "nomal1");
  LoadEmbedded(nomal2, "nomal2");
  LoadEmbedded(nomal3, "nomal3");
  LoadEmbedded(which, "which");
  LoadEmbedded(great, "great");
  LoadEmbedded(cry, "cry");
  LoadEmbedded(ending, "ending");
  LoadEmbedded(lv1, "lv1");
  LoadEmbedded(lv2, "lv2");
  mid_p = host.CreateMidiPlayer();
  TakeSound();
  Timer1 = host.CreateTimer(kTickMs, false, [this] { Guarded([this] { Timer1Timer(); }); });
  Timer2 = host.CreateTimer(kTickMs, true, [this] { Guarded([this] { Timer2Timer(); }); });
  Timer3 = host.CreateTimer(kSecondMs, false, [this] { Guarded([this] { Timer3Timer(); }); });

  platform::MainWindow& window = host.Main();
  window.SetCaption(kFormCaption);
  window.SetClientSize(kLaidOutClientWidth, kLaidOutClientHeight);
  window.SetPicture(&cg);
  window.onMouseDown = [this](int x, int y, platform::MouseButton button) {
    Guarded([&] { cgMouseDown(x, y, button); });
  };
  window.onKey = [this](platform::Key key) { Guarded([&] { FormKeyDown(key); }); };
  window.onCloseQuery = [this] { return CloseQuery(); };
}

TForm1::~TForm1() {
  FormDestroy();
  platform::MainWindow& window = host_.Main();
  window.onMouseDown = nullptr;
  window.onKey = nullptr;
  window.onCloseQuery = nullptr;
  window.SetPicture(nullptr);
  if (mid_p) mid_p->Close();
}

void TForm1::FixSeed(std::uint32_t seed) { fixedSeed_ = seed; }

void TForm1::ReportError(const char* text) noexcept {
  try {
    host_.ShowMessageBox(kApplicationTitle, text, platform::BoxIcon::Error);
  } catch (...) {
    // Nothing is left to tell the player with.
  }
}

// A failed save keeps the window, so the record is not lost unasked; the
// box's second button lets the player leave anyway.
bool TForm1::CloseQuery() {
  try {
    FormClose();
    return true;
  } catch (const std::exception& e) {
    return OfferQuitWithoutSaving(e.what());
  } catch (...) {
    return OfferQuitWithoutSaving("Unknown error");
  }
}

bool TForm1::OfferQuitWithoutSaving(const char* failure) noexcept {
  try {
    return host_.ShowMessageBox(kApplicationTitle, failure, platform::BoxIcon::Error, {"OK", kQuitWithoutSaving}) == 1;
  } catch (...) {
    return false;
  }
}

void TForm1::SaveRecordQuietly() { WriteRecord(RecordPath(), GameState.saved); }

// The handlers.

void TForm1::FormCreate() {
  PrepareCues();
  random.Seed(fixedSeed_ ? *fixedSeed_ : TimeOfDaySeed());
  LoadRecord();
  LoadStartPicture();
  SetStartUpValues(GameState);
  host_.Main().SetClientSize(kPictureWidth, kPictureHeight);
  CueMusic("kuvol.mid");
}

void TForm1::FormClose() {
  CueSound0(kClickWave);
  SaveRecord();
}

void TForm1::FormDestroy() { ReleaseCues(); }

void TForm1::Button2Click() { GameState.saved.hiScore = 0; }

void TForm1::FormKeyDown(platform::Key key) {
  using platform::Key;
  switch (key) {
    case Key::Space:
    case Key::Enter:
      // Button2 holds the focus, so Space and Enter press it.
      Button2Click();
      return;
    case Key::Left:
    case Key::A:
    case Key::Right:
    case Key::D: {
      if (!Timer1->Enabled() || GameState.gameOver || !AcceptsAnswer(GameState)) return;
      const bool left = key == Key::Left || key == Key::A;
      cgMouseDown(left ? kPictureWidth / 4 : kPictureWidth * 3 / 4, kPictureHeight / 2, platform::MouseButton::Left);
      return;
    }
    case Key::M:
      host_.SetMuted(!host_.Muted());
      return;
    case Key::PadSouth:
      // A gamepad's A: a start on the title, もう一回 at game over, nothing
      // during play; never the end place or the best score's clearing.
      if (!Timer1->Enabled() || GameState.gameOver)
        cgMouseDown(kRestartPointX, kRestartPointY, platform::MouseButton::Left);
      return;
  }
}

void TForm1::Timer1Timer() {
  const TickResult tick = AdvanceTick(GameState, random);
  if (tick.playing) {
    if (const platform::Picture* face = FacePicture(tick.face)) CopyWhole(bak, *face);
    if (tick.levelUp) CueSound0("lv.wav");
    renderer_.PlayFrame(GameState, random, bak, cg);
    return;
  }
  if (tick.timeUp) {
    CueMusic("rei.mid");
    CueSound0("katan.wav");
  }
  renderer_.GameOverFrame(GameState, tick.newBest, random, ending, bak, cg);
}

void TForm1::Timer2Timer() { renderer_.TitleFrame(random, bak, cg); }

void TForm1::Timer3Timer() {
  if (CountDown(GameState)) CueSound0("time.wav");
}

void TForm1::cgMouseDown(int x, int y, platform::MouseButton) {
  switch (Press(GameState, Timer1->Enabled(), x, y)) {
    case PressResult::Start:
      // A device plugged in, freed or mended since is heard from this game on.
      TakeSound();
      Timer1->SetEnabled(true);
      Timer3->SetEnabled(true);
      Timer2->SetEnabled(false);
      CueSound0(kClickWave);
      CueSound0("start.wav");
      CueMusic("T_ssix05.mid");
      break;
    case PressResult::Restart:
      Timer1->SetEnabled(false);
      Timer3->SetEnabled(false);
      Timer2->SetEnabled(true);
      CueSound0(kClickWave);
      CueSound1("yatta.wav");
      LoadStartPicture();
      break;
    case PressResult::End:
      host_.Main().Close();
      break;
    case PressResult::Right:
      CueSound0("good.wav");
      break;
    case PressResult::Wrong:
      CueSound0("gya1.wav");
      break;
    case PressResult::Ignored:
      break;
  }
}

// Pictures and frames.

void TForm1::LoadStartPicture() {
  const std::string path = host_.ProgramFolder() + "/cg/start.bmp";
  cg.LoadFromFile(path);
  bak.LoadFromFile(path);
}

const platform::Picture* TForm1::FacePicture(Face face) const {
  switch (face) {
    case Face::Nomal1:
      return &nomal1;
    case Face::Nomal2:
      return &nomal2;
    case Face::Nomal3:
      return &nomal3;
    case Face::Which:
      return &which;
    case Face::Great:
      return &great;
    case Face::Cry:
      return &cry;
    case Face::Lv1:
      return &lv1;
    case Face::Lv2:
      return &lv2;
    case Face::None:
      break;
  }
  return nullptr;
}

// The record.

std::string TForm1::RecordPath() const { return host_.RecordFolder() + "my.dat"; }

void TForm1::LoadRecord() { ReadRecord(RecordPath(), GameState.saved); }

void TForm1::SaveRecord() {
  WriteRecord(RecordPath(), GameState.saved);
  host_.ShowMessageBox(kApplicationTitle, "どきゅん！！", platform::BoxIcon::None);
}

// The cues: sound effects through the mixer component, music through the
// media player. Every cue returns at once and swallows every failure; each
// also writes its call to the headless trace.

void TForm1::TraceCue(const char* operation, const std::string& name) noexcept {
  try {
    host_.Trace(std::string("{\"cue\":\"") + operation + "\",\"name\":" + platform::JsonString(name) + "}");
  } catch (...) {
    // A cue never fails its caller.
  }
}

std::string TForm1::DatPath(const std::string& name) const { return host_.ProgramFolder() + "/dat/" + name; }

void TForm1::CueSound0(const std::string& name) noexcept {
  TraceCue("CueSound0", name);
  if (!WaveMix1) return;
  try {
    const std::string failure = CueSound(*WaveMix1, 0, wave0, DatPath(name), earlierWaves_);
    if (!failure.empty()) LoseSound(failure);
  } catch (...) {
  }
}

void TForm1::CueSound1(const std::string& name) noexcept {
  TraceCue("CueSound1", name);
  if (!WaveMix1) return;
  try {
    const std::string failure = CueSound(*WaveMix1, 1, wave1, DatPath(name), earlierWaves_);
    if (!failure.empty()) LoseSound(failure);
  } catch (...) {
  }
}

void TForm1::CueMusic(const std::string& name) noexcept {
  if (name.empty()) return;
  TraceCue("CueMusic", name);
  try {
    mid_p->SetFileName(DatPath(name));
    mid_p->Open();
    mid_p->Play();
  } catch (...) {
    // Missing file, bad file or no synthesiser: silence, the game goes on.
  }
}

void TForm1::PrepareCues() noexcept {
  if (!WaveMix1) return;
  try {
    wave0 = WaveMix1->LoadWave(DatPath(kClickWave).c_str());
    wave1 = WaveMix1->LoadWave(DatPath(kClickWave).c_str());
  } catch (...) {
  }
}

void TForm1::ReleaseCues() noexcept {
  if (!WaveMix1) return;
  try {
    WaveMix1->FreeWave(wave1);
    wave1 = nullptr;
    WaveMix1->FreeWave(wave0);
    wave0 = nullptr;
  } catch (...) {
  }
  // Whatever the block above left (a slot that was never filled stops it
  // early) and the earlier waves are released too, so nothing outlives the
  // window.
  try {
    if (wave0) WaveMix1->FreeWave(wave0);
  } catch (...) {
  }
  wave0 = wave1 = nullptr;
  earlierWaves_.ReleaseAll(*WaveMix1);
}

// Sound is optional: without a wave-out device, or with one that fails, the
// game plays on silently instead of ending.

void TForm1::TakeSound() noexcept {
  if (WaveMix1) return;
  std::string failure;
  try {
    auto mix = std::make_unique<mixer::TWaveMix>(nullptr);
    mix->SetActivated(true);
    mix->SetChannels(3);
    WaveMix1 = std::move(mix);
  } catch (const std::exception& e) {
    try {
      failure = e.what();
    } catch (...) {
    }
  } catch (...) {
  }
  if (!WaveMix1) {
    // A failed retry says nothing new: the game is silent already.
    if (!silent_) SayNoSound(failure.empty() ? "Unknown error" : failure);
    return;
  }
  if (silent_) {
    silent_ = false;
    try {
      host_.Trace("{\"sound\":\"on\"}");
    } catch (...) {
    }
  }
}

void TForm1::LoseSound(const std::string& reason) noexcept {
  // The queued plays go first, so that no wave released here is still
  // queued; then the device is released as far as it still answers and the
  // session ends.
  try {
    WaveMix1->SetChannels(0);
  } catch (...) {
  }
  ReleaseCues();
  WaveMix1.reset();
  SayNoSound(reason);
}

void TForm1::SayNoSound(const std::string& reason) noexcept {
  silent_ = true;
  platform::ReportNoSound(reason);
  try {
    host_.Trace("{\"sound\":\"off\",\"reason\":" + platform::JsonString(reason) + "}");
  } catch (...) {
  }
}

std::size_t TForm1::CueWavesLoaded() const {
  return (wave0 ? 1 : 0) + (wave1 ? 1 : 0) + earlierWaves_.Count();
}

}  // namespace game
