// The game's sound under faults: no wave-out device at start-up, the device
// unplugged or a write failing during play, the sound files gone or spoilt
// during play, no soundfont for the music. The cues go silent, no error box
// shows, and the game goes on; a lost device is tried again at the next
// start click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/Input.h"
#include "game/Unit1.h"
#include "mixer/Channels.h"
#include "mixer/WaveMix.h"
#include "platform/Json.h"
#include "platform/MediaError.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"
#include "platform/sdl/SdlHost.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::MouseButton;
using platform::headless::HeadlessHost;
using platform::headless::VirtualWaveOut;
using testing_support::TempFolder;

bool Audible(const std::vector<std::uint8_t>& bytes, std::size_t from = 0) {
  return std::any_of(bytes.begin() + std::ptrdiff_t(std::min(from, bytes.size())), bytes.end(),
                     [](std::uint8_t b) { return b != 0x80; });
}

// The game on the headless host over a copy of its own dat/ and cg/, with a
// virtual wave-out device that records what it plays.
class CueFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(KESTO_ASSETS_DIR) / "dat", folder_ / "dat", fs::copy_options::recursive);
    fs::copy(fs::path(KESTO_ASSETS_DIR) / "cg", folder_ / "cg", fs::copy_options::recursive);
    unsetenv("WAVEMIX_INI");
  }
  void TearDown() override {
    form_.reset();
    host_.reset();
    mixer::WaveMixSetHost(nullptr);
    platform::RestartSilentMediaReport(nullptr);
  }

  // The game over the folder, its device set up by `prepare` first; the
  // lines for stderr are kept in err_.
  void Start(const std::function<void(VirtualWaveOut&)>& prepare = {}) {
    err_.str("");
    platform::RestartSilentMediaReport(&err_);
    host_ = std::make_unique<HeadlessHost>(folder_.Path());
    auto device = std::make_unique<VirtualWaveOut>(*host_);
    device_ = device.get();
    if (prepare) prepare(*device_);
    host_->SetWaveOut(std::move(device));
    mixer::WaveMixSetHost(host_.get());
    form_ = std::make_unique<game::TForm1>(*host_);
    form_->FixSeed(11);
    ASSERT_TRUE(form_->Guarded([this] { form_->FormCreate(); }));
  }

  // Plays for `seconds`, answering each question after about a second.
  void Play(int seconds) {
    for (int tick = 0; tick < seconds * 50; ++tick) {
      host_->AdvanceMs(20);
      if (tick % 50 == 49) host_->Press(tick % 100 < 50 ? 100 : 300, 150, MouseButton::Left);
    }
  }
  // Runs on until everything queued has been played.
  void Drain() {
    for (int tick = 0; tick < 50 * 60 && mixer::FreeRequestCount() != mixer::kRequestPoolSize; ++tick)
      host_->AdvanceMs(20);
    ASSERT_EQ(mixer::FreeRequestCount(), mixer::kRequestPoolSize);
  }
  int Boxes() const {
    return int(std::count_if(host_->Traced().begin(), host_->Traced().end(),
                             [](const std::string& line) { return line.rfind("{\"box\"", 0) == 0; }));
  }
  // The trace's lines about the sound going off and coming back.
  std::vector<std::string> SoundLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : host_->Traced())
      if (line.rfind("{\"sound\"", 0) == 0) lines.push_back(line);
    return lines;
  }
  static std::string Off(const std::string& reason) {
    return "{\"sound\":\"off\",\"reason\":" + platform::JsonString(reason) + "}";
  }
  static constexpr char kOn[] = "{\"sound\":\"on\"}";
  int Cues() const {
    return int(std::count_if(host_->Traced().begin(), host_->Traced().end(),
                             [](const std::string& line) { return line.rfind("{\"cue\":\"CueSound", 0) == 0; }));
  }
  // Lets the game run out, presses the restart place and lets the title
  // sound for two seconds; what was recorded before the press is returned.
  std::size_t PlayToTheEndAndRestart() {
    form_->GameState.timeLeft = std::min(form_->GameState.timeLeft, 2);
    Play(3);
    EXPECT_TRUE(form_->GameState.gameOver);
    const std::size_t before = device_->Recording().size();
    host_->Press(20, 230, MouseButton::Left);  // the restart place
    EXPECT_FALSE(form_->GameState.gameOver);
    EXPECT_TRUE(form_->Timer2->Enabled());
    host_->AdvanceMs(2000);
    return before;
  }

  TempFolder folder_;
  std::ostringstream err_;
  std::unique_ptr<HeadlessHost> host_;
  VirtualWaveOut* device_ = nullptr;
  std::unique_ptr<game::TForm1> form_;
};

TEST_F(CueFaultTest, SoundFilesLostDuringPlaySilenceTheCuesAndTheGameGoesOn) {
  struct Fault {
    const char* name;
    void (*apply)(const fs::path& dat);
  };
  const Fault faults[] = {
      {"dat/ moved away", [](const fs::path& dat) { fs::rename(dat, fs::path(dat).concat(".away")); }},
      {"waves emptied",
       [](const fs::path& dat) {
         for (const auto& entry : fs::directory_iterator(dat))
           if (entry.path().extension() == ".wav") fs::resize_file(entry.path(), 0);
       }},
      {"waves spoilt",
       [](const fs::path& dat) {
         for (const auto& entry : fs::directory_iterator(dat))
           if (entry.path().extension() == ".wav") fs::resize_file(entry.path(), 30);
       }},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    fs::remove_all(folder_ / "dat");
    fs::remove_all(folder_ / "dat.away");
    fs::copy(fs::path(KESTO_ASSETS_DIR) / "dat", folder_ / "dat", fs::copy_options::recursive);
    Start();
    host_->Press(200, 150, MouseButton::Left);
    Play(3);
    ASSERT_TRUE(Audible(device_->Recording()));

    fault.apply(folder_ / "dat");
    Drain();
    const std::size_t heard = device_->Recording().size();
    const int cues = Cues();
    const int goodBefore = form_->GameState.saved.goodCount + form_->GameState.saved.missCount;
    Play(5);
    EXPECT_GT(Cues(), cues);
    EXPECT_GT(form_->GameState.saved.goodCount + form_->GameState.saved.missCount, goodBefore);
    EXPECT_FALSE(Audible(device_->Recording(), heard));
    PlayToTheEndAndRestart();
    EXPECT_EQ(Boxes(), 0);
    EXPECT_FALSE(Audible(device_->Recording(), heard));
    EXPECT_TRUE(form_->Timer2->Enabled());
    TearDown();
  }
}

TEST_F(CueFaultTest, AWriteFailingDuringPlayLeavesTheGameGoingAndTheNextGameHeard) {
  // The Nth write of the device's life fails: some fall in a cue's play,
  // others in the refill after a block-done notice.
  for (int failed : {1, 2, 3, 4, 6, 9, 14, 20, 27, 35, 44}) {
    SCOPED_TRACE("write " + std::to_string(failed));
    Start([failed](VirtualWaveOut& device) { device.Faults().failWriteNumber = failed; });
    try {
      host_->Press(200, 150, MouseButton::Left);
      Play(10);
      // A failure in a cue's play silences the game until the next start
      // click; one in a refill after a notice is only a gap.
      const std::size_t before = PlayToTheEndAndRestart();
      host_->Press(200, 150, MouseButton::Left);
      host_->AdvanceMs(1000);
      EXPECT_TRUE(Audible(device_->Recording(), before)) << "no sound in the next game";
      EXPECT_NE(form_->WaveMix1, nullptr);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "escaped the event loop: " << e.what();
    }
    EXPECT_EQ(Boxes(), 0);
    TearDown();
  }
}

// Without a usable wave-out device at start-up the window still opens and
// the game plays, silently: one line on stderr and one in the trace say
// why. Each start click tries again, saying nothing new while it fails; the
// first one after the device is there is heard.
TEST_F(CueFaultTest, NoDeviceAtStartUpPlaysSilentlyUntilAStartClickFindsOne) {
  using Step = void (*)(VirtualWaveOut&, TempFolder&);
  struct Case {
    const char* reason;
    Step refuse, mend;
  } cases[] = {
      {"No wave output devices available", [](VirtualWaveOut& d, TempFolder&) { d.SetUnplugged(true); },
       [](VirtualWaveOut& d, TempFolder&) { d.SetUnplugged(false); }},
      {"Failed to open waveform output device #4",
       [](VirtualWaveOut& d, TempFolder&) { d.Faults().openResult = platform::mm::kAllocated; },
       [](VirtualWaveOut& d, TempFolder&) { d.Faults().openResult = 0; }},
      {"Virtual Wave Out is not compatible with the realtime wavemixer",
       [](VirtualWaveOut&, TempFolder& f) { f.Write("WAVEMIX.INI", "[not compatible]\r\nVirtual Wave Out=1\r\n"); },
       [](VirtualWaveOut&, TempFolder& f) { fs::remove(f / "WAVEMIX.INI"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    Start([&](VirtualWaveOut& device) { c.refuse(device, folder_); });
    EXPECT_EQ(form_->WaveMix1, nullptr);
    EXPECT_EQ(SoundLines(), std::vector<std::string>{Off(c.reason)});
    EXPECT_EQ(err_.str(), std::string("kesto: playing without sound: ") + c.reason + "\n");
    EXPECT_EQ(host_->ClientWidth(), 400) << "FormCreate ran to its end";

    host_->Press(200, 150, MouseButton::Left);
    const std::int32_t timeLeft = form_->GameState.timeLeft;
    Play(2);
    EXPECT_TRUE(form_->Timer1->Enabled());
    EXPECT_LT(form_->GameState.timeLeft, timeLeft);
    EXPECT_EQ(SoundLines().size(), 1u);

    c.mend(*device_, folder_);
    PlayToTheEndAndRestart();
    EXPECT_FALSE(Audible(device_->Recording()));
    host_->Press(200, 150, MouseButton::Left);
    host_->AdvanceMs(1000);
    EXPECT_NE(form_->WaveMix1, nullptr);
    EXPECT_EQ(SoundLines(), (std::vector<std::string>{Off(c.reason), kOn}));
    EXPECT_TRUE(Audible(device_->Recording())) << "the start click after the mend is heard";
    EXPECT_EQ(err_.str(), std::string("kesto: playing without sound: ") + c.reason + "\n");
    EXPECT_EQ(Boxes(), 0);
    TearDown();
  }
}

// A device unplugged during play: the cues go silent with one line, the game
// plays on, a start click while it is away changes nothing, and the first
// start click after it is back is heard.
TEST_F(CueFaultTest, DeviceUnpluggedDuringPlayIsSilentUntilTheNextStartClickFindsItBack) {
  Start();
  host_->Press(200, 150, MouseButton::Left);
  Play(3);
  ASSERT_TRUE(Audible(device_->Recording()));

  device_->SetUnplugged(true);
  const std::size_t heard = device_->Recording().size();
  const int answers = form_->GameState.saved.goodCount + form_->GameState.saved.missCount;
  Play(3);
  EXPECT_GT(form_->GameState.saved.goodCount + form_->GameState.saved.missCount, answers);
  EXPECT_EQ(form_->WaveMix1, nullptr);
  // The cue's load asks the device first, and a device that has gone refuses.
  const std::string reason = "The waveform device can\xB4t play this format";
  EXPECT_EQ(SoundLines(), std::vector<std::string>{Off(reason)});
  // The trace keeps the mixer's bytes; the line for a terminal is UTF-8.
  EXPECT_EQ(err_.str(), "kesto: playing without sound: The waveform device can\u00B4t play this format\n");

  PlayToTheEndAndRestart();
  host_->Press(200, 150, MouseButton::Left);
  Play(1);
  EXPECT_TRUE(form_->Timer1->Enabled());
  EXPECT_EQ(SoundLines().size(), 1u);

  device_->SetUnplugged(false);
  PlayToTheEndAndRestart();
  EXPECT_FALSE(Audible(device_->Recording(), heard));
  host_->Press(200, 150, MouseButton::Left);
  host_->AdvanceMs(1000);
  EXPECT_EQ(SoundLines(), (std::vector<std::string>{Off(reason), kOn}));
  EXPECT_TRUE(Audible(device_->Recording(), heard));
  EXPECT_EQ(Boxes(), 0);
}

TEST_F(CueFaultTest, NoSoundfontLeavesTheMusicSilentAndTheGameGoesOn) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("KESTO_SOUNDFONT", "/nonexistent/kesto.sf2", 1);
  std::unique_ptr<platform::Host> host;
  try {
    host = platform::sdl::CreateSdlHost(folder_.Path());
  } catch (const std::runtime_error& e) {
    unsetenv("KESTO_SOUNDFONT");
    GTEST_SKIP() << "no SDL: " << e.what();
  }
  mixer::WaveMixSetHost(host.get());
  auto form = std::make_unique<game::TForm1>(*host);
  form->FixSeed(2);
  EXPECT_TRUE(form->Guarded([&] { form->FormCreate(); }));

  // A second in, a press starts a game; four seconds later the window goes
  // (without the save and its modal box, which would wait for a key).
  int steps = 0;
  bool started = false;
  std::int32_t timeLeft = 0;
  auto driver = host->CreateTimer(100, true, [&] {
    ++steps;
    if (steps == 10) host->Main().onMouseDown(200, 150, MouseButton::Left);
    if (steps == 11) started = form->Timer1->Enabled();
    if (steps == 50) {
      timeLeft = form->GameState.timeLeft;
      host->Main().onCloseQuery = [] { return true; };
      host->Main().Close();
    }
  });
  EXPECT_EQ(host->Run(), 0);
  EXPECT_TRUE(started);
  EXPECT_LT(timeLeft, 50);
  EXPECT_GT(timeLeft, 40);
  driver.reset();
  form.reset();
  mixer::WaveMixSetHost(nullptr);
  host.reset();
  unsetenv("KESTO_SOUNDFONT");
}

}  // namespace
