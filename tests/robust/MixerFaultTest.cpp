// A block write that fails while the mixer has paused the device must not
// leave it paused: the blocks already written still play, the pump goes on
// and later plays are heard.
#include <algorithm>

#include "tests/mixer/MixerFixture.h"

namespace mixer_test {
namespace {

using namespace mixer;

class MixerFaultTest : public MixerTest {};

struct WriteFault {
  const char* name;
  bool remix;       // fail inside RemixBlocks rather than the idle play's fill
  int failedWrite;  // which write of the device's life fails
};

TEST_F(MixerFaultTest, AFailedWriteLeavesTheDeviceRunningAndLaterPlaysAreHeard) {
  // The first play writes blocks 1 to 3 to the idle (paused) device; a remix
  // writes its blocks as 4, 5 and 6.
  const WriteFault cases[] = {
      {"idle play, second block", false, 2},
      {"idle play, first block", false, 1},
      {"remix, second block", true, 5},
      {"remix, first block", true, 4},
  };
  for (const WriteFault& c : cases) {
    SCOPED_TRACE(c.name);
    UseDevices(VirtualWaveOutConfig{});
    MixSession* s = Active();
    device_->Faults().failWriteNumber = c.failedWrite;
    MixWave* first = Constant(8000, 0x90);
    if (c.remix) {
      Play(0, first);
      host_->AdvanceMs(100);
      EXPECT_EQ(ErrorOf([&] { Play(1, Constant(500, 0xA0), PLAY_FROMNOW); }), "Failed to write block to device");
    } else {
      EXPECT_EQ(ErrorOf([&] { Play(0, first); }), "Failed to write block to device");
    }
    EXPECT_FALSE(device_->Paused());
    for (MixBlock* b = BlockQueueHead(); b; b = b->next) EXPECT_EQ(b->available, 0);

    // Whatever was cut, everything ends, the blocks come back, and the next
    // play sounds whole (a play's last byte is never mixed: end is
    // start + length - 1 and sounds up to end - 1).
    host_->AdvanceMs(2000);
    EXPECT_EQ(BlockQueueHead(), nullptr);
    EXPECT_EQ(device_->QueuedBlocks(), 0u);
    device_->ClearRecording();
    device_->SetRecordGaps(false);
    // (When no block reached the device nothing was pumped, and the first
    // play still waits on channel 0. It is dropped without a remix, which
    // would reset and restart the device and so hide a paused one.)
    WaveMixClearChannel(s, 0, CLEAR_NOREMIX);
    Play(3, Constant(3000, 0xB0));
    host_->AdvanceMs(1000);
    const Bytes& heard = Heard();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 0xB0), 2999);
    WaveMixEndSession(s);
  }
}

}  // namespace
}  // namespace mixer_test
