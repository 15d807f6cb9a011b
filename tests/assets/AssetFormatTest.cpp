// Format checks for the files the game ships: the character and start
// pictures, the sound effects, the music and the first record file. Each file
// is parsed here on its own terms, so a broken rebuild of the assets shows up
// even before the game tries to load it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// "pictures/nomal1.bmp" -> "pictures_nomal1_bmp", for readable test names.
std::string CaseName(std::string name) {
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAsset(const std::string& relative) {
  const std::string path = std::string(KESTO_ASSET_DIR) + "/" + relative;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Need(const Bytes& b, std::size_t at, std::size_t count) {
  if (at > b.size() || count > b.size() - at) throw std::runtime_error("file ends early at " + std::to_string(at));
}
std::uint32_t Le16(const Bytes& b, std::size_t at) {
  Need(b, at, 2);
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8;
}
std::uint32_t Le32(const Bytes& b, std::size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
std::uint32_t Be16(const Bytes& b, std::size_t at) {
  Need(b, at, 2);
  return std::uint32_t(b[at]) << 8 | std::uint32_t(b[at + 1]);
}
std::uint32_t Be32(const Bytes& b, std::size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }
std::string Tag(const Bytes& b, std::size_t at) {
  Need(b, at, 4);
  return std::string(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + 4));
}

// ---------------------------------------------------------------- pictures

class PictureFormat : public testing::TestWithParam<const char*> {};

TEST_P(PictureFormat, Is400x300EightBitBottomUpWithItsOwnColourTable) {
  const Bytes b = ReadAsset(GetParam());
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(Tag(b, 0).substr(0, 2), "BM");
  EXPECT_EQ(Le32(b, 2), b.size()) << "file size field";
  const std::uint32_t pixelOffset = Le32(b, 10);
  const std::uint32_t headerSize = Le32(b, 14);
  ASSERT_EQ(headerSize, 40u) << "BITMAPINFOHEADER";
  EXPECT_EQ(std::int32_t(Le32(b, 18)), 400);
  EXPECT_EQ(std::int32_t(Le32(b, 22)), 300) << "a positive height means bottom-up";
  EXPECT_EQ(Le16(b, 26), 1u) << "planes";
  ASSERT_EQ(Le16(b, 28), 8u) << "bits per pixel";
  EXPECT_EQ(Le32(b, 30), 0u) << "BI_RGB, uncompressed";

  std::uint32_t colours = Le32(b, 46);
  if (colours == 0) colours = 256;  // 0 means the full table for 8 bits
  ASSERT_GE(colours, 1u);
  ASSERT_LE(colours, 256u);
  EXPECT_LE(Le32(b, 50), colours) << "important colours";
  EXPECT_GE(pixelOffset, 14 + headerSize + 4 * colours) << "the colour table must fit before the pixels";

  const std::uint32_t stride = (400 + 3) & ~3u;
  const std::uint32_t imageSize = Le32(b, 34);
  EXPECT_TRUE(imageSize == 0 || imageSize == stride * 300) << imageSize;
  ASSERT_GE(b.size(), std::size_t(pixelOffset) + stride * 300) << "pixel data";

  // Every pixel must name an entry of the table.
  std::uint8_t highest = 0;
  for (std::uint32_t y = 0; y < 300; ++y)
    for (std::uint32_t x = 0; x < 400; ++x) highest = std::max(highest, b[pixelOffset + y * stride + x]);
  EXPECT_LT(highest, colours);
}

INSTANTIATE_TEST_SUITE_P(Shipped, PictureFormat,
                         testing::Values("pictures/nomal1.bmp", "pictures/nomal2.bmp", "pictures/nomal3.bmp",
                                         "pictures/which.bmp", "pictures/great.bmp", "pictures/cry.bmp",
                                         "pictures/ending.bmp", "pictures/lv1.bmp", "pictures/lv2.bmp",
                                         "cg/start.bmp"),
                         [](const auto& info) { return CaseName(info.param); });

// ------------------------------------------------------------------- waves

struct WaveInfo {
  std::uint32_t formatTag = 0, channels = 0, rate = 0, avgBytes = 0, blockAlign = 0, bits = 0;
  std::uint32_t dataSize = 0;
  double Seconds() const { return double(dataSize) / avgBytes; }
};

// Walks the RIFF chunks; throws on anything a PCM loader would stumble over.
WaveInfo ParseWave(const Bytes& b) {
  if (Tag(b, 0) != "RIFF" || Tag(b, 8) != "WAVE") throw std::runtime_error("not RIFF/WAVE");
  const std::size_t end = 8 + std::size_t(Le32(b, 4));
  if (end > b.size()) throw std::runtime_error("RIFF size runs past the file");
  WaveInfo w;
  bool haveFormat = false, haveData = false;
  for (std::size_t at = 12; at + 8 <= end;) {
    const std::string id = Tag(b, at);
    const std::size_t size = Le32(b, at + 4);
    if (at + 8 + size > end) throw std::runtime_error("chunk '" + id + "' runs past the RIFF chunk");
    if (id == "fmt ") {
      if (size < 16) throw std::runtime_error("short fmt chunk");
      w.formatTag = Le16(b, at + 8);
      w.channels = Le16(b, at + 10);
      w.rate = Le32(b, at + 12);
      w.avgBytes = Le32(b, at + 16);
      w.blockAlign = Le16(b, at + 20);
      w.bits = Le16(b, at + 22);
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) throw std::runtime_error("data comes before fmt");
      w.dataSize = std::uint32_t(size);
      haveData = true;
      break;
    }
    at += 8 + size + (size & 1);
  }
  if (!haveFormat) throw std::runtime_error("no fmt chunk");
  if (!haveData) throw std::runtime_error("no data chunk");
  return w;
}

struct WaveCase {
  const char* name;
  double maxSeconds;
};
void PrintTo(const WaveCase& c, std::ostream* os) { *os << c.name; }

class WaveFormat : public testing::TestWithParam<WaveCase> {};

TEST_P(WaveFormat, IsShortPlainPcm) {
  const WaveCase& c = GetParam();
  WaveInfo w;
  try {
    w = ParseWave(ReadAsset(std::string("dat/") + c.name));
  } catch (const std::exception& e) {
    FAIL() << e.what();
  }
  EXPECT_EQ(w.formatTag, 1u) << "PCM";
  EXPECT_TRUE(w.bits == 8 || w.bits == 16) << w.bits;
  EXPECT_TRUE(w.channels == 1 || w.channels == 2) << w.channels;
  EXPECT_TRUE(w.rate == 11025 || w.rate == 22050 || w.rate == 44100) << w.rate;
  ASSERT_EQ(w.blockAlign, w.channels * w.bits / 8);
  EXPECT_EQ(w.avgBytes, w.rate * w.blockAlign);
  EXPECT_GT(w.dataSize, 0u);
  EXPECT_EQ(w.dataSize % w.blockAlign, 0u) << "whole frames only";
  EXPECT_LT(w.Seconds(), c.maxSeconds);
}

// Cues on channel 0 queue behind each other, and the game can cue the next
// one at the same instant (1.wav then start.wav; time.wav beside an answer;
// katan.wav 20 ms after the wrong answer that ends the time): those effects
// last at most 50 ms (tests/music/ShippedSoundTest.cpp adds the mixer's
// lead). start.wav is over before the first answer, lv.wav (the fanfare)
// before the next answer can come, katan.wav before the player is back at
// the start; yatta.wav has channel 1 to itself.
INSTANTIATE_TEST_SUITE_P(Shipped, WaveFormat,
                         testing::Values(WaveCase{"1.wav", 0.0501}, WaveCase{"start.wav", 0.301},
                                         WaveCase{"good.wav", 0.0501}, WaveCase{"gya1.wav", 0.0501},
                                         WaveCase{"time.wav", 0.0501}, WaveCase{"lv.wav", 0.301},
                                         WaveCase{"katan.wav", 0.401}, WaveCase{"yatta.wav", 3.0}),
                         [](const auto& info) { return CaseName(info.param.name); });

// The samples of channel `channel` as numbers in -1..1.
std::vector<double> Channel(const Bytes& file, const WaveInfo& w, std::size_t dataAt, std::uint32_t channel) {
  std::vector<double> x;
  const std::uint32_t bytes = w.bits / 8;
  for (std::size_t at = dataAt + channel * bytes; at + bytes <= dataAt + w.dataSize; at += w.blockAlign)
    x.push_back(bytes == 1 ? (int(file[at]) - 128) / 128.0 : std::int16_t(Le16(file, at)) / 32768.0);
  return x;
}

// The share of the energy of `x` (sampled at `rate`) above `hz`, in dB,
// from one transform over the whole sound (zero-padded to a power of 2).
double EnergyAboveDb(std::vector<double> x, double rate, double hz) {
  std::size_t n = 1;
  while (n < x.size()) n *= 2;
  std::vector<std::complex<double>> a(n);
  for (std::size_t i = 0; i < x.size(); ++i) a[i] = x[i];
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len *= 2) {
    const std::complex<double> step = std::polar(1.0, -2 * M_PI / double(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1;
      for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
  double above = 0, total = 0;
  for (std::size_t k = 1; k < n / 2; ++k) {
    const double e = std::norm(a[k]);
    total += e;
    if (double(k) * rate / double(n) > hz) above += e;
  }
  return 10 * std::log10(std::max(above, 1e-30) / total);
}

// The mixer's loader changes rates without a filter: whatever lies above
// half of its lowest output rate (5512.5 Hz at 11025) would fold back into
// the band as new partials. Every effect keeps that part 60 dB below the rest.
TEST(WaveFormats, EffectsHaveNothingAboveHalfTheLowestOutputRate) {
  for (const char* name : {"1.wav", "start.wav", "good.wav", "gya1.wav", "time.wav", "lv.wav", "katan.wav",
                           "yatta.wav"}) {
    const Bytes file = ReadAsset(std::string("dat/") + name);
    const WaveInfo w = ParseWave(file);
    const std::size_t dataAt = std::size_t(std::search(file.begin(), file.end(), std::begin("data"), std::end("data") - 1) -
                                           file.begin()) + 8;
    for (std::uint32_t c = 0; c < w.channels; ++c) {
      const double above = EnergyAboveDb(Channel(file, w, dataAt, c), w.rate, 11025 / 2.0);
      EXPECT_LT(above, -60.0) << name << " channel " << c;
    }
  }
}

TEST(WaveFormats, TogetherCoverEveryInputKindOfTheLoader) {
  std::set<std::uint32_t> bits, channels, rates;
  for (const char* name : {"1.wav", "start.wav", "good.wav", "gya1.wav", "time.wav", "lv.wav", "katan.wav",
                           "yatta.wav"}) {
    const WaveInfo w = ParseWave(ReadAsset(std::string("dat/") + name));
    bits.insert(w.bits);
    channels.insert(w.channels);
    rates.insert(w.rate);
  }
  EXPECT_EQ(bits, (std::set<std::uint32_t>{8, 16}));
  EXPECT_EQ(channels, (std::set<std::uint32_t>{1, 2}));
  EXPECT_EQ(rates, (std::set<std::uint32_t>{11025, 22050, 44100}));
}

// -------------------------------------------------------------------- MIDI

struct MidiInfo {
  std::uint32_t format = 0, declaredTracks = 0, tracks = 0, division = 0;
  double seconds = 0;
};

std::uint32_t ReadVarLen(const Bytes& b, std::size_t& at, std::size_t end) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= end) throw std::runtime_error("variable-length number runs past the track");
    const std::uint8_t byte = b[at++];
    value = value << 7 | (byte & 0x7F);
    if (!(byte & 0x80)) return value;
  }
  throw std::runtime_error("variable-length number longer than 4 bytes");
}

// Parses the header and every track, and works out how long the piece plays:
// the latest end-of-track tick, converted through the tempo changes of all
// tracks (500000 us per quarter until the first).
MidiInfo ParseMidi(const Bytes& b) {
  if (Tag(b, 0) != "MThd" || Be32(b, 4) != 6) throw std::runtime_error("no MThd chunk of length 6");
  MidiInfo m;
  m.format = Be16(b, 8);
  m.declaredTracks = Be16(b, 10);
  m.division = Be16(b, 12);
  if (m.division == 0 || (m.division & 0x8000)) throw std::runtime_error("expected ticks per quarter note");

  std::vector<std::pair<std::uint64_t, std::uint32_t>> tempos;  // tick, us per quarter
  std::uint64_t lastTick = 0;
  for (std::size_t at = 14; at < b.size();) {
    const std::string id = Tag(b, at);
    const std::size_t size = Be32(b, at + 4);
    const std::size_t end = at + 8 + size;
    if (end > b.size()) throw std::runtime_error("chunk '" + id + "' runs past the file");
    if (id == "MTrk") {
      ++m.tracks;
      std::uint64_t tick = 0;
      std::uint8_t running = 0;
      bool ended = false;
      for (std::size_t p = at + 8; p < end;) {
        if (ended) throw std::runtime_error("events after end-of-track");
        tick += ReadVarLen(b, p, end);
        if (p >= end) throw std::runtime_error("event runs past the track");
        std::uint8_t status = b[p];
        if (status == 0xFF) {
          if (p + 1 >= end) throw std::runtime_error("meta event runs past the track");
          const std::uint8_t type = b[p + 1];
          p += 2;
          const std::uint32_t length = ReadVarLen(b, p, end);
          if (p + length > end) throw std::runtime_error("meta event runs past the track");
          if (type == 0x51) {
            if (length != 3) throw std::runtime_error("tempo event of the wrong length");
            tempos.emplace_back(tick, std::uint32_t(b[p]) << 16 | std::uint32_t(b[p + 1]) << 8 | b[p + 2]);
          }
          if (type == 0x2F) {
            if (length != 0) throw std::runtime_error("end-of-track with data");
            ended = true;
          }
          p += length;
        } else if (status == 0xF0 || status == 0xF7) {
          ++p;
          p += ReadVarLen(b, p, end);
        } else {
          if (status & 0x80) {
            running = status;
            ++p;
          } else if (!running) {
            throw std::runtime_error("data byte without a status");
          }
          const std::uint8_t kind = running & 0xF0;
          p += (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        }
        if (p > end) throw std::runtime_error("event runs past the track");
      }
      if (!ended) throw std::runtime_error("track " + std::to_string(m.tracks) + " has no end-of-track event");
      lastTick = std::max(lastTick, tick);
    }
    at = end;
  }

  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const auto& x, const auto& y) { return x.first < y.first; });
  std::uint64_t tick = 0;
  std::uint32_t tempo = 500000;
  for (const auto& [when, value] : tempos) {
    if (when >= lastTick) break;
    m.seconds += double(when - tick) * tempo / m.division / 1e6;
    tick = when;
    tempo = value;
  }
  m.seconds += double(lastTick - tick) * tempo / m.division / 1e6;
  return m;
}

// A two-track file in the shape abc2midi writes: tempo changes in the first
// track, notes with running status in the second, which also ends last.
TEST(MidiParser, TimesAPieceThroughTempoChangesAcrossTracks) {
  const Bytes file = {
      'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0,  // format 1, 2 tracks, 480 per quarter
      'M', 'T', 'r', 'k', 0, 0, 0, 19,                          //
      0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20,                    // 0: 500000 us per quarter
      0x87, 0x40, 0xFF, 0x51, 3, 0x03, 0xD0, 0x90,              // 960 (1 s): 250000 us per quarter
      0x00, 0xFF, 0x2F, 0,                                      // end
      'M', 'T', 'r', 'k', 0, 0, 0, 18,                          //
      0x00, 0xC0, 0x49,                                         // program change: one data byte
      0x00, 0x90, 60, 100, 0x00, 64, 100,                       // two note-ons, the second in running status
      0x92, 0x60, 60, 0,                                        // 2400: note off
      0x00, 0xFF, 0x2F, 0,                                      // end
  };
  const MidiInfo m = ParseMidi(file);
  EXPECT_EQ(m.tracks, 2u);
  // 960 ticks at 0.5 s per quarter, then 1440 at 0.25 s per quarter.
  EXPECT_NEAR(m.seconds, 1.0 + 0.75, 1e-9);

  // Without its end-of-track event the second track is rejected.
  Bytes unterminated = file;
  unterminated.resize(unterminated.size() - 4);
  const std::size_t secondTrackLength = 14 + 8 + 19 + 7;
  ASSERT_EQ(unterminated[secondTrackLength], 18);
  unterminated[secondTrackLength] = 14;
  EXPECT_THROW(ParseMidi(unterminated), std::runtime_error);
}

struct MidiCase {
  const char* name;
  double minSeconds, maxSeconds;
};
void PrintTo(const MidiCase& c, std::ostream* os) { *os << c.name; }

class MidiFormat : public testing::TestWithParam<MidiCase> {};

TEST_P(MidiFormat, IsWellFormedAndLastsItsScene) {
  const MidiCase& c = GetParam();
  MidiInfo m;
  try {
    m = ParseMidi(ReadAsset(std::string("dat/") + c.name));
  } catch (const std::exception& e) {
    FAIL() << e.what();
  }
  EXPECT_TRUE(m.format == 0 || m.format == 1) << m.format;
  EXPECT_GE(m.declaredTracks, 1u);
  EXPECT_EQ(m.tracks, m.declaredTracks);
  if (m.format == 0) {
    EXPECT_EQ(m.tracks, 1u);
  }
  EXPECT_GE(m.seconds, c.minSeconds);
  EXPECT_LE(m.seconds, c.maxSeconds);
}

// The title piece is calm and not too long; the play piece outlasts a game of
// 50 seconds; the game-over piece is short.
INSTANTIATE_TEST_SUITE_P(Shipped, MidiFormat,
                         testing::Values(MidiCase{"kuvol.mid", 30, 60}, MidiCase{"T_ssix05.mid", 50, 600},
                                         MidiCase{"rei.mid", 1, 15}),
                         [](const auto& info) { return CaseName(info.param.name); });

// ------------------------------------------------------------ record file

TEST(RecordFile, StartsEmptyWithBestScoreZero) {
  const Bytes b = ReadAsset("dat/my.dat");
  EXPECT_EQ(std::string(b.begin(), b.end()), std::string("\r\n0\r\n1\r\n0\r\n0\r\n"));
}

}  // namespace
