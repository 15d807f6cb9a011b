// The shipped sound as the game plays it: the effects as the mixer loads them
// under the shipped WAVEMIX.INI, the music as FluidSynth renders our MIDI
// with TimGM6mb at the game's gain.
//  - In step: a cue on channel 0 queues behind what the channel plays, and
//    the game cues again at once at several moments, so the mixer's lead
//    (every block mixed ahead) plus the effect before must stay within
//    100 ms.
//  - In balance: title and play music within 3 dB RMS of each other and no
//    moment of the game where the peaks of what sounds together clip. How
//    far the answer sounds stand out of the music in whole games is
//    bench/sound/prominence.py's (run by the test shipped_sound_prominence).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/sdl/FluidMusic.h"

namespace {

const std::string kAssets = std::string(KESTO_SOURCE_DIR) + "/assets/";
constexpr const char* kSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

struct Level {
  double rms = 0, peak = 0;  // full scale = 1
  double RmsDb() const { return 20 * std::log10(rms); }
};

struct Effect {
  Level level;
  double seconds = 0;
};

// The session and the loaded effects, under the shipped settings.
struct Shipped {
  double leadSeconds = 0;  // the most the mixer mixes ahead of what is heard
  std::map<std::string, Effect> effects;
};

const Shipped& ShippedEffects() {
  static const Shipped shipped = [] {
    Shipped s;
    setenv("WAVEMIX_INI", (kAssets + "WAVEMIX.INI").c_str(), 1);
    platform::headless::HeadlessHost host("/nonexistent/");
    mixer::WaveMixSetHost(&host);
    mixer::MixSession* session = mixer::WaveMixInit();
    const double bytesPerSecond = session->format.avgBytesPerSec;
    s.leadSeconds = session->blockCount * session->blockLength / bytesPerSecond;
    for (const char* name : {"1.wav", "start.wav", "good.wav", "gya1.wav", "time.wav", "lv.wav", "katan.wav",
                             "yatta.wav"}) {
      const std::string path = kAssets + "dat/" + name;
      mixer::MixWave* wave = mixer::WaveMixLoadWave(session, path.c_str(), nullptr, mixer::LOAD_FILE);
      Effect e;
      double sum = 0;
      for (std::uint32_t i = 0; i < wave->length; ++i) {
        const double x = (int(wave->data[i]) - 128) / 128.0;
        sum += x * x;
        e.level.peak = std::max(e.level.peak, std::abs(x));
      }
      e.level.rms = std::sqrt(sum / wave->length);
      e.seconds = wave->length / bytesPerSecond;
      s.effects[name] = e;
      mixer::WaveMixReleaseWave(session, wave);
    }
    mixer::WaveMixEndSession(session);
    mixer::WaveMixSetHost(nullptr);
    unsetenv("WAVEMIX_INI");
    return s;
  }();
  return shipped;
}

// A whole piece, from its start until the player stops, both channels.
Level MusicLevel(const std::string& name) {
  platform::sdl::FluidMusic music(44100);
  music.Open(kAssets + "dat/" + name);
  music.Play();
  std::vector<std::int16_t> chunk(4410 * 2);
  double sum = 0;
  std::size_t samples = 0;
  Level level;
  while (music.Playing() && samples < std::size_t(44100) * 2 * 600) {
    std::fill(chunk.begin(), chunk.end(), 0);
    music.MixInto(chunk.data(), 4410);
    for (std::int16_t v : chunk) {
      const double x = v / 32768.0;
      sum += x * x;
      level.peak = std::max(level.peak, std::abs(x));
    }
    samples += chunk.size();
  }
  level.rms = std::sqrt(sum / double(samples));
  return level;
}

class ShippedMusic : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    unsetenv("KESTO_SOUNDFONT");
    if (!std::ifstream(kSoundfont)) return;
    for (const char* name : {"kuvol.mid", "T_ssix05.mid", "rei.mid"}) music_[name] = MusicLevel(name);
  }
  void SetUp() override {
    if (music_.empty()) GTEST_SKIP() << "no " << kSoundfont;
  }
  static std::map<std::string, Level> music_;
};
std::map<std::string, Level> ShippedMusic::music_;

// Cues that the game can follow on channel 0 at once (1.wav by start.wav at
// the start click, time.wav by an answer, an answer by time.wav, gya1.wav by
// katan.wav 20 ms later): the next one sounds when this one ends, at most
// the lead plus its length after its own cue. The fanfare is heard whole: it
// is over before the next answer can come (the 11 level-up ticks and 5 of
// the next question), which then sounds within 100 ms.
TEST(ShippedEffects, EffectsThatCanBeFollowedAtOnceLeaveTheNextWithin100Ms) {
  const Shipped& s = ShippedEffects();
  EXPECT_LE(s.leadSeconds, 0.040) << "blocks mixed ahead";
  for (const char* name : {"1.wav", "time.wav", "good.wav", "gya1.wav"}) {
    SCOPED_TRACE(name);
    EXPECT_LE(s.leadSeconds + s.effects.at(name).seconds, 0.100);
  }
  EXPECT_GE(s.effects.at("lv.wav").seconds, 0.300);
  EXPECT_LE(s.leadSeconds + s.effects.at("lv.wav").seconds, 16 * 0.020 + 0.100);
  // start.wav (behind 1.wav) is over before a fast player's first answer:
  // the second expression shows 9 ticks after the click, the answer comes
  // 0.2 s later, and it may sound up to 100 ms late.
  EXPECT_LE(s.leadSeconds + s.effects.at("1.wav").seconds + s.effects.at("start.wav").seconds,
            9 * 0.020 + 0.200 + 0.100);
}

TEST_F(ShippedMusic, TitleAndPlayMusicAreWithin3DbOfEachOther) {
  const double title = music_.at("kuvol.mid").RmsDb(), play = music_.at("T_ssix05.mid").RmsDb();
  for (const auto& [name, level] : music_)
    std::printf("music %-12s RMS %.1f dBFS, peak %.1f dBFS\n", name.c_str(), level.RmsDb(), 20 * std::log10(level.peak));
  EXPECT_LE(std::abs(title - play), 3.0);
}

// What sounds together at each moment of the game: the piece that plays and
// the effects on channels 0 and 1. Their peaks added stay below full scale.
TEST_F(ShippedMusic, NothingThatSoundsTogetherClips) {
  const auto& fx = ShippedEffects().effects;
  struct Moment {
    const char* music;
    std::vector<const char*> effects;
  } moments[] = {
      {"kuvol.mid", {"1.wav"}},  // the start click, before the play music starts
      {"T_ssix05.mid", {"1.wav"}},         {"T_ssix05.mid", {"start.wav"}},
      {"T_ssix05.mid", {"good.wav"}},      {"T_ssix05.mid", {"gya1.wav"}},
      {"T_ssix05.mid", {"time.wav"}},      {"T_ssix05.mid", {"lv.wav"}},
      {"rei.mid", {"katan.wav"}},          {"rei.mid", {"1.wav", "yatta.wav"}},  // back to the title
  };
  for (const Moment& m : moments) {
    double peak = music_.at(m.music).peak;
    for (const char* name : m.effects) peak += fx.at(name).level.peak;
    EXPECT_LT(peak, 1.0) << m.music << " with " << m.effects.front();
  }
}

}  // namespace
