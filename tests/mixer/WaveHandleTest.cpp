// Wave handles are checked as session handles are: a wave the session does
// not hold (released, made up, from a session that ended) is refused before
// anything is read through it, and the waves left at the end go with the
// session.
#include "tests/mixer/MixerFixture.h"

namespace mixer_test {
namespace {

using namespace mixer;

class WaveHandleTest : public MixerTest {};

constexpr char kNotLoaded[] = "The given wave was not loaded by this session";
constexpr char kUnknownPlay[] = "unknown wave pointer passed to WaveMixPlay!";

TEST_F(WaveHandleTest, WavesTheSessionDoesNotHoldAreRefusedAndChangeNothing) {
  MixSession* s = Active(0x01);
  MixWave* kept = Constant(4096, 0xA0);
  MixWave* released = LoadMemory(Wav({}, Bytes(64, 0x70)));
  WaveMixReleaseWave(s, released);
  MixWave madeUp{};
  madeUp.data = kept->data;
  madeUp.length = kept->length;
  Play(0, kept);
  const std::int32_t sequence = s->playSequence;

  struct Case {
    const char* what;
    MixWave* wave;
  };
  const Case cases[] = {
      {"released already", released},
      {"made up, like a real one", &madeUp},
      {"garbage", reinterpret_cast<MixWave*>(std::uintptr_t{0x5432})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ErrorOf([&] { Play(0, c.wave); }), kUnknownPlay);
    EXPECT_EQ(ErrorOf([&] { Play(0, c.wave, PLAY_HOLD); }), kUnknownPlay);
    EXPECT_EQ(ErrorOf([&] { WaveMixReleaseWave(s, c.wave); }), kNotLoaded);
    EXPECT_FALSE(WaveMixWaveInUse(s, c.wave));
  }
  // Refused before the channel's stamp: nothing was queued, held or cut.
  EXPECT_EQ(s->playSequence, sequence);
  EXPECT_EQ(s->pendingPlays, nullptr);
  EXPECT_EQ(Queue(0), std::vector<MixWave*>{kept});

  // The session's own wave is released once, then refused too.
  Release(kept);
  EXPECT_EQ(ErrorOf([&] { WaveMixReleaseWave(s, kept); }), kNotLoaded);
  EXPECT_EQ(ErrorOf([&] { Play(0, kept); }), kUnknownPlay);
}

TEST_F(WaveHandleTest, EndingTheSessionFreesTheWavesItStillHolds) {
  // Queued, held and idle waves: each is freed once by the end (the
  // sanitizer's leak check sees any left), none read after it.
  MixSession* s = Active(0x03);
  MixWave* queued = Constant(8000, 0x90);
  MixWave* held = Constant(300, 0x60);
  MixWave* idle = Constant(300, 0x50);
  Play(0, queued);
  Play(1, held, PLAY_HOLD);
  WaveMixEndSession(s);
  for (MixWave* wave : {queued, held, idle}) EXPECT_FALSE(HoldsWave(wave));
  host_->AdvanceMs(1000);

  EXPECT_EQ(ErrorOf([&] { WaveMixReleaseWave(s, idle); }), "Invalid Session handle");

  // The waves of the ended session are refused by the next one (it loads
  // none, so no address of theirs is taken again).
  MixSession* next = Active(0x01);
  EXPECT_EQ(ErrorOf([&] { WaveMixReleaseWave(next, idle); }), kNotLoaded);
  EXPECT_EQ(ErrorOf([&] { Play(0, queued); }), kUnknownPlay);
  EXPECT_EQ(next->channel[0], nullptr);
}

}  // namespace
}  // namespace mixer_test
