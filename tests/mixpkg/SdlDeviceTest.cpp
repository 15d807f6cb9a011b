// The SDL device of the mixer's package, on SDL's dummy driver: the calls
// without a device, and the end of a play delivered through SDL's event
// queue to a program that runs its own SDL loop.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include <kesto-mixer/WaveMixSdl.h>
#include "tests/mixer/WavBuilder.h"

namespace {

struct Ended {
  int channel;
  mixer::MixWave* wave;
};
std::vector<Ended> ended;
void OnEnd(int channel, mixer::MixWave* wave) { ended.push_back({channel, wave}); }

class SdlDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("WAVEMIX_INI", "/nonexistent/WAVEMIX.INI", 1);
    ended.clear();
  }
  void TearDown() override {
    mixer::WaveMixCloseSdlDevice();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("WAVEMIX_INI");
  }
};

TEST_F(SdlDevice, WithoutADeviceTheCallsDoNothingAndASecondOpenIsRefused) {
  EXPECT_EQ(mixer::WaveMixPump(0), 0);
  EXPECT_EQ(mixer::WaveMixSdlEventType(), 0u);
  EXPECT_EQ(mixer::WaveMixSdlNotifyWindow(OnEnd), 0u);
  mixer::WaveMixCloseSdlDevice();

  mixer::WaveMixOpenSdlDevice();
  try {
    mixer::WaveMixOpenSdlDevice();
    FAIL() << "opened twice";
  } catch (const mixer::EWaveMixError& e) {
    EXPECT_STREQ(e.what(), "The SDL device is already open");
  }
  // Closing ends the session left open, so a new one can begin.
  mixer::WaveMixInit();
  mixer::WaveMixCloseSdlDevice();
  mixer::WaveMixOpenSdlDevice();
  EXPECT_NE(mixer::WaveMixInit(), nullptr);
}

TEST_F(SdlDevice, ThePlaysEndReachesAnSdlEventLoop) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
  mixer::WaveMixOpenSdlDevice();
  const std::uint32_t mixerEvent = mixer::WaveMixSdlEventType();
  ASSERT_NE(mixerEvent, 0u);
  EXPECT_EQ(mixer::WaveMixSdlEventType(), mixerEvent);

  mixer::MixSession* session = mixer::WaveMixInit();
  const mixer_test::Bytes image = mixer_test::Wav({}, mixer_test::Bytes(3000, 0xA0));
  mixer::MMIOINFO memory = mixer::MemoryImage(image.data(), image.size());
  mixer::MixWave* wave = mixer::WaveMixLoadWave(session, &memory, nullptr, mixer::LOAD_MEMORY);
  mixer::WaveMixOpenChannels(session, 0, mixer::CHANNELS_ALL);
  mixer::WaveMixActivate(session, 1);
  mixer::MixPlayParams play{24, session, 5, wave, mixer::WaveMixSdlNotifyWindow(OnEnd), 0, 0};
  mixer::WaveMixPlay(&play);

  // The loop pumps only when SDL hands it the mixer's event.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int mixerEvents = 0;
  while (ended.empty() && std::chrono::steady_clock::now() < deadline) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, 50) && event.type == mixerEvent) {
      ++mixerEvents;
      mixer::WaveMixPump();
    }
  }
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(ended[0].channel, 5);
  EXPECT_EQ(ended[0].wave, wave);
  EXPECT_GT(mixerEvents, 0);
  EXPECT_FALSE(mixer::WaveMixWaveInUse(session, wave));
  mixer::WaveMixReleaseWave(session, wave);
  mixer::WaveMixEndSession(session);
  mixer::WaveMixCloseSdlDevice();
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

}  // namespace
