// The SDL backend's MIDI player, heard through SDL's disk audio driver: the
// music comes out of the wave device's output, and every failure is an
// exception the game can swallow.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/MidiPlayer.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlWaveOut.h"

namespace platform::sdl {
namespace {

const std::string kMusic = std::string(KESTO_SOURCE_DIR) + "/assets/dat/kuvol.mid";

class SdlMidiPlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    unsetenv("KESTO_SOUNDFONT");
    host_ = CreateSdlHost("/tmp/");
  }
  void TearDown() override {
    host_.reset();
    std::remove(output_.c_str());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  // Opens the wave device as the mixer would, for an 8-bit mono session.
  WaveOutHandle OpenDevice() {
    WaveOutHandle handle = 0;
    EXPECT_EQ(host_->WaveOutDevice().Open(&handle, 0, PcmWaveFormat{1, 1, 11025, 11025, 1, 8}, 0), 0u);
    return handle;
  }

  // The loudest 16-bit sample that the disk driver has written.
  int Peak() const {
    std::ifstream file(output_, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    int peak = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const int s = std::int16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8);
      peak = std::max(peak, std::abs(s));
    }
    return peak;
  }

  // One file per test: ctest may run the tests side by side.
  std::string output_ = testing::TempDir() + "/kesto-" +
                        testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw";
  std::unique_ptr<Host> host_;
};

TEST_F(SdlMidiPlayerTest, MusicSoundsInTheWaveDevicesOutput) {
  // Made before the device opens, as the window's components are.
  std::unique_ptr<MidiPlayer> player = host_->CreateMidiPlayer();
  const WaveOutHandle handle = OpenDevice();
  EXPECT_EQ(dynamic_cast<SdlWaveOut&>(host_->WaveOutDevice()).MixRate(), 44100);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(Peak(), 0) << "silence before the music starts";
  player->SetFileName(kMusic);
  player->Open();
  player->Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_GT(Peak(), 1000);
  player->Close();
  EXPECT_EQ(host_->WaveOutDevice().Close(handle), 0u);
}

TEST_F(SdlMidiPlayerTest, FailuresRaise) {
  const std::string notMidi = testing::TempDir() + "/kesto-not.mid";
  std::ofstream(notMidi) << "RIFF and more";
  struct Case {
    const char* name;
    std::string file;
    const char* soundfont;
  } cases[] = {
      {"missing file", "/nonexistent/kuvol.mid", nullptr},
      {"not a MIDI file", notMidi, nullptr},
      {"no soundfont", kMusic, "/nonexistent/font.sf2"},
  };
  for (const Case& c : cases) {
    if (c.soundfont) setenv("KESTO_SOUNDFONT", c.soundfont, 1);
    std::unique_ptr<MidiPlayer> player = host_->CreateMidiPlayer();
    const WaveOutHandle handle = OpenDevice();
    player->SetFileName(c.file);
    EXPECT_THROW(player->Open(), std::runtime_error) << c.name;
    EXPECT_THROW(player->Play(), std::runtime_error) << c.name;
    player->Close();
    EXPECT_EQ(host_->WaveOutDevice().Close(handle), 0u);
    unsetenv("KESTO_SOUNDFONT");
  }
  std::remove(notMidi.c_str());
}

}  // namespace
}  // namespace platform::sdl
