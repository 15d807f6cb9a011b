#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/mixer/MixerFixture.h"
#include "tests/support/CountingNew.h"

namespace mixer_test {
namespace {

using namespace mixer;

struct Notice {
  std::uint64_t micros;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};
std::vector<Notice> notices;
HeadlessHost* noticeHost = nullptr;
void RecordNotice(platform::WindowHandle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  notices.push_back({noticeHost->NowMicros(), message, wParam, lParam});
}

class OutputTest : public MixerTest {
 protected:
  platform::WindowHandle NotifyWindow() {
    notices.clear();
    noticeHost = host_.get();
    host_->RegisterWindowClass("Listener", RecordNotice, nullptr);
    return host_->CreateHiddenWindow("Listener");
  }

  // Mixes one block from `mixPosition` with the given plays standing first
  // on channels 0, 1, ... and returns its bytes.
  Bytes MixOne(std::vector<MixPlayRequest*> heads, std::int32_t mixPosition) {
    MixSession* s = currentSession;
    for (std::size_t i = 0; i < heads.size(); ++i) s->channel[i] = heads[i];
    s->mixPosition = mixPosition;
    MixBlock* block = TakeFreeBlock();
    EXPECT_TRUE(MixIntoBlock(block, false));
    ReleaseBlock(block);
    for (std::size_t i = 0; i < heads.size(); ++i) s->channel[i] = nullptr;
    return Bytes(block->samples, block->samples + s->blockLength);
  }
};

MixPlayRequest Request(MixWave* wave, std::int32_t start, std::uint16_t loops = 0) {
  MixPlayRequest r{};
  r.wave = wave;
  r.data = wave->data;
  r.length = std::int32_t(wave->length);
  r.params.loops = loops;
  r.start = start;
  r.end = std::int32_t((loops + 1) * wave->length + start - 1);
  return r;
}

TEST_F(OutputTest, ActivationTakesAndReleasesTheDeviceOnce) {
  MixSession* s = WaveMixInit();
  WaveMixOpenChannels(s, 0, CHANNELS_ALL);
  WaveMixActivate(s, 1);
  EXPECT_TRUE(device_->IsOpen());
  EXPECT_EQ(device_->QueuedBlocks(), 0u);  // nothing queued, nothing written
  EXPECT_EQ(deviceOwner, s);
  EXPECT_NE(s->callbackWindow, 0u);
  const std::uint32_t calls = device_->Calls();
  WaveMixActivate(s, 1);
  EXPECT_EQ(device_->Calls(), calls);

  WaveMixActivate(s, 0);
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_EQ(deviceOwner, nullptr);
  EXPECT_EQ(s->active, 0);
  EXPECT_EQ(s->callbackWindow, 0u);
  for (MixBlock* b : blocks) EXPECT_EQ(b, nullptr);
  const std::uint32_t closedCalls = device_->Calls();
  WaveMixActivate(s, 0);
  EXPECT_EQ(device_->Calls(), closedCalls);
  EXPECT_EQ(ErrorOf([] { WaveMixActivate(nullptr, 1); }), "Invalid Session handle");
}

TEST_F(OutputTest, ActivationFailuresLeaveNoDevice) {
  MixSession* s = WaveMixInit();
  device_->Faults().openResult = platform::mm::kAllocated;
  EXPECT_EQ(ErrorOf([&] { WaveMixActivate(s, 1); }), "Failed to open waveform output device #4");
  EXPECT_EQ(deviceOwner, nullptr);
  EXPECT_EQ(s->callbackWindow, 0u);
  EXPECT_EQ(s->active, 0);

  device_->Faults().openResult = 0;
  device_->Faults().failPrepareNumber = 3;
  EXPECT_EQ(ErrorOf([&] { WaveMixActivate(s, 1); }), "Unable to prepare wave header #7");
  EXPECT_EQ(deviceOwner, nullptr);
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_EQ(s->waveOut, 0u);
  for (MixBlock* b : blocks) EXPECT_EQ(b, nullptr);

  WaveMixActivate(s, 1);  // the faults were one-off
  EXPECT_TRUE(device_->IsOpen());
}

TEST_F(OutputTest, MixesSegmentsBetweenStartsEndsAndLoopBoundaries) {
  MixSession* s = Active();
  MixWave* ramp = Ramp(1000);
  MixWave* other = Ramp(300);
  auto ramp_at = [&](std::int64_t i) { return ramp->data[i % 1000]; };

  // Starting mid-block: silence before, the wave, silence after its end.
  MixPlayRequest late = Request(ramp, 100);
  Bytes block = MixOne({&late}, 0);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(block[i], 0x80) << i;
  for (int i = 100; i < 1099; ++i) ASSERT_EQ(block[i], ramp_at(i - 100)) << i;
  for (int i = 1099; i < 2048; ++i) ASSERT_EQ(block[i], 0x80) << i;

  // Loops wrap to the first byte; the last pass stops one byte short.
  MixPlayRequest looped = Request(ramp, 0, 2);
  ASSERT_EQ(looped.end, 2999);
  block = MixOne({&looped}, 0);
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(block[i], ramp_at(i)) << i;
  block = MixOne({&looped}, 2048);
  for (int i = 2048; i < 2999; ++i) ASSERT_EQ(block[i - 2048], ramp_at(i)) << i;
  for (int i = 2999; i < 4096; ++i) ASSERT_EQ(block[i - 2048], 0x80) << i;

  // Queued plays of one channel back to back, beside a play on another.
  MixPlayRequest first = Request(other, 10);
  MixPlayRequest second = Request(other, first.end);
  first.next = &second;
  MixPlayRequest beside = Request(ramp, 0);
  block = MixOne({&first, &beside}, 0);
  for (int i = 0; i < 1200; ++i) {
    int expected = 128;
    if (i >= 10 && i < first.end) expected += other->data[i - 10] - 128;
    if (i >= second.start && i < second.end) expected += other->data[i - second.start] - 128;
    if (i < beside.end) expected += ramp_at(i) - 128;
    ASSERT_EQ(block[i], std::clamp(expected, 0, 255)) << i;
  }
  (void)s;
}

struct SumCase {
  std::vector<std::uint8_t> sources;
  std::uint8_t expected;
};

TEST_F(OutputTest, MixSamplesSaturatesTheWholeSum) {
  const SumCase cases[] = {
      {{0xFF, 0xFF}, 0xFF},
      {{0x00, 0x00}, 0x00},
      {{0xC0, 0x50}, 0x90},
      {{0xFF, 0xFF, 0x00}, 0xFE},  // clipped once, at the end
      {{0x00, 0x00, 0xFF, 0xFF}, 0x7E},
      {{0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90}, 0x80 + 8 * 0x10 - 1},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0xFF},
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0x00},
      {{0x12}, 0x12},
  };
  for (int length : {1, 15, 16, 37}) {
    for (const SumCase& c : cases) {
      std::vector<Bytes> data;
      std::vector<const std::uint8_t*> sources;
      for (std::uint8_t v : c.sources) data.emplace_back(std::size_t(length), v);
      for (const Bytes& d : data) sources.push_back(d.data());
      Bytes out(std::size_t(length) + 1, 0x55);
      MixSamples(out.data(), sources.data(), int(sources.size()), length);
      EXPECT_EQ(Bytes(out.begin(), out.end() - 1), Bytes(std::size_t(length), c.expected))
          << c.sources.size() << " sources, length " << length;
      EXPECT_EQ(out.back(), 0x55);
    }
  }
}

TEST_F(OutputTest, DevicePlaysLoopsAndTheEndMessageComesWhenTheDeviceHasPlayedIt) {
  Active();
  const platform::WindowHandle listener = NotifyWindow();
  MixWave* ramp = Ramp(1000);
  MixWave* endless = Constant(100, 0x80);
  Play(2, ramp, 0, 2, listener);
  Play(3, endless, 0, 0xFFFF, listener);
  host_->AdvanceMs(150);
  EXPECT_TRUE(notices.empty());
  host_->AdvanceMs(3000);
  // Retired at the second block's done notice, the first at which the
  // device has played past its end.
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].micros, 371520u);
  EXPECT_EQ(notices[0].message, platform::mm::kWomDone);
  EXPECT_EQ(notices[0].wParam, 2u);
  EXPECT_EQ(notices[0].lParam, reinterpret_cast<std::intptr_t>(ramp));
  EXPECT_EQ(Queue(3), std::vector<MixWave*>{endless});
  const Bytes& heard = Heard();
  ASSERT_GE(heard.size(), 4096u);
  for (int i = 0; i < 2999; ++i) ASSERT_EQ(heard[i], ramp->data[i % 1000]) << i;
  for (std::size_t i = 2999; i < heard.size(); ++i) ASSERT_EQ(heard[i], 0x80) << i;
}

struct RemixCase {
  const char* ini;
  std::size_t heardFrom;
};

TEST_F(OutputTest, PlayFromNowIsHeardAtThePositionPlayingOrAfterWhatWasMixed) {
  const RemixCase cases[] = {
      {"", 1102},  // RemixBlocks: at the position heard (100 ms)
      {"[default]\nGoodWavePos=1\n", 1102},
      {"[default]\nRemix=2\n", 6144},  // DeferToMixPosition: after the three queued blocks
  };
  for (const RemixCase& c : cases) {
    SCOPED_TRACE(c.ini);
    WriteIni(c.ini);
    UseDevices(VirtualWaveOutConfig{});
    Active();
    Play(0, Constant(100, 0x90), 0, 0xFFFF);
    host_->AdvanceMs(100);
    Play(1, Constant(500, 0xA0), PLAY_FROMNOW);
    host_->AdvanceMs(1000);
    const Bytes& heard = Heard();
    ASSERT_GT(heard.size(), c.heardFrom + 600);
    for (std::size_t i = 0; i < heard.size(); ++i) {
      const std::uint8_t expected = i >= c.heardFrom && i < c.heardFrom + 499 ? 0xB0 : 0x90;
      ASSERT_EQ(heard[i], expected) << i;
    }
    WaveMixEndSession(currentSession);
  }
}

TEST_F(OutputTest, ReactivationContinuesWhereThePlayWasCut) {
  MixSession* s = Active();
  MixWave* ramp = Ramp(20000);
  Play(0, ramp);
  host_->AdvanceMs(500);
  WaveMixActivate(s, 0);
  EXPECT_EQ(Heard().size(), 5512u);
  host_->AdvanceMs(1000);
  WaveMixActivate(s, 1);
  host_->AdvanceMs(3000);
  const Bytes& heard = Heard();
  ASSERT_GE(heard.size(), 19999u);
  for (std::size_t i = 0; i < 19999; ++i) ASSERT_EQ(heard[i], ramp->data[i]) << i;
  for (std::size_t i = 19999; i < heard.size(); ++i) ASSERT_EQ(heard[i], 0x80) << i;
}

TEST_F(OutputTest, ClearingSilencesAtOnceAndFreesEveryBlock) {
  MixSession* s = Active();
  Play(0, Constant(100, 0x90), 0, 0xFFFF);
  host_->AdvanceMs(100);
  const std::uint32_t calls = device_->Calls();
  WaveMixClearChannel(s, 1, 0);  // nothing dropped: no remix
  EXPECT_EQ(device_->Calls(), calls);

  WaveMixClearChannel(s, 0, 0);
  host_->AdvanceMs(1000);
  EXPECT_EQ(Heard(), Bytes(1102, 0x90));
  EXPECT_EQ(BlockQueueHead(), nullptr);
  for (int i = 0; i < s->blockCount; ++i) EXPECT_EQ(blocks[i]->available, 1) << i;
}

TEST_F(OutputTest, OnlyTheConfiguredNumberOfBlocksIsEverTaken) {
  MixSession* s = Active();
  ASSERT_EQ(s->blockCount, 3);
  EXPECT_NE(TakeFreeBlock(), nullptr);
  EXPECT_NE(TakeFreeBlock(), nullptr);
  EXPECT_NE(TakeFreeBlock(), nullptr);
  EXPECT_EQ(TakeFreeBlock(), nullptr);
  for (int i = 3; i < kBlockSlots; ++i) EXPECT_EQ(blocks[i]->available, 1);
  for (int i = 0; i < 3; ++i) ReleaseBlock(blocks[i]);
}

TEST_F(OutputTest, AFailedWriteFreesTheBlockAndLosesItsSpan) {
  MixSession* s = Active();
  device_->Faults().failWriteNumber = 2;
  MixWave* w = Constant(10000, 0x90);
  EXPECT_EQ(ErrorOf([&] { Play(0, w); }), "Failed to write block to device");
  EXPECT_EQ(s->mixPosition, 4096);
  EXPECT_EQ(device_->QueuedBlocks(), 1u);
  EXPECT_EQ(BlockQueueHead(), BlockQueueTail());
  EXPECT_EQ(blocks[1]->available, 1);
  EXPECT_EQ(Queue(0), std::vector<MixWave*>{w});  // the play stays placed
}

TEST_F(OutputTest, PlayingAllocatesNothing) {
  MixSession* s = Active();
  device_->SetRecording(false);
  MixWave* a = Constant(3000, 0x90);
  MixWave* b = Constant(700, 0xA0);
  host_->AdvanceMs(10);
  const long before = allocations;
  // (Remixes reset the device, whose notices the host queues with its own
  // allocations, so they are left out.)
  Play(0, a);
  Play(0, b);
  Play(2, a, PLAY_HOLD);
  Play(3, b, PLAY_ANYCHANNEL);
  PumpBlocks();
  WaveMixClearChannel(s, 2, CLEAR_NOREMIX);
  EXPECT_EQ(allocations - before, 0);
}

}  // namespace
}  // namespace mixer_test
