#include "mixer/WaveMixComponent.h"
#include "tests/mixer/MixerFixture.h"

namespace mixer_test {
namespace {

using namespace mixer;

class ComponentTest : public MixerTest {};

std::uint8_t OpenMask(const MixSession* s) {
  std::uint8_t mask = 0;
  for (int i = 0; i < 8; ++i)
    if (s->channel[i] != ClosedChannel()) mask |= std::uint8_t(1 << i);
  return mask;
}

TEST_F(ComponentTest, ChannelsMaskOpensAndShutsTheChangedChannels) {
  TWaveMix mix(nullptr);
  mix.SetActivated(true);
  mix.SetChannels(3);
  MixSession* s = mix.Session();
  MixWave* w = Constant(5000, 0x90);
  mix.Play(1, w, nullptr, 0, 0);
  const int sequence = s->playSequence;

  struct Step {
    std::uint8_t value;
    std::uint8_t open;
    int queuedOn1;
  };
  const Step steps[] = {
      {3, 0x03, 1},  // unchanged: nothing happens, the queue stays
      {1, 0x01, -1},  // channel 1 alone is shut, its queue dropped
      {255, 0xFF, 0},  // channels 1..7 open, 0 stays as it was
      {0, 0x00, -1},
  };
  for (const Step& step : steps) {
    mix.SetChannels(step.value);
    EXPECT_EQ(mix.Channels(), step.value);
    EXPECT_EQ(OpenMask(s), step.open) << int(step.value);
    EXPECT_EQ(s->openChannelCount, __builtin_popcount(step.open));
    if (step.queuedOn1 == 1) {
      EXPECT_EQ(Queue(1), std::vector<MixWave*>{w});
    }
    if (step.queuedOn1 == 0) {
      EXPECT_EQ(s->channel[1], nullptr);
    }
  }
  EXPECT_EQ(s->playSequence, sequence);
  EXPECT_EQ(FreeRequestCount(), 100);
}

TEST_F(ComponentTest, ActivatedCallsTheMixerOnlyOnAChange) {
  TWaveMix mix(nullptr);
  EXPECT_FALSE(mix.Activated());
  mix.SetActivated(false);
  EXPECT_EQ(device_->Calls(), 2u);  // the session's device count and caps, nothing more
  mix.SetActivated(true);
  EXPECT_TRUE(device_->IsOpen());
  const std::uint32_t calls = device_->Calls();
  mix.SetActivated(true);
  EXPECT_EQ(device_->Calls(), calls);

  device_->Faults().openResult = platform::mm::kNoDriver;
  mix.SetActivated(false);
  EXPECT_EQ(ErrorOf([&] { mix.SetActivated(true); }), "Failed to open waveform output device #6");
  EXPECT_FALSE(mix.Activated());
}

TEST_F(ComponentTest, DestructionShutsReleasesAndEnds) {
  {
    TWaveMix mix(nullptr);
    mix.SetActivated(true);
    mix.SetChannels(3);
    mix.Play(0, Constant(3000, 0x90), nullptr, 0, 0);
  }
  EXPECT_EQ(currentSession, nullptr);
  EXPECT_EQ(deviceOwner, nullptr);
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_EQ(FreeRequestCount(), 100);
  TWaveMix again(nullptr);  // a new session can follow
  EXPECT_NE(again.Session(), nullptr);
}

TEST_F(ComponentTest, ConstructionFailsWithTheSessionsError) {
  UseDevices(VirtualWaveOutConfig{{}, {}});
  EXPECT_EQ(ErrorOf([] { TWaveMix mix(nullptr); }), "No wave output devices available");
  EXPECT_EQ(currentSession, nullptr);
  EXPECT_EQ(device_->Calls(), 1u);  // only the count: no device or channel operation
}

struct Listener : TWinControl {
  HeadlessHost& host;
  platform::WindowHandle window = 0;
  explicit Listener(HeadlessHost& h) : host(h) {}
  platform::WindowHandle Handle() override {
    if (!window) {
      host.RegisterWindowClass("ListenerControl", [](platform::WindowHandle, std::uint32_t, std::uintptr_t wParam,
                                                     std::intptr_t) { ended.push_back(int(wParam)); },
                               nullptr);
      window = host.CreateHiddenWindow("ListenerControl");
    }
    return window;
  }
  static inline std::vector<int> ended;
};

TEST_F(ComponentTest, PlayLoadsFilesAndNamesTheControlToNotify) {
  TWaveMix mix(nullptr);
  mix.SetActivated(true);
  mix.SetChannels(3);
  const std::string path = WriteFile("tick.wav", Wav({}, Bytes(500, 0xA0)));
  MixWave* wave = mix.LoadWave(path.c_str());
  Listener listener(*host_);
  Listener::ended.clear();
  mix.Play(1, wave, &listener, 0, 0);
  mix.Play(0, wave, nullptr, 0, 0);
  host_->AdvanceMs(1000);
  EXPECT_EQ(Listener::ended, std::vector<int>{1});
  EXPECT_EQ(ErrorOf([&] { mix.Play(2, wave, nullptr, 0, 0); }), "The specified channel was not open");
  mix.FreeWave(wave);
  EXPECT_EQ(ErrorOf([&] { mix.LoadWave("/no/such.wav"); }), "Failed to open wave file /no/such.wav");
}

}  // namespace
}  // namespace mixer_test
