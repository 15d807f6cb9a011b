#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"

namespace {

using namespace platform;
using platform::headless::HeadlessHost;
using platform::headless::VirtualWaveOut;

std::vector<std::pair<std::uint64_t, std::intptr_t>> done;
HeadlessHost* theHost = nullptr;

void RecordDone(WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t lParam) {
  if (message == mm::kWomDone) done.emplace_back(theHost->NowMicros(), lParam);
}

class VirtualWaveOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    done.clear();
    theHost = &host_;
    host_.RegisterWindowClass("Probe", RecordDone, nullptr);
    window_ = host_.CreateHiddenWindow("Probe");
    ASSERT_EQ(device_.Open(&handle_, 0, format_, window_), mm::kNoError);
    for (int i = 0; i < 2; ++i) {
      blocks_[i].assign(1102, std::uint8_t(i + 1));
      headers_[i].data = blocks_[i].data();
      headers_[i].bufferLength = 1102;
      ASSERT_EQ(device_.PrepareHeader(handle_, &headers_[i]), mm::kNoError);
    }
  }

  std::uint32_t Position() {
    std::uint32_t bytes = 0;
    device_.GetPositionBytes(handle_, &bytes);
    return bytes;
  }

  HeadlessHost host_{"/tmp"};
  VirtualWaveOut device_{host_};
  PcmWaveFormat format_{1, 1, 11025, 11025, 1, 8};
  WindowHandle window_ = 0;
  WaveOutHandle handle_ = 0;
  std::vector<std::uint8_t> blocks_[2];
  WaveHeader headers_[2];
};

TEST_F(VirtualWaveOutTest, PlaysBlocksInOrderAndReportsEachWhenItsLastBytePlays) {
  device_.Write(handle_, &headers_[0]);
  device_.Write(handle_, &headers_[1]);
  host_.AdvanceMs(50);
  EXPECT_EQ(Position(), 551u);
  EXPECT_TRUE(done.empty());
  host_.AdvanceMs(500);
  // 1102 bytes at 11025 bytes a second end at 99955.something microseconds.
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0], std::make_pair(std::uint64_t{99955}, reinterpret_cast<std::intptr_t>(&headers_[0])));
  EXPECT_EQ(done[1].first, 199910u);
  EXPECT_TRUE(headers_[0].flags & mm::kHeaderDone);
  EXPECT_EQ(Position(), 2204u);  // never more than was written
  std::vector<std::uint8_t> expected(1102, 1);
  expected.insert(expected.end(), 1102, 2);
  EXPECT_EQ(device_.Recording(), expected);
}

TEST_F(VirtualWaveOutTest, PausedTimeDoesNotCountAndResetReportsEveryQueuedBlock) {
  device_.Pause(handle_);
  device_.Write(handle_, &headers_[0]);
  device_.Write(handle_, &headers_[1]);
  host_.AdvanceMs(300);
  EXPECT_EQ(Position(), 0u);
  device_.Restart(handle_);
  host_.AdvanceMs(20);
  EXPECT_EQ(Position(), 220u);
  EXPECT_EQ(device_.Close(handle_), mm::kStillPlaying);
  device_.Reset(handle_);
  host_.DispatchPosted();
  EXPECT_EQ(done.size(), 2u);
  EXPECT_EQ(Position(), 0u);
  EXPECT_EQ(device_.Recording(), std::vector<std::uint8_t>(220, 1));  // what was heard of the cut block
  EXPECT_EQ(device_.Close(handle_), mm::kNoError);
}

TEST_F(VirtualWaveOutTest, StarvedDeviceStartsAgainWhenWrittenAndCanRecordTheGapAsSilence) {
  device_.SetRecordGaps(true);
  host_.AdvanceMs(10);
  device_.Write(handle_, &headers_[0]);
  host_.AdvanceMs(100);
  host_.AdvanceMs(100);
  device_.Write(handle_, &headers_[1]);
  host_.AdvanceMs(200);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[1].first, 210000u + 99955u);
  const auto& r = device_.Recording();
  // 10 ms of silence, the first block, silence up to the byte of 210 ms
  // (2315.25), the second block.
  ASSERT_EQ(r.size(), 2315u + 1102u);
  EXPECT_EQ(r[0], 0x80);
  EXPECT_EQ(r[110], 1);
  EXPECT_EQ(r[110 + 1102], 0x80);
  EXPECT_EQ(r[2314], 0x80);
  EXPECT_EQ(r[2315], 2);
  EXPECT_EQ(r.back(), 2);
  // Fed from idle as the mixer does it, paused around the write: the gap
  // still reaches the byte of 410 ms (4520.25).
  device_.Pause(handle_);
  device_.Write(handle_, &headers_[0]);
  device_.Restart(handle_);
  host_.AdvanceMs(200);
  ASSERT_EQ(r.size(), 4520u + 1102u);
  EXPECT_EQ(r[4519], 0x80);
  EXPECT_EQ(r[4520], 1);
}

TEST_F(VirtualWaveOutTest, InjectedFaultsAndDeviceRules) {
  WaveOutHandle second = 0;
  EXPECT_EQ(device_.Open(&second, 0, format_, 0), mm::kAllocated);
  EXPECT_EQ(device_.Open(&second, 1, format_, 0), mm::kBadDeviceId);
  EXPECT_EQ(device_.QueryFormat(0, PcmWaveFormat{1, 3, 11025, 33075, 3, 8}), mm::kBadFormat);
  device_.Faults().failWriteNumber = 2;
  EXPECT_EQ(device_.Write(handle_, &headers_[0]), mm::kNoError);
  EXPECT_EQ(device_.Write(handle_, &headers_[1]), mm::kError);
  EXPECT_EQ(device_.UnprepareHeader(handle_, &headers_[0]), mm::kStillPlaying);
  EXPECT_EQ(device_.QueuedBlocks(), 1u);
}

}  // namespace
