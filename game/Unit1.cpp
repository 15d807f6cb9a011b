#include "game/Unit1.h"

#include <chrono>

#include "assets/Embedded.h"
#include "platform/Errors.h"

namespace game {
namespace {

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

void CopyWhole(platform::Picture& dest, const platform::Picture& source) {
  constexpr platform::Rect whole{0, 0, 400, 300};
  dest.CopyRect(whole, source, whole);
}

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
  WaveMix1 = std::make_unique<mixer::TWaveMix>(nullptr);
  WaveMix1->SetActivated(true);
  WaveMix1->SetChannels(3);
  Timer1 = host.CreateTimer(20, false, [this] { Guarded([this] { Timer1Timer(); }); });
  Timer2 = host.CreateTimer(20, true, [this] { Guarded([this] { Timer2Timer(); }); });
  Timer3 = host.CreateTimer(1000, false, [this] { Guarded([this] { Timer3Timer(); }); });

  platform::MainWindow& window = host.Main();
  window.SetCaption(kFormCaption);
  window.SetClientSize(401, 301);
  window.SetPicture(&cg);
  window.onMouseDown = [this](int x, int y, platform::MouseButton button) {
    Guarded([&] { cgMouseDown(x, y, button); });
  };
  // Button2 holds the focus, so Space and Enter press it.
  window.onKey = [this](platform::Key) { Guarded([this] { Button2Click(); }); };
  window.onCloseQuery = [this] { return Guarded([this] { FormClose(); }); };
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

void TForm1::FormCreate() {
  PrepareCues();
  random.Seed(fixedSeed_ ? *fixedSeed_ : TimeOfDaySeed());
  LoadRecord();
  LoadStartPicture();
  GameState.level = 1;
  GameState.timeLeft = 60;
  GameState.saved.fixedOne = 1;
  GameState.saved.goodCount = 0;
  GameState.saved.missCount = 0;
  host_.Main().SetClientSize(400, 300);
  CueMusic("kuvol.mid");
}

void TForm1::FormClose() {
  CueSound0("1.wav");
  SaveRecord();
}

void TForm1::FormDestroy() { ReleaseCues(); }

void TForm1::Button2Click() { GameState.saved.hiScore = 0; }

void TForm1::LoadStartPicture() {
  const std::string path = host_.ProgramFolder() + "/cg/start.bmp";
  cg.LoadFromFile(path);
  bak.LoadFromFile(path);
}

}  // namespace game
