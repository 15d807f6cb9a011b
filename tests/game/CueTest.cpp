// The cues heard on the headless host: what the virtual wave device played,
// byte for byte, against the mixer's rules; the waves the cues keep loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include "game/Unit1.h"
#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/MediaError.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"
#include "tests/game/Bmp.h"
#include "tests/game/SoundTimeline.h"
#include "tests/support/TempFolder.h"
#include "tests/mixer/WavBuilder.h"

namespace game {
namespace {

using platform::headless::HeadlessHost;
using platform::headless::VirtualWaveOut;
using testing_support::Bytes;
using testing_support::MixedTimeline;
using testing_support::Saw;

// Waves at the session's own format (11025 Hz, 8-bit mono), so that the
// converted data is the file's data.
std::string WaveFile(const Bytes& data) {
  const Bytes file = mixer_test::Wav(mixer_test::Fmt{}, data);
  return std::string(file.begin(), file.end());
}

class CueTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("dat/my.dat", "\r\n3\r\n1\r\n0\r\n0\r\n");
    folder_.Write("cg/start.bmp", testing_support::SolidBmp(400, 300, {1, 2, 3}));
  }
  void TearDown() override {
    form_.reset();
    host_.reset();
    mixer::WaveMixSetHost(nullptr);
  }

  void AddWave(const std::string& name, const Bytes& data) { folder_.Write("dat/" + name, WaveFile(data)); }

  void Start() {
    host_ = std::make_unique<HeadlessHost>(folder_.Path());
    auto device = std::make_unique<VirtualWaveOut>(*host_);
    device->SetRecordGaps(true);
    device_ = device.get();
    host_->SetWaveOut(std::move(device));
    mixer::WaveMixSetHost(host_.get());
    form_ = std::make_unique<TForm1>(*host_);
    form_->FixSeed(9);
    form_->FormCreate();
  }

  const mixer::MixSession& Session() const { return *form_->WaveMix1->Session(); }
  // Where the mixer's timeline starts when a play arrives now on an idle
  // device: the recording's byte of this virtual instant.
  std::size_t RecordingNow() const { return std::size_t(host_->NowMicros() * 11025 / 1000000); }
  // How far the mixer has mixed ahead once a play of `length` bytes has
  // started an idle device: the blocks it filled.
  std::size_t MixedAhead(std::size_t length) const {
    const std::size_t block = std::size_t(Session().blockLength);
    return std::min<std::size_t>(std::size_t(Session().blockCount), (length - 1 + block - 1) / block) * block;
  }
  Bytes Heard(std::size_t from, std::size_t length) const {
    const Bytes& r = device_->Recording();
    EXPECT_GE(r.size(), from + length);
    if (r.size() < from + length) return {};
    return Bytes(r.begin() + std::ptrdiff_t(from), r.begin() + std::ptrdiff_t(from + length));
  }
  void Ticks(int n) { host_->AdvanceMs(std::uint64_t(n) * 20); }
  int CueCount() const {
    const std::vector<std::string>& t = host_->Traced();
    return int(std::count_if(t.begin(), t.end(), [](const std::string& line) { return line.find("\"cue\"") != std::string::npos; }));
  }
  void RunOut() {
    form_->GameState.timeLeft = 1;
    Ticks(51);
    ASSERT_TRUE(form_->GameState.gameOver);
  }

  testing_support::TempFolder folder_;
  std::unique_ptr<HeadlessHost> host_;
  VirtualWaveOut* device_ = nullptr;
  std::unique_ptr<TForm1> form_;
};

// The restart click cues "1.wav" on channel 0 and "yatta.wav" on channel 1.
// With a 1.wav longer than the blocks mixed ahead, yatta begins right after
// those blocks while 1.wav still sounds: the two add up there.
TEST_F(CueTest, ChannelOnePlaysOverChannelZero) {
  const Bytes one = Saw(9000, 7), yatta = Saw(3000, 13);
  AddWave("1.wav", one);
  AddWave("yatta.wav", yatta);
  Start();
  host_->Press(10, 10, platform::MouseButton::Left);
  RunOut();
  Ticks(100);
  const std::size_t at = RecordingNow();
  host_->Press(20, 230, platform::MouseButton::Left);
  ASSERT_FALSE(form_->GameState.gameOver);
  Ticks(100);
  const std::size_t yattaStart = MixedAhead(one.size());
  ASSERT_LT(yattaStart, one.size());
  const std::size_t length = yattaStart + yatta.size() + 500;
  const Bytes want = MixedTimeline({{one, 0}, {yatta, yattaStart}}, length);
  const Bytes got = Heard(at, length);
  EXPECT_EQ(got, want) << testing_support::FirstDifference(got, want);
}

// A cue whose file cannot be loaded plays nothing, shows nothing and leaves
// the channel's slot with the wave it held.
TEST_F(CueTest, UnloadableFileLeavesTheSlotAndPlaysNothing) {
  const Bytes one = Saw(500, 5);
  struct Case {
    const char* name;
    std::string startWav;  // empty: no file
  } cases[] = {
      {"missing", ""},
      {"not a wave", "RIFF\x10\0\0\0WAVEjunkjunk"},
      {"empty", std::string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AddWave("1.wav", one);
    std::filesystem::remove(folder_ / "dat/start.wav");
    if (std::string(c.name) != "missing") folder_.Write("dat/start.wav", c.startWav);
    Start();
    Ticks(5);
    const std::size_t at = RecordingNow();
    host_->Press(10, 10, platform::MouseButton::Left);
    ASSERT_NE(form_->CueWave(0), nullptr);
    EXPECT_EQ(form_->CueWave(0)->length, one.size()) << "wave0 still holds 1.wav";
    Ticks(45);  // short of the first countdown second
    // One block with 1.wav, then nothing more was written.
    const std::size_t block = std::size_t(Session().blockLength);
    EXPECT_EQ(Heard(at, block), MixedTimeline({{one, 0}}, block));
    EXPECT_EQ(device_->Recording().size(), at + block);
    for (const std::string& line : host_->Traced()) EXPECT_EQ(line.find("\"box\""), std::string::npos) << line;
    form_.reset();
  }
}

// A wave or MIDI file that cannot be played is named on stderr with the
// The lines are UTF-8 whatever the reason's bytes: the mixer's own texts
// carry the Western code page's acute accent.
TEST(ReadableText, KeepsUtf8AndReadsStrayBytesAsWesternCodePage) {
  const std::pair<std::string, std::string> cases[] = {
      {"No such file or directory", "No such file or directory"},
      {"The waveform device can\xB4t play this format", "The waveform device can\u00B4t play this format"},
      {"\u30df\u30eb\u30bf\u30b9", "\u30df\u30eb\u30bf\u30b9"},
      {"cut \xE3\x81", "cut \u00E3\u0081"},
      {"\xC0\xAF", "\u00C0\u00AF"},
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(platform::ReadableText(in), want) << in;
}

// reason, the first time only; the game shows no box and goes on.
TEST_F(CueTest, FilesThatStaySilentAreReportedOncePerFile) {
  std::ostringstream report;
  platform::RestartSilentMediaReport(&report);
  AddWave("1.wav", Saw(500, 5));
  folder_.Write("dat/time.wav", std::string("RIFF\x10\0\0\0WAVEjunkjunk", 20));
  folder_.Write("dat/T_ssix05.mid", "MTrk, not a header");
  // No kuvol.mid and no start.wav.
  Start();                                            // the title music
  host_->Press(10, 10, platform::MouseButton::Left);  // 1.wav, start.wav, the play music
  Ticks(160);                                         // time.wav three times
  platform::RestartSilentMediaReport(nullptr);

  const std::pair<const char*, std::string> want[] = {
      {"kuvol.mid", "the music cannot be read (No such file or directory)"},
      {"start.wav", "No such file or directory"},
      {"T_ssix05.mid", "not a MIDI file"},
      {"time.wav", "WAVE file is corrupted"},
  };
  std::istringstream lines(report.str());
  std::string line;
  for (const auto& [name, reason] : want) {
    ASSERT_TRUE(std::getline(lines, line)) << "no line for " << name << " in:\n" << report.str();
    EXPECT_EQ(line.rfind("kesto: " + folder_.Path(), 0), 0u) << line;
    const std::string tail = "/dat/" + std::string(name) + ": " + reason;
    EXPECT_TRUE(line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
        << line << "\n  should end with " << tail;
  }
  EXPECT_FALSE(std::getline(lines, line)) << "more lines than files:\n" << report.str();
  for (const std::string& traced : host_->Traced()) EXPECT_EQ(traced.find("\"box\""), std::string::npos) << traced;
}

// Shutting the window releases every wave the cues loaded, those still
// queued included, and leaves nothing of them on the channels.
TEST_F(CueTest, DestroyReleasesWhatTheCuesHold) {
  AddWave("1.wav", Saw(9000, 3));
  AddWave("start.wav", Saw(4000, 11));
  Start();
  EXPECT_EQ(form_->CueWavesLoaded(), 2u);  // 1.wav twice
  host_->Press(10, 10, platform::MouseButton::Left);
  // start.wav in wave0, the prepared 1.wav in wave1, the clicked 1.wav
  // still queued; the prepared wave0, never played, is gone.
  EXPECT_EQ(form_->CueWavesLoaded(), 3u);
  host_->Main().Close();
  ASSERT_TRUE(host_->Main().Closed());
  EXPECT_EQ(form_->CueWavesLoaded(), 4u);
  form_->FormDestroy();
  EXPECT_EQ(form_->CueWavesLoaded(), 0u);
  EXPECT_EQ(form_->CueWave(0), nullptr);
  EXPECT_EQ(form_->CueWave(1), nullptr);
  EXPECT_EQ(Session().channel[0], nullptr);
  EXPECT_EQ(Session().channel[1], nullptr);
}

// Every cue loads its file anew; the waves it replaces go once no channel
// plays them, so hundreds of cues keep only a handful loaded.
TEST_F(CueTest, LongRunKeepsTheLoadedWavesBounded) {
  const char* names[] = {"1.wav", "start.wav", "good.wav", "gya1.wav", "time.wav", "lv.wav", "katan.wav", "yatta.wav"};
  int step = 3;
  for (const char* name : names) AddWave(name, Saw(1000 + std::size_t(step) * 50, step)), step += 2;
  Start();
  std::size_t most = 0;
  for (int round = 0; round < 3; ++round) {
    host_->Press(10, 10, platform::MouseButton::Left);
    for (int answer = 0; !form_->GameState.gameOver; ++answer) {
      // On to the next question's asking phases.
      do {
        Ticks(1);
        most = std::max(most, form_->CueWavesLoaded());
      } while ((form_->GameState.phase < 5 || form_->GameState.phase > 99) && !form_->GameState.gameOver);
      if (form_->GameState.gameOver) break;
      const bool leftBigger = LeftValue(form_->GameState) > RightValue(form_->GameState);
      const bool right = answer % 4 != 3;
      host_->Press(leftBigger == right ? 100 : 300, 150, platform::MouseButton::Left);
      most = std::max(most, form_->CueWavesLoaded());
    }
    Ticks(100);
    host_->Press(20, 230, platform::MouseButton::Left);
    // Everything before has been heard: the two slots are all that is left.
    EXPECT_EQ(form_->CueWavesLoaded(), 2u);
  }
  EXPECT_GT(CueCount(), 300);
  EXPECT_LE(most, 6u);
}

}  // namespace
}  // namespace game
