#include "platform/sdl/FluidMusic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/MediaError.h"

namespace {

using platform::sdl::FluidMusic;

// A format-0 MIDI file: a piano C4 held for half a second at 120 bpm.
std::string WriteTinyMidi() {
  const std::vector<std::uint8_t> track = {
      0x00, 0xC0, 0x00,              // program: piano
      0x00, 0x90, 60,   100,         // note on
      0x83, 0x60, 0x80, 60, 0,       // 480 ticks later: note off
      0x00, 0xFF, 0x2F, 0x00};       // end of track
  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
                                    'M', 'T', 'r', 'k', 0, 0, 0, std::uint8_t(track.size())};
  file.insert(file.end(), track.begin(), track.end());
  const std::string path = testing::TempDir() + "/tiny.mid";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  return path;
}

// The loudest sample of the next `frames` frames.
int Peak(FluidMusic& music, int frames) {
  std::vector<std::int16_t> out(std::size_t(frames) * 2, 0);
  music.MixInto(out.data(), frames);
  int peak = 0;
  for (std::int16_t s : out) peak = std::max(peak, std::abs(int(s)));
  return peak;
}

TEST(FluidMusic, PlaysAFileAndStopsWithoutHangingNotes) {
  FluidMusic music(44100);
  EXPECT_EQ(Peak(music, 4410), 0);
  music.Open(WriteTinyMidi());
  music.Play();
  EXPECT_GT(Peak(music, 4410), 1000);
  music.Close();
  Peak(music, 44100);  // the reverb's tail after all sounds are off
  EXPECT_LE(Peak(music, 4410), 4);
}

TEST(FluidMusic, OpenRefusesMissingAndNonMidiFilesAndStopsTheOldMusic) {
  FluidMusic music(44100);
  music.Open(WriteTinyMidi());
  music.Play();
  EXPECT_GT(Peak(music, 2205), 1000);
  EXPECT_THROW(music.Open("/nonexistent/rei.mid"), std::runtime_error);
  const std::string text = testing::TempDir() + "/not.mid";
  std::ofstream(text) << "not a midi file at all";
  EXPECT_THROW(music.Open(text), std::runtime_error);
  EXPECT_THROW(music.Play(), std::runtime_error);
  Peak(music, 44100);
  EXPECT_LE(Peak(music, 4410), 4);
}

// Each failure names the file at fault, so that the game can say which.
TEST(FluidMusic, FailuresNameTheFileAndTheReason) {
  const std::string notSf2 = testing::TempDir() + "/not.sf2", notMidi = testing::TempDir() + "/not.mid";
  std::ofstream(notSf2) << "not a soundfont";
  std::ofstream(notMidi) << "not a midi file at all";
  struct Case {
    const char* soundfont;  // null: the default one
    std::string midi;
    std::string file, reason;
  } cases[] = {
      {"/nonexistent/none.sf2", "", "/nonexistent/none.sf2",
       "the soundfont cannot be read (No such file or directory)"},
      {notSf2.c_str(), "", notSf2, "FluidSynth cannot load this soundfont"},
      {nullptr, "/nonexistent/rei.mid", "/nonexistent/rei.mid", "the music cannot be read (No such file or directory)"},
      {nullptr, notMidi, notMidi, "not a MIDI file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    if (c.soundfont) setenv("KESTO_SOUNDFONT", c.soundfont, 1);
    try {
      FluidMusic music(44100);
      music.Open(c.midi);
      ADD_FAILURE() << "no error";
    } catch (const platform::MediaError& e) {
      EXPECT_EQ(e.File(), c.file);
      EXPECT_EQ(e.Reason(), c.reason);
    }
    unsetenv("KESTO_SOUNDFONT");
  }
}

}  // namespace
