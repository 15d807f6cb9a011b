// The game's sound from the entry's side: `--audio-out`, the runner's
// recording of the virtual wave device, checked against the mixer's rules.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/HeadlessRunner.h"
#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/VirtualWaveOut.h"
#include "tests/game/Bmp.h"
#include "tests/game/SoundTimeline.h"
#include "tests/support/TempFolder.h"
#include "tests/mixer/WavBuilder.h"

namespace app {
namespace {

using testing_support::Bytes;
using testing_support::TempFolder;

const std::string kShipped = std::string(KESTO_SOURCE_DIR) + "/assets/dat/";

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The waves as the mixer converts them, and its block settings, from a
// session configured as the runner's is.
struct Converted {
  Bytes one, start;
  std::size_t blockLength, blockCount;
};
Converted Convert(const std::string& onePath, const std::string& startPath) {
  platform::headless::HeadlessHost host("/nonexistent/");
  mixer::WaveMixSetHost(&host);
  mixer::MixSession* session = mixer::WaveMixInit();
  Converted c{};
  for (auto [path, out] : {std::pair{&onePath, &c.one}, std::pair{&startPath, &c.start}}) {
    mixer::MixWave* wave = mixer::WaveMixLoadWave(session, path->c_str(), nullptr, mixer::LOAD_FILE);
    out->assign(wave->data, wave->data + wave->length);
    mixer::WaveMixReleaseWave(session, wave);
  }
  c.blockLength = std::size_t(session->blockLength);
  c.blockCount = std::size_t(session->blockCount);
  mixer::WaveMixEndSession(session);
  mixer::WaveMixSetHost(nullptr);
  return c;
}

// start.wav follows 1.wav without overlap: where 1.wav ends (its end is
// start + length - 1), or, when 1.wav was shorter than what its own cue
// mixed ahead, right after those blocks.
TEST(AudioOutTest, StartClickPlaysOneWaveAfterTheOther) {
  struct Case {
    const char* name;
    Bytes oneFixture;  // empty: the shipped 1.wav
  } cases[] = {
      {"shipped 1.wav, shorter than a block", {}},
      {"1.wav longer than the blocks mixed ahead", testing_support::Saw(12000, 7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    folder.Write("dat/my.dat", "\r\n3\r\n1\r\n0\r\n0\r\n");
    folder.Write("cg/start.bmp", testing_support::SolidBmp(400, 300, {9, 9, 9}));
    folder.Write("dat/start.wav", ReadFile(kShipped + "start.wav"));
    if (c.oneFixture.empty()) {
      folder.Write("dat/1.wav", ReadFile(kShipped + "1.wav"));
    } else {
      const Bytes file = mixer_test::Wav(mixer_test::Fmt{}, c.oneFixture);
      folder.Write("dat/1.wav", std::string(file.begin(), file.end()));
    }
    const Converted w = Convert(folder / "dat/1.wav", folder / "dat/start.wav");

    std::istringstream script("tick 5\nclick 200 150\ntick 150\n");
    std::ostringstream out, err;
    ASSERT_EQ(RunHeadless({"--folder", folder.Path(), "--seed", "1", "--audio-out", folder / "out.wav"}, script, out,
                          err),
              0)
        << err.str();
    const std::string wav = ReadFile(folder / "out.wav");
    ASSERT_GT(wav.size(), 44u);
    const Bytes header = mixer_test::Wav(mixer_test::Fmt{}, Bytes(wav.size() - 44));
    EXPECT_EQ(wav.substr(0, 44), std::string(header.begin(), header.begin() + 44)) << "11025 Hz 8-bit mono";
    const Bytes heard(wav.begin() + 44, wav.end());

    const std::size_t ahead =
        std::min(w.blockCount, (w.one.size() - 1 + w.blockLength - 1) / w.blockLength) * w.blockLength;
    const std::size_t startAt = std::max(w.one.size() - 1, ahead);
    EXPECT_EQ(startAt, c.oneFixture.empty() ? w.blockLength : w.one.size() - 1);
    // The click came at 100 ms of virtual time; the recording runs to the
    // end of the block in which start.wav ends.
    const std::size_t at = 100 * 11025 / 1000;
    const std::size_t end = (startAt + w.start.size() - 1 + w.blockLength - 1) / w.blockLength * w.blockLength;
    ASSERT_GE(heard.size(), at + end);
    const Bytes got(heard.begin() + std::ptrdiff_t(at), heard.begin() + std::ptrdiff_t(at + end));
    const Bytes want = testing_support::MixedTimeline({{w.one, 0}, {w.start, startAt}}, end);
    EXPECT_EQ(got, want) << testing_support::FirstDifference(got, want);
    EXPECT_EQ(Bytes(heard.begin(), heard.begin() + std::ptrdiff_t(at)), Bytes(at, 0x80));
  }
}

}  // namespace
}  // namespace app
