// kesto_soak GAMES [--seed N] [--press-every TICKS] [--tolerate-dry]
//            [--max-growth-kb KB]
// plays GAMES whole games in one process on the headless host at virtual
// speed, with the virtual wave-out device (its recording off), pressing
// anywhere at random times (on average every TICKS ticks, default 40, about
// a player's pace): start, up to 2,500 ticks of play, a few seconds of the
// ending screen, back to the title. Then it waits a minute, closes the
// window, which saves, and reads the record back.
//
// It fails (exit 1) when a game does not end or restart as it should, an
// error box shows, the mixer's pool of play requests runs dry (unless
// --tolerate-dry) or is not whole again after the minute of quiet, the
// window does not close, the record read back differs from the best score
// seen, or (with --max-growth-kb) the resident set grows by more than KB per
// game from game 100 on. Every 100 games it prints the resident set, its
// peak and the pool's low-water mark.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "app/Application.h"
#include "game/Input.h"
#include "game/Record.h"
#include "mixer/Channels.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"

#ifndef KESTO_ASSETS_DIR
#error "KESTO_ASSETS_DIR must name the assets folder"
#endif

namespace {

namespace fs = std::filesystem;
using platform::MouseButton;
using platform::headless::HeadlessHost;
using platform::headless::VirtualWaveOut;

// A game lasts 50 s of 50 ticks; a wrong answer shortens it.
constexpr int kGameTickLimit = 3000;

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  return -1;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "kesto_soak: %s\n", what.c_str());
  std::exit(1);
}

class Soak {
 public:
  Soak(const fs::path& folder, std::uint32_t seed, int pressEvery, bool tolerateDry)
      : rng_(seed), host_(folder.string()), pressEvery_(pressEvery), tolerateDry_(tolerateDry) {
    auto device = std::make_unique<VirtualWaveOut>(host_);
    device->SetRecording(false);
    device_ = device.get();
    host_.SetWaveOut(std::move(device));
    host_.SetTraceSink([this](const std::string& line) {
      if (line.rfind("{\"box\"", 0) == 0) lastBox_ = line, ++boxes_;
    });
    mixer::WaveMixSetHost(&host_);
    form_ = app::CreateForm1(host_, seed);
    if (!form_) Fail("the window could not be created");
    if (boxes_) Fail("start-up showed " + lastBox_);
    best_ = form_->GameState.saved.hiScore;
  }
  ~Soak() {
    form_.reset();
    mixer::WaveMixSetHost(nullptr);
  }

  void PlayOne() {
    const game::GameState& s = form_->GameState;
    // The title trembles a second or a few, then any press starts.
    Ticks(Uniform(20, 250));
    host_.Press(Uniform(0, 399), Uniform(0, 299), Button());
    if (!form_->Timer1->Enabled() || s.gameOver) Fail("a press on the title did not start a game");

    for (int ticks = 0; !s.gameOver; ++ticks) {
      if (ticks > kGameTickLimit)
        Fail("a game did not end: timeLeft " + std::to_string(s.timeLeft) + ", phase " + std::to_string(s.phase) +
             ", level " + std::to_string(s.level) + ", timer1 " + std::to_string(form_->Timer1->Enabled()) +
             ", timer3 " + std::to_string(form_->Timer3->Enabled()));
      Ticks(1);
      // A press right after the tick that ended the game would be an ending
      // press, which the next loop makes on purpose.
      if (s.gameOver) break;
      if (Uniform(1, pressEvery_) == 1) Press(Uniform(0, 399), Uniform(0, 299));
    }
    if (s.saved.goodCount > best_) best_ = s.saved.goodCount;
    if (s.saved.hiScore != best_) Fail("the best score is " + std::to_string(s.saved.hiScore) + ", not " +
                                       std::to_string(best_));

    // The ending, for two to six seconds: presses anywhere but the end
    // place, then the restart place.
    Ticks(Uniform(100, 200));
    for (int n = Uniform(0, 4); n > 0; --n) {
      Ticks(Uniform(1, 25));
      int x, y;
      do {
        x = Uniform(0, 399), y = Uniform(0, 299);
      } while (game::InEndPlace(x, y));
      Press(x, y);
      if (!s.gameOver) break;  // it was the restart place
    }
    if (s.gameOver) Press(Uniform(0, 56), Uniform(219, 253));
    if (s.gameOver || !form_->Timer2->Enabled()) Fail("the restart place did not lead to the title");
    if (boxes_) Fail("an error box showed: " + lastBox_);
  }

  // Once everything queued has played, every play request is back.
  void CheckPoolRefills() {
    Ticks(60 * 50);
    if (mixer::FreeRequestCount() != mixer::kRequestPoolSize)
      Fail("after a minute of quiet " + std::to_string(mixer::FreeRequestCount()) + " play requests are free");
  }

  // Closes (saving) and reads the record back.
  void CloseAndCheck(const fs::path& folder) {
    host_.Main().Close();
    if (!host_.Main().Closed()) Fail("the window did not close: " + lastBox_);
    if (lastBox_ != "{\"box\":\"ミルタスちゃん\",\"text\":\"どきゅん！！\"}") Fail("unexpected box " + lastBox_);
    game::tmy back;
    game::ReadRecord((folder / "dat/my.dat").string(), back);
    if (back.hiScore != best_) Fail("the record holds " + std::to_string(back.hiScore));
  }

  int PoolLow() const { return poolLow_; }
  std::uint64_t DrySamples() const { return drySamples_; }
  int Best() const { return best_; }
  std::uint64_t TicksRun() const { return ticks_; }
  std::uint32_t DeviceCalls() const { return device_->Calls(); }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  MouseButton Button() {
    static const MouseButton buttons[] = {MouseButton::Left, MouseButton::Right, MouseButton::Middle};
    return buttons[Uniform(0, 2)];
  }
  void Sample() {
    const int free = mixer::FreeRequestCount();
    if (free < poolLow_) poolLow_ = free;

    if (free == 0 && !tolerateDry_) Fail("the pool of play requests ran dry after " + std::to_string(ticks_) + " ticks");
    if (free == 0) ++drySamples_;
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      host_.AdvanceMs(20);
      ++ticks_;
      Sample();
    }
  }
  void Press(int x, int y) {
    host_.Press(x, y, Button());
    Sample();
  }

  std::mt19937 rng_;
  HeadlessHost host_;
  VirtualWaveOut* device_ = nullptr;
  std::unique_ptr<game::TForm1> form_;
  std::string lastBox_;
  int boxes_ = 0;
  int best_ = 0;
  int pressEvery_;
  bool tolerateDry_;
  int poolLow_ = mixer::kRequestPoolSize;
  std::uint64_t drySamples_ = 0;
  std::uint64_t ticks_ = 0;
};

int ToInt(const char* text) {
  int value = 0;
  const std::string s = text;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || value < 0) Fail("bad number '" + s + "'");
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) Fail("usage: kesto_soak GAMES [--seed N] [--max-growth-kb KB]");
  const int games = ToInt(argv[1]);
  std::uint32_t seed = 1;
  double maxGrowthKb = -1;
  int pressEvery = 40;
  bool tolerateDry = false;
  for (int i = 2; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--tolerate-dry") {
      tolerateDry = true;
      continue;
    }
    if (i + 1 == argc) Fail(name + " needs a value");
    ++i;
    if (name == "--seed") {
      seed = std::uint32_t(ToInt(argv[i]));
    } else if (name == "--press-every") {
      pressEvery = std::max(1, ToInt(argv[i]));
    } else if (name == "--max-growth-kb") {
      maxGrowthKb = std::strtod(argv[i], nullptr);
    } else {
      Fail("unknown argument '" + name + "'");
    }
  }

  // The program folder: a copy of the game's own dat/ and cg/.
  std::string pattern = (fs::temp_directory_path() / "kesto-soak-XXXXXX").string();
  const fs::path folder = ::mkdtemp(pattern.data());
  fs::copy(fs::path(KESTO_ASSETS_DIR) / "dat", folder / "dat", fs::copy_options::recursive);
  fs::copy(fs::path(KESTO_ASSETS_DIR) / "cg", folder / "cg", fs::copy_options::recursive);
  unsetenv("WAVEMIX_INI");

  long rssAt100 = -1, rssAtEnd = -1;
  int poolLow = 0, best = 0;
  std::uint64_t dry = 0;
  std::uint64_t ticks = 0;
  std::uint32_t calls = 0;
  {
    Soak soak(folder, seed, pressEvery, tolerateDry);
    for (int game = 1; game <= games; ++game) {
      soak.PlayOne();
      if (game % 100 == 0 || game == games) {
        const long rss = StatusKb("VmRSS");
        if (game == 100) rssAt100 = rss;
        rssAtEnd = rss;
        std::printf("games %d: VmRSS %ld kB, VmHWM %ld kB, pool low-water %d of %d free, best %d\n", game, rss,
                    StatusKb("VmHWM"), soak.PoolLow(), mixer::kRequestPoolSize, soak.Best());
        std::fflush(stdout);
      }
    }
    soak.CheckPoolRefills();
    soak.CloseAndCheck(folder);
    poolLow = soak.PoolLow();
    dry = soak.DrySamples();
    best = soak.Best();
    ticks = soak.TicksRun();
    calls = soak.DeviceCalls();
  }
  fs::remove_all(folder);

  const long rssEnd = StatusKb("VmRSS");
  std::printf("done: %d games, %llu ticks, %u wave-out calls, best %d saved and read back, pool low-water %d\n",
              games, static_cast<unsigned long long>(ticks), calls, best, poolLow);
  if (dry) std::printf("the pool was dry at %llu of the samples\n", static_cast<unsigned long long>(dry));
  std::printf("peak RSS %ld kB, RSS at end %ld kB\n", StatusKb("VmHWM"), rssEnd);
  if (rssAt100 >= 0 && games > 100) {
    // Measured while the game still runs: after it, its memory is gone.
    const double growth = double(rssAtEnd - rssAt100) / (games - 100);
    std::printf("RSS growth from game 100 on: %.3f kB per game\n", growth);
    if (maxGrowthKb >= 0 && growth > maxGrowthKb) Fail("memory grows by " + std::to_string(growth) + " kB per game");
  }
  return 0;
}
