#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/headless/HeadlessHost.h"
#include "platform/sdl/SdlWaveOut.h"

namespace {

using namespace platform;

std::vector<std::intptr_t> finished;

void RecordDone(WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t lParam) {
  if (message == mm::kWomDone) finished.push_back(lParam);
}

class SdlWaveOutTest : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("SDL_AUDIODRIVER"); }
  headless::HeadlessHost host_{"/tmp"};
};

TEST_F(SdlWaveOutTest, DummyDriverPlaysBlocksAndReportsEachOnTheLoopsThread) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  sdl::SdlWaveOut device(host_);
  ASSERT_GE(device.GetNumDevs(), 1u);
  WaveOutCaps caps{};
  ASSERT_EQ(device.GetDevCaps(0, &caps), mm::kNoError);
  EXPECT_EQ(caps.channels, 2);

  host_.RegisterWindowClass("SdlProbe", RecordDone, nullptr);
  const WindowHandle window = host_.CreateHiddenWindow("SdlProbe");
  WaveOutHandle handle = 0;
  const PcmWaveFormat format{1, 1, 11025, 11025, 1, 8};
  ASSERT_EQ(device.Open(&handle, 0, format, window), mm::kNoError);
  EXPECT_GT(device.MixRate(), 0);
  std::vector<std::uint8_t> bytes[2] = {std::vector<std::uint8_t>(1102, 0xA0), std::vector<std::uint8_t>(551, 0x60)};
  WaveHeader headers[2];
  finished.clear();
  for (int i = 0; i < 2; ++i) {
    headers[i].data = bytes[i].data();
    headers[i].bufferLength = std::uint32_t(bytes[i].size());
    ASSERT_EQ(device.PrepareHeader(handle, &headers[i]), mm::kNoError);
    ASSERT_EQ(device.Write(handle, &headers[i]), mm::kNoError);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (finished.size() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    host_.DispatchPosted();
  }
  ASSERT_EQ(finished.size(), 2u);
  EXPECT_EQ(finished[0], reinterpret_cast<std::intptr_t>(&headers[0]));
  EXPECT_TRUE(headers[1].flags & mm::kHeaderDone);
  std::uint32_t position = 0;
  device.GetPositionBytes(handle, &position);
  EXPECT_GE(position, 1500u);
  EXPECT_LE(position, 1653u);
  EXPECT_EQ(device.Reset(handle), mm::kNoError);
  device.GetPositionBytes(handle, &position);
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(device.UnprepareHeader(handle, &headers[0]), mm::kNoError);
  EXPECT_EQ(device.Close(handle), mm::kNoError);
}

TEST_F(SdlWaveOutTest, NoAudioDriverMeansNoDevicesAndAFailedOpen) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  sdl::SdlWaveOut device(host_);
  EXPECT_EQ(device.GetNumDevs(), 0u);
  WaveOutHandle handle = 0;
  EXPECT_NE(device.Open(&handle, 0, PcmWaveFormat{1, 1, 11025, 11025, 1, 8}, 0), mm::kNoError);
  EXPECT_NE(device.Open(&handle, mm::kWaveMapper, PcmWaveFormat{1, 1, 11025, 11025, 1, 8}, 0), mm::kNoError);
}

}  // namespace
