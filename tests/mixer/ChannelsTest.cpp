#include "tests/mixer/MixerFixture.h"

namespace mixer_test {
namespace {

using namespace mixer;

class ChannelsTest : public MixerTest {};

std::uint8_t OpenMask(const MixSession* s) {
  std::uint8_t mask = 0;
  for (int i = 0; i < 8; ++i)
    if (s->channel[i] != ClosedChannel()) mask |= std::uint8_t(1 << i);
  return mask;
}

TEST_F(ChannelsTest, OpeningChannels) {
  MixSession* s = WaveMixInit();
  WaveMixOpenChannels(s, 2, CHANNELS_ONE);
  WaveMixOpenChannels(s, 5, CHANNELS_ONE);
  WaveMixOpenChannels(s, 0, CHANNELS_ALL);
  EXPECT_EQ(s->openChannelCount, 8);
  EXPECT_EQ(OpenMask(s), 0xFF);
  WaveMixShutChannels(s, 0, CLEAR_ALL);
  EXPECT_EQ(s->openChannelCount, 0);
  WaveMixOpenChannels(s, 3, CHANNELS_FIRST);
  EXPECT_EQ(OpenMask(s), 0x07);
  EXPECT_EQ(s->openChannelCount, 3);

  struct Case {
    std::int32_t channelOrCount, mode;
    const char* message;
  };
  const Case refused[] = {
      {0, 3, "Invalid Flags"},
      {0, -1, "Invalid flag"},
      {8, CHANNELS_ONE, "Invalid channel number"},
      {-1, CHANNELS_ONE, "Invalid channel number"},
      {0, CHANNELS_FIRST, "Invalid number of channels"},
      {9, CHANNELS_FIRST, "Invalid number of channels"},
      {1, CHANNELS_ONE, "The channel has already been opened"},
  };
  for (const Case& c : refused)
    EXPECT_EQ(ErrorOf([&] { WaveMixOpenChannels(s, c.channelOrCount, c.mode); }), c.message) << c.mode;
  EXPECT_EQ(s->openChannelCount, 3);
  EXPECT_EQ(ErrorOf([] { WaveMixOpenChannels(nullptr, 0, CHANNELS_ALL); }), "Invalid Session handle");
}

TEST_F(ChannelsTest, ShuttingAndClearing) {
  MixSession* s = Active(0x0B);
  MixWave* w = Constant(100, 0x90);
  Play(3, w);
  Play(3, w);
  EXPECT_EQ(ErrorOf([&] { WaveMixShutChannels(s, 2, 0); }), "The specified channel was not open");
  EXPECT_EQ(ErrorOf([&] { WaveMixClearChannel(s, 2, 0); }), "The specified channel was not open");
  EXPECT_EQ(ErrorOf([&] { WaveMixClearChannel(s, 8, 0); }), "Invalid channel number");
  EXPECT_EQ(ErrorOf([&] { WaveMixShutChannels(s, -1, 0); }), "Invalid channel number");

  WaveMixClearChannel(s, 3, CLEAR_NOREMIX);
  EXPECT_EQ(s->channel[3], nullptr);
  EXPECT_EQ(FreeRequestCount(), 100);
  Play(1, w);
  WaveMixShutChannels(s, 0, CLEAR_ALL);  // closed ones are passed over
  EXPECT_EQ(OpenMask(s), 0);
  EXPECT_EQ(s->openChannelCount, 0);
  EXPECT_EQ(FreeRequestCount(), 100);
}

TEST_F(ChannelsTest, PlayIsRefusedWithItsMessages) {
  MixSession* s = WaveMixInit();
  MixWave* w = Constant(10, 1);
  MixPlayParams params = Params(0, w);
  EXPECT_EQ(ErrorOf([] { WaveMixPlay(nullptr); }), "nil parameters pointer passed to WaveMixPlay");
  params.session = nullptr;
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }), "Invalid Session handle");
  params = Params(0, nullptr);
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }), "nil wave pointer passed to WaveMixPlay!");
  params = Params(0, w);
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }),
            "Wave device not allocated, call WaveMixActivate(hMixSession,TRUE)");
  WaveMixActivate(s, 1);
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }), "You must open a channel before you can play a wave");
  WaveMixOpenChannels(s, 0, CHANNELS_ONE);

  params = Params(8, w);
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }), "Invalid channel number");
  EXPECT_EQ(s->playSequence, 0);  // refused before anything changed

  params = Params(1, w);
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }), "The specified channel was not open");
  EXPECT_EQ(s->playSequence, 1);
  EXPECT_EQ(s->channelStamp[1], 1);

  for (int i = 0; i < 100; ++i) Play(0, w, PLAY_HOLD);
  params = Params(0, w);
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }), "Not enough memory");
  EXPECT_EQ(s->channelStamp[0], 102);
}

TEST_F(ChannelsTest, AnyChannelPicksAnIdleOrTheLeastRecentlyUsed) {
  MixSession* s = Active();
  MixWave* w = Constant(5000, 0x90);
  MixPlayParams params = Params(6, w, PLAY_ANYCHANNEL);
  WaveMixPlay(&params);
  EXPECT_EQ(params.channel, 0);  // all idle: channel 0
  params = Params(6, w, PLAY_ANYCHANNEL);
  WaveMixPlay(&params);
  EXPECT_EQ(params.channel, 1);  // 0 busy, 1 idle and never used
  EXPECT_EQ(Queue(1), std::vector<MixWave*>{w});

  WaveMixShutChannels(s, 0, CLEAR_ALL);
  WaveMixOpenChannels(s, 2, CHANNELS_FIRST);
  Play(0, w);
  Play(1, w);
  Play(0, w);
  params = Params(0, w, PLAY_ANYCHANNEL);
  WaveMixPlay(&params);
  EXPECT_EQ(params.channel, 1);  // both busy: the one played on longest ago
}

TEST_F(ChannelsTest, QueuedPlaysFollowEachOtherAndHeldPlaysWaitForTheNextPlay) {
  MixSession* s = Active();
  MixWave* a = Constant(4000, 0x90);
  MixWave* b = Constant(500, 0xA0);
  Play(0, a, 0, 2);
  Play(0, b);
  MixPlayRequest* first = s->channel[0];
  EXPECT_EQ(first->start, 0);
  EXPECT_EQ(first->end, 11999);
  EXPECT_EQ(first->next->start, 11999);
  EXPECT_EQ(first->next->end, 11999 + 499);

  Play(1, b, PLAY_HOLD);
  Play(2, a, PLAY_HOLD);
  EXPECT_EQ(s->channel[1], nullptr);
  EXPECT_NE(s->pendingPlays, nullptr);
  host_->AdvanceMs(100);
  Play(3, b);
  EXPECT_EQ(s->pendingPlays, nullptr);
  // All three placed against one reading of the position, in arrival order.
  ASSERT_EQ(Queue(1), std::vector<MixWave*>{b});
  ASSERT_EQ(Queue(2), std::vector<MixWave*>{a});
  EXPECT_EQ(s->channel[1]->start, s->channel[2]->start);
  EXPECT_EQ(s->channel[2]->start, s->channel[3]->start);
}

TEST_F(ChannelsTest, HeldPlaysOfAShutChannelOrAReleasedWaveNeverSound) {
  MixSession* s = Active();
  MixWave* a = Constant(1000, 0xC0);
  MixWave* b = Constant(1000, 0x90);
  Play(1, a, PLAY_HOLD);
  Play(2, b, PLAY_HOLD);
  WaveMixShutChannels(s, 1, 0);
  Release(b);
  Play(0, Constant(100, 0x70));
  EXPECT_EQ(FreeRequestCount(), 99);
  host_->AdvanceMs(1000);
  for (std::size_t i = 0; i < Heard().size(); ++i) ASSERT_TRUE(Heard()[i] == 0x70 || Heard()[i] == 0x80) << i;
}

TEST_F(ChannelsTest, ReleasingAWaveTakesItOutOfEveryQueue) {
  MixSession* s = Active();
  MixWave* x = Constant(300, 0x90);
  MixWave* y = Constant(300, 0xA0);
  Play(0, x);
  Play(0, y);
  Play(3, y);
  Play(3, x);
  Play(3, y);
  Release(x);
  EXPECT_EQ(Queue(0), std::vector<MixWave*>{y});
  EXPECT_EQ(Queue(3), (std::vector<MixWave*>{y, y}));
  EXPECT_EQ(FreeRequestCount(), 97);
  EXPECT_EQ(ErrorOf([&] { WaveMixReleaseWave(s, nullptr); }), "The given pointer was not valid");
}

}  // namespace
}  // namespace mixer_test
