// The wavemix tool, run as a program on files made here.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/mixer/WavBuilder.h"

namespace {

namespace fs = std::filesystem;
using mixer_test::Bytes;
using mixer_test::Fmt;
using mixer_test::Wav;

struct Result {
  int status;
  std::string out;
  std::string err;
};

class WavemixTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kesto_wavemix_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Put(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }
  std::string Put(const std::string& name, const Bytes& bytes) { return Put(name, std::string(bytes.begin(), bytes.end())); }
  Bytes Get(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  // Runs wavemix with WAVEMIX.INI from this test's folder.
  Result Run(const std::string& args, const std::string& env = "") {
    const std::string out = (dir_ / "stdout").string(), err = (dir_ / "stderr").string();
    const std::string command = "cd '" + dir_.string() + "' && WAVEMIX_INI='" + (dir_ / "WAVEMIX.INI").string() + "' " + env +
                                " '" WAVEMIX_PATH "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    const Bytes o = Get("stdout"), e = Get("stderr");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(o.begin(), o.end()), std::string(e.begin(), e.end())};
  }

  fs::path dir_;
};

TEST_F(WavemixTool, ConvertWritesTheMixersBytes) {
  Put("in.wav", Wav({1, 2, 11025, 16}, mixer_test::Samples16({0x7FFF, -0x8000, 0x1234, 0x1000, -1, -1})));
  Result r = Run("convert in.wav out.raw");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Get("out.raw"), (Bytes{127, 0x91, 127}));  // (255+0)/2, (0x92+0x90)/2, (127+127)/2
  r = Run("convert --rate 22 --stereo in.wav out.raw");
  ASSERT_EQ(r.status, 0) << r.err;
  // Stereo kept, each frame followed by one interpolated toward the next.
  EXPECT_EQ(Get("out.raw"), (Bytes{255, 0, 201, 72, 0x92, 0x90, 137, 136, 127, 127, 127, 127}));

  Put("bad.wav", Wav({2, 1, 11025, 8}, {1}));
  r = Run("convert bad.wav out.raw");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "wavemix: bad.wav: The file is not a PCM file\n");
}

TEST_F(WavemixTool, SessionPrintsTheSettingsReadFromTheIni) {
  Put("WAVEMIX.INI", "[default]\nRemix=2\nWaveBlocks=9\n[Virtual Wave Out]\nSamplesPerSec=22\nGoodWavePos=1\n");
  const Result r = Run("session --stereo");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "deviceId=0\ndeviceName=Virtual Wave Out\nchannels=2\nsamplesPerSec=22050\navgBytesPerSec=44100\n"
            "blockAlign=2\nblockLength=4096\nblockCount=6\ngoodWavePos=1\nremix=DeferToMixPosition\n");

  Put("WAVEMIX.INI", "[not compatible]\nVirtual Wave Out=1\n");
  const Result refused = Run("session");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "wavemix: Virtual Wave Out is not compatible with the realtime wavemixer\n");
}

TEST_F(WavemixTool, RenderWritesWhatTheDevicePlayed) {
  Put("hum.wav", Wav({}, Bytes(100, 0x90)));
  Put("beep.wav", Wav({}, Bytes(500, 0xA0)));
  Put("mix.txt",
      "# a hum, and a beep heard at once over it\n"
      "load hum hum.wav\nload beep beep.wav\nactivate on\nopen all\n"
      "play hum 0 loops forever\nadvance 100\nplay beep 1 fromnow\nadvance 400\n");
  const Result r = Run("render mix.txt out.wav");
  ASSERT_EQ(r.status, 0) << r.err;
  const Bytes wav = Get("out.wav");
  ASSERT_GT(wav.size(), 44u + 1102 + 499);
  EXPECT_EQ(Bytes(wav.begin(), wav.begin() + 4), (Bytes{'R', 'I', 'F', 'F'}));
  const Bytes data(wav.begin() + 44, wav.end());
  for (std::size_t i = 0; i < data.size(); ++i)
    ASSERT_EQ(data[i], i >= 1102 && i < 1102 + 499 ? 0xB0 : 0x90) << i;

  Put("bad.txt", "activate on\nopen 0\nplay nothing 0\n");
  const Result bad = Run("render bad.txt out.wav");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("bad.txt:3: no wave named nothing"), std::string::npos) << bad.err;
  Put("closed.txt", "load beep beep.wav\nactivate on\nopen 0\nplay beep 3\n");
  const Result closed = Run("render closed.txt out.wav");
  EXPECT_EQ(closed.status, 1);
  EXPECT_NE(closed.err.find("closed.txt:4: The specified channel was not open"), std::string::npos) << closed.err;
}

TEST_F(WavemixTool, PlayReturnsWhenTheFilesHaveEnded) {
  Put("a.wav", Wav({}, Bytes(2000, 0xA0)));
  Put("b.wav", Wav({1, 1, 22050, 16}, Bytes(4000, 0x10)));
  const Result r = Run("play a.wav b.wav", "SDL_AUDIODRIVER=dummy");
  EXPECT_EQ(r.status, 0) << r.err;
}

// Every error says it is the tool's and names the file among several.
TEST_F(WavemixTool, ErrorsArePrefixedAndNameTheFile) {
  Put("a.wav", Wav({}, Bytes(2000, 0xA0)));
  Put("e.wav", Wav({3, 1, 11025, 8}, Bytes(100, 0x80)));
  struct Case {
    const char* args;
    int status;
    const char* err;
  } cases[] = {
      {"play --channel 3 a.wav none.wav", 1, "wavemix: none.wav: Failed to open wave file none.wav\n"},
      {"play a.wav e.wav", 1, "wavemix: e.wav: The file is not a PCM file\n"},
      {"play --channel x a.wav", 2, "wavemix: --channel takes 0..7\n(wavemix --help shows the usage)\n"},
  };
  for (const Case& c : cases) {
    const Result r = Run(c.args, "SDL_AUDIODRIVER=dummy");
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_EQ(r.err, c.err) << c.args;
  }
  Put("bad.txt", "load e e.wav\n");
  EXPECT_EQ(Run("render bad.txt out.wav").err, "wavemix: bad.txt:1: e.wav: The file is not a PCM file\n");
}

}  // namespace
