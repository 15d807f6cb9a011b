#include "tests/mixer/MixerFixture.h"

#include <algorithm>

namespace mixer_test {
namespace {

using namespace mixer;

class SessionTest : public MixerTest {
 protected:
  void TwoDevices() {
    VirtualWaveOutConfig config;
    config.devices = {{"Card One", 2, 0, false}, {"Card Two", 1, 0, false}};
    config.mapper = {"Mapper", 2, 0, false};
    UseDevices(config);
  }
};

TEST_F(SessionTest, NoIniGivesTheBuiltInDefaults) {
  MixSession* s = WaveMixInit();
  ASSERT_EQ(s, currentSession);
  EXPECT_EQ(s->signature, 0x5432);
  EXPECT_EQ(s->signatureTail, 0x5432);
  EXPECT_EQ(s->deviceId, 0);
  EXPECT_STREQ(s->deviceName, "Virtual Wave Out");
  EXPECT_EQ(s->format.formatTag, 1);
  EXPECT_EQ(s->format.channels, 1);
  EXPECT_EQ(s->format.samplesPerSec, 11025u);
  EXPECT_EQ(s->format.avgBytesPerSec, 11025u);
  EXPECT_EQ(s->format.blockAlign, 1);
  EXPECT_EQ(s->format.bitsPerSample, 8);
  EXPECT_EQ(s->blockCount, 3);
  EXPECT_EQ(s->blockLength, 2048);
  EXPECT_EQ(s->goodWavePos, 0);
  EXPECT_EQ(s->remixRoutine, &RemixBlocks);
  EXPECT_EQ(s->openChannelCount, 0);
  for (MixPlayRequest* entry : s->channel) EXPECT_EQ(entry, ClosedChannel());
  EXPECT_FALSE(s->active);
  EXPECT_EQ(FreeRequestCount(), 100);
}

struct IniCase {
  const char* ini;
  int deviceId;
  const char* deviceName;
  int blockCount;
  int blockLength;
  unsigned rate;
  int goodWavePos;
  bool defer;
};

TEST_F(SessionTest, IniSettingsAreClampedAndChosenPerDevice) {
  const IniCase cases[] = {
      {"[general]\nWaveOutDevice=5\n", -1, "Mapper", 3, 2048, 11025, 0, false},
      {"[general]\nWaveOutDevice=-1\n", -1, "Mapper", 3, 2048, 11025, 0, false},
      {"[general]\nWaveOutDevice=1\n[Card Two]\nWaveBlocks=9\n", 1, "Card Two", 6, 2048, 11025, 0, false},
      {"[default]\nWaveBlocks=1\n", 0, "Card One", 2, 2048, 11025, 0, false},
      {"[Card One]\nWaveBlockLen=100\n", 0, "Card One", 3, 512, 11025, 0, false},
      {"[Card One]\nWaveBlockLen=5000\n", 0, "Card One", 3, 4096, 11025, 0, false},
      {"[Card One]\nWaveBlockLen=1030\n", 0, "Card One", 3, 1030, 11025, 0, false},
      {"[default]\nWaveBlockLen=1030\n", 0, "Card One", 3, 1028, 11025, 0, false},
      {"[default]\nWaveBlockLen=1030\n[Card One]\nWaveBlockLen=600\n", 0, "Card One", 3, 600, 11025, 0, false},
      {"[Card One]\nSamplesPerSec=22\n", 0, "Card One", 3, 4096, 22050, 0, false},
      {"[default]\nSamplesPerSec=44\n", 0, "Card One", 3, 4096, 44100, 0, false},
      {"[Card One]\nSamplesPerSec=16\n", 0, "Card One", 3, 2048, 11025, 0, false},
      {"[Card One]\nGoodWavePos=257\n", 0, "Card One", 3, 2048, 11025, 1, false},
      {"[default]\nGoodWavePos=2\n", 0, "Card One", 3, 2048, 11025, 2, false},
      {"[default]\nRemix=2\n", 0, "Card One", 3, 2048, 11025, 0, true},
      {"[default]\nRemix=2\n[Card One]\nRemix=1\n", 0, "Card One", 3, 2048, 11025, 0, false},
  };
  for (const IniCase& c : cases) {
    SCOPED_TRACE(c.ini);
    TwoDevices();
    WriteIni(c.ini);
    MixSession* s = WaveMixInit();
    EXPECT_EQ(s->deviceId, c.deviceId);
    EXPECT_STREQ(s->deviceName, c.deviceName);
    EXPECT_EQ(s->blockCount, c.blockCount);
    EXPECT_EQ(s->blockLength, c.blockLength);
    EXPECT_EQ(s->format.samplesPerSec, c.rate);
    EXPECT_EQ(s->format.avgBytesPerSec, c.rate);
    EXPECT_EQ(s->goodWavePos, c.goodWavePos);
    EXPECT_EQ(s->remixRoutine, c.defer ? &DeferToMixPosition : &RemixBlocks);
    WaveMixEndSession(s);
  }
}

TEST_F(SessionTest, WavemixIniVariableNamesTheFile) {
  const std::string path = WriteFile("elsewhere.ini", Bytes{});
  std::ofstream(path) << "[default]\nWaveBlocks=5\n";
  WriteIni("[default]\nWaveBlocks=4\n");
  setenv("WAVEMIX_INI", path.c_str(), 1);
  MixSession* s = WaveMixInit();
  unsetenv("WAVEMIX_INI");
  EXPECT_EQ(s->blockCount, 5);
}

struct ConfigCase {
  MixConfig config;
  std::uint16_t deviceChannels;
  std::uint16_t channels;
  std::uint32_t rate;
};

TEST_F(SessionTest, ConfigRecordAsksForStereoAndRate) {
  const ConfigCase cases[] = {
      {{10, CONFIG_CHANNELS, 2, 0}, 2, 2, 11025},
      {{10, CONFIG_CHANNELS, 2, 0}, 1, 1, 11025},  // a mono device stays mono, no error
      {{10, 0, 2, 44}, 2, 1, 11025},  // flags say which fields count
      {{10, CONFIG_SAMPLINGRATE, 1, 22}, 2, 1, 22050},
      {{10, CONFIG_SAMPLINGRATE | CONFIG_CHANNELS, 2, 44}, 2, 2, 44100},
      {{10, CONFIG_SAMPLINGRATE, 1, 48}, 2, 1, 11025},
      {{12, CONFIG_SAMPLINGRATE | CONFIG_CHANNELS, 2, 44}, 2, 1, 11025},  // wrong size: ignored entirely
  };
  for (const ConfigCase& c : cases) {
    VirtualWaveOutConfig devices;
    devices.devices[0].channels = c.deviceChannels;
    UseDevices(devices);
    MixSession* s = WaveMixInitWithConfig(&c.config);
    EXPECT_EQ(s->format.channels, c.channels);
    EXPECT_EQ(s->format.blockAlign, c.channels);
    EXPECT_EQ(s->format.samplesPerSec, c.rate);
    EXPECT_EQ(s->format.avgBytesPerSec, c.rate * c.channels);
    WaveMixEndSession(s);
  }
  EXPECT_EQ(WaveMixInitWithConfig(nullptr)->format.channels, 1);
}

TEST_F(SessionTest, UnsuitableDevicesAreRefusedAndLeaveNoSession) {
  VirtualWaveOutConfig config;
  config.devices = {{"Blocking Card With A Very Long Product Name", 2, platform::mm::kCapsSync, false}};
  UseDevices(config);
  EXPECT_EQ(ErrorOf([] { WaveMixInit(); }),
            "Blocking Card With A Very Long  is a syncronous (blocking) wave output device.  This will not permit "
            "audio to play while other applications are running");
  EXPECT_EQ(currentSession, nullptr);

  config.devices = {{"Old Card", 2, 0, false}};
  UseDevices(config);
  WriteIni("[not compatible]\nold card=1\n");
  EXPECT_EQ(ErrorOf([] { WaveMixInit(); }), "Old Card is not compatible with the realtime wavemixer");
  EXPECT_EQ(currentSession, nullptr);

  UseDevices(VirtualWaveOutConfig{{}, {}});
  EXPECT_EQ(ErrorOf([] { WaveMixInit(); }), "No wave output devices available");
  EXPECT_EQ(currentSession, nullptr);
}

TEST_F(SessionTest, FailedCapsQueryGivesUnknownDeviceMono) {
  VirtualWaveOutConfig config;
  config.devices = {{"Hidden", 2, 0, true}};
  UseDevices(config);
  WriteIni("[Unknown Device]\nWaveBlocks=4\n");
  const MixConfig stereo{10, CONFIG_CHANNELS, 2, 0};
  MixSession* s = WaveMixInitWithConfig(&stereo);
  EXPECT_STREQ(s->deviceName, "Unknown Device");
  EXPECT_EQ(s->format.channels, 1);
  EXPECT_EQ(s->blockCount, 4);
}

TEST_F(SessionTest, OneSessionAtATimeAndStaleHandlesAreRefused) {
  MixSession* s = WaveMixInit();
  WaveMixOpenChannels(s, 2, CHANNELS_ONE);
  EXPECT_EQ(ErrorOf([] { WaveMixInit(); }), "Session already initialized");
  EXPECT_EQ(currentSession, s);
  EXPECT_EQ(s->openChannelCount, 1);
  EXPECT_EQ(s->channel[2], nullptr);

  WaveMixEndSession(s);
  EXPECT_EQ(currentSession, nullptr);
  EXPECT_EQ(ErrorOf([&] { WaveMixEndSession(s); }), "Invalid Session handle");
  EXPECT_EQ(ErrorOf([] { WaveMixEndSession(nullptr); }), "Invalid Session handle");
  MixSession* fresh = WaveMixInit();
  EXPECT_EQ(fresh->openChannelCount, 0);
  EXPECT_EQ(fresh->channel[2], ClosedChannel());
}

TEST_F(SessionTest, WithoutAHostTheCallsThatNeedOneAreMixerErrors) {
  const std::string noHost = "The mixer has no host: call WaveMixSetHost before using it";
  WaveMixSetHost(nullptr);
  EXPECT_EQ(ErrorOf([] { WaveMixInit(); }), noHost);
  EXPECT_EQ(currentSession, nullptr);

  WaveMixSetHost(host_.get());
  MixSession* s = WaveMixInit();
  const Bytes image = Wav({}, Bytes(600, 0x90));
  WaveMixSetHost(nullptr);
  EXPECT_EQ(ErrorOf([&] { LoadMemory(image); }), noHost);
  EXPECT_EQ(ErrorOf([&] { WaveMixActivate(s, 1); }), noHost);
  EXPECT_EQ(deviceOwner, nullptr);
  EXPECT_EQ(s->active, 0);

  // Nothing was left half done: with the host back the session carries on.
  WaveMixSetHost(host_.get());
  WaveMixActivate(s, 1);
  WaveMixOpenChannels(s, 0, CHANNELS_ONE);
  Play(0, Wave(Bytes(600, 0x90)));
  host_->AdvanceMs(200);
  EXPECT_NE(std::find(Heard().begin(), Heard().end(), 0x90), Heard().end());
}

}  // namespace
}  // namespace mixer_test
