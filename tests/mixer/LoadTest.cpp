#include "tests/mixer/MixerFixture.h"

namespace mixer_test {
namespace {

using namespace mixer;

constexpr char kMemory[] =
    "Unable to allocate memory for waveform data.  Try making more memory available by closing other applications.";

class LoadTest : public MixerTest {
 protected:
  MixSession* Session(std::uint16_t channels = 1, std::uint16_t rateKhz = 11) {
    const MixConfig config{10, CONFIG_CHANNELS | CONFIG_SAMPLINGRATE, channels, rateKhz};
    return WaveMixInitWithConfig(&config);
  }
  Bytes Loaded(const Bytes& image) {
    MixWave* wave = LoadMemory(image);
    Bytes data(wave->data, wave->data + wave->length);
    WaveMixReleaseWave(currentSession, wave);
    return data;
  }
};

TEST_F(LoadTest, OutputFormatDataIsKeptAsItIs) {
  Session();
  const Bytes samples = {1, 2, 3, 250, 128};
  MixWave* wave = LoadMemory(Wav({}, samples));
  EXPECT_EQ(Bytes(wave->data, wave->data + wave->length), samples);
  EXPECT_EQ(wave->format.samplesPerSec, 11025u);
  for (std::uint32_t word : wave->reserved) EXPECT_EQ(word, 0u);
  WaveMixReleaseWave(currentSession, wave);
}

struct ConvertCase {
  const char* what;
  Fmt file;
  Bytes data;
  std::uint16_t outChannels;
  std::uint16_t outKhz;
  Bytes expected;
};

TEST_F(LoadTest, ConvertsWidthChannelsAndRateByTheWorkedNumbers) {
  const ConvertCase cases[] = {
      {"16 to 8 bits", {1, 1, 11025, 16}, Samples16({0, 0x7FFF, -0x8000, -1, 0x1234}), 1, 11, {128, 255, 0, 127, 0x92}},
      {"odd trailing byte of 16-bit data", {1, 1, 11025, 16}, {0x00, 0x40, 0x77}, 1, 11, {0xC0}},
      {"stereo to mono", {1, 2, 11025, 8}, {200, 100, 255, 0, 7}, 1, 11, {150, 127}},
      {"mono to stereo", {1, 1, 11025, 8}, {1, 2}, 2, 11, {1, 1, 2, 2}},
      {"up 11025 to 22050", {1, 1, 11025, 8}, {100, 103}, 1, 22, {100, 101, 103, 103}},
      {"up, falling, rounds toward zero", {1, 1, 11025, 8}, {103, 100, 50}, 1, 44, {103, 103, 103, 103, 100, 88, 76, 64, 50, 50, 50, 50}},
      {"8000 to 11025 has ratio 1", {1, 1, 8000, 8}, {5, 6, 7}, 1, 11, {5, 6, 7}},
      {"down 22050 to 11025", {1, 1, 22050, 8}, {100, 110, 120, 131, 7}, 1, 11, {105, 120}},
      {"down averages toward zero", {1, 1, 22050, 8}, {0, 1, 255, 0}, 1, 11, {1, 255}},
      {"32000 to 11025 has factor 3", {1, 1, 32000, 8}, {10, 20, 30, 40, 50, 60, 70}, 1, 11, {20, 40}},
      {"stereo down keeps frames", {1, 2, 22050, 8}, {10, 20, 30, 40, 50, 60, 70, 80}, 2, 11, {20, 30, 50, 60}},
  };
  for (const ConvertCase& c : cases) {
    SCOPED_TRACE(c.what);
    Session(c.outChannels, c.outKhz);
    EXPECT_EQ(Loaded(Wav(c.file, c.data)), c.expected);
    WaveMixEndSession(currentSession);
  }
}

TEST_F(LoadTest, SixteenBitStereo44100FileShrinksSixteenfold) {
  Session();
  Bytes data(176400);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 7);
  const Bytes converted = Loaded(Wav({1, 2, 44100, 16}, data));
  EXPECT_EQ(converted.size(), 11025u);
}

struct ErrorCase {
  const char* what;
  Bytes image;
  const char* message;
};

TEST_F(LoadTest, RiffWalkAndFormatErrors) {
  const Bytes fmt = Chunk("fmt ", FmtBody({}));
  const Bytes data = Chunk("data", {1, 2, 3, 4});
  Bytes shortFmt = Riff({Chunk("fmt ", {1, 0, 1, 0, 0x11, 0x2B})});
  Bytes dataTooShort = Riff({fmt, Chunk("data", {1, 2, 3}, 10)});
  dataTooShort.resize(dataTooShort.size() - 1);  // no pad byte at the very end
  const ErrorCase cases[] = {
      {"not RIFF", Bytes{'J', 'U', 'N', 'K', 0, 0, 0, 0}, "This is not a WAVE file"},
      {"RIFF of another form", Riff({fmt, data}, "AVI "), "This is not a WAVE file"},
      {"no format chunk", Riff({Chunk("LIST", {1, 2}), data}), "WAVE file is corrupted"},
      {"format chunk short at the end", shortFmt, "Failed to read format chunk"},
      {"not PCM", Riff({Chunk("fmt ", FmtBody({2, 1, 11025, 8})), data}), "The file is not a PCM file"},
      {"data before format", Riff({data, fmt}), "WAVE file has no data chunk"},
      {"no data at all", Riff({fmt}), "WAVE file has no data chunk"},
      {"empty data", Riff({fmt, Chunk("data", {})}), "The data chunk has no data"},
      {"short data", dataTooShort, "Failed to read data chunk"},
      {"data size past the source", Riff({fmt, Chunk("data", {1, 2}, 0xFFFFFFF0)}), "Failed to read data chunk"},
      {"24 bits", Wav({1, 1, 11025, 24}, {1, 2, 3}), "File format not supported"},
      {"0 channels", Wav({1, 0, 11025, 8}, {1, 2, 3}), "File format not supported"},
      {"3 channels", Wav({1, 3, 11025, 8}, {1, 2, 3}), "File format not supported"},
      {"rate 0", Wav({1, 1, 0, 8}, {1, 2, 3}), "File format not supported"},
      {"0 bits", Wav({1, 1, 11025, 0}, {1, 2, 3}), "File format not supported"},
      {"fewer frames than the factor", Wav({1, 1, 44100, 8}, {1}), kMemory},
      {"result past 0x7FFFFFFF bytes", Wav({1, 1, 1, 8}, Bytes(200000, 1)), kMemory},
  };
  Session();
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ErrorOf([&] { LoadMemory(c.image); }), c.message);
  }
}

TEST_F(LoadTest, SkipsUnknownChunksAndReadsPastAShortFormatChunk) {
  Session();
  // A 14-byte format chunk is read as 16 bytes: its last two come from the
  // next chunk's id ("da" = 0x6164 bits: refused as an unsupported width).
  const Bytes body = FmtBody({});
  const Bytes image = Riff({Chunk("JUNK", {9, 9, 9}), Chunk("fmt ", Bytes(body.begin(), body.begin() + 14)),
                            Chunk("data", {1, 2})});
  EXPECT_EQ(ErrorOf([&] { LoadMemory(image); }), "File format not supported");
  EXPECT_EQ(Loaded(Riff({Chunk("JUNK", {9, 9, 9}), Chunk("fmt ", FmtBody({})), Chunk("LIST", {}), Chunk("data", {4, 5})})),
            (Bytes{4, 5}));
}

TEST_F(LoadTest, FileSourceNamesTheWaveAfterItsPath) {
  Session();
  const std::string path = WriteFile("abcdefghijklmnopqrst.wav", Wav({}, {1, 2, 3}));
  for (std::uint32_t flags : {0u, LOAD_FILE, 0x8u}) {
    MixWave* wave = WaveMixLoadWave(currentSession, path.c_str(), nullptr, flags);
    EXPECT_EQ(std::string(wave->name), path.substr(0, 15));
    EXPECT_EQ(wave->length, 3u);
    WaveMixReleaseWave(currentSession, wave);
  }
  EXPECT_EQ(ErrorOf([&] { WaveMixLoadWave(currentSession, "/no/such.wav", nullptr, LOAD_FILE); }),
            "Failed to open wave file /no/such.wav");
}

TEST_F(LoadTest, ResourcesByNameAndNumber) {
  Session();
  const Bytes image = Wav({}, {7, 8, 9});
  ResourceModule module;
  module.Add("Chime", image.data(), image.size());
  module.Add(7, image.data(), image.size());
  module.Add("Locked", nullptr, 10);
  module.Add("Empty", image.data(), 0);

  MixWave* byName = WaveMixLoadWave(currentSession, "CHIME", &module, LOAD_RESOURCE | LOAD_MEMORY);
  EXPECT_STREQ(byName->name, "CHIME");
  EXPECT_EQ(Bytes(byName->data, byName->data + byName->length), (Bytes{7, 8, 9}));
  MixWave* byNumber = WaveMixLoadWave(currentSession, MakeIntResource(7), &module, LOAD_RESOURCE);
  EXPECT_STREQ(byNumber->name, "res#7");
  WaveMixReleaseWave(currentSession, byName);
  WaveMixReleaseWave(currentSession, byNumber);

  EXPECT_EQ(ErrorOf([&] { WaveMixLoadWave(currentSession, "Gone", &module, LOAD_RESOURCE); }),
            "Failed to open \"WAVE\" resource Gone");
  EXPECT_EQ(ErrorOf([&] { WaveMixLoadWave(currentSession, MakeIntResource(8), &module, LOAD_RESOURCE); }),
            "Failed to open \"WAVE\" resource 8");
  EXPECT_EQ(ErrorOf([&] { WaveMixLoadWave(currentSession, "Locked", &module, LOAD_RESOURCE); }),
            "Failed to lock \"WAVE\" resource");
  EXPECT_EQ(ErrorOf([&] { WaveMixLoadWave(currentSession, "Empty", &module, LOAD_RESOURCE); }),
            "Failed to open resource, mmioOpen error= 272.#13May need to make sure resource is marked read-write");

  // The program's own table is searched when no module is given.
  ProgramResources().Add("Own", image.data(), image.size());
  MixWave* own = WaveMixLoadWave(currentSession, "own", nullptr, LOAD_RESOURCE);
  EXPECT_EQ(own->length, 3u);
  WaveMixReleaseWave(currentSession, own);
}

TEST_F(LoadTest, MemoryFilesLeaveTheCallersRecordAlone) {
  Session();
  const Bytes image = Wav({}, {1, 2});
  MMIOINFO info = MemoryImage(image.data(), image.size());
  info.wErrorRet = 77;
  MixWave* wave = WaveMixLoadWave(currentSession, &info, nullptr, LOAD_MEMORY);
  EXPECT_EQ(info.wErrorRet, 77u);
  EXPECT_STREQ(wave->name, "");
  WaveMixReleaseWave(currentSession, wave);

  info.fccIOProc = FourCC('D', 'O', 'S', ' ');
  EXPECT_EQ(ErrorOf([&] { WaveMixLoadWave(currentSession, &info, nullptr, LOAD_MEMORY); }),
            "Failed to open memory file, mmioOpen error=259.#13May need to make sure memory is read-write");
  EXPECT_EQ(info.wErrorRet, 77u);
}

TEST_F(LoadTest, SessionAndDeviceAreCheckedBeforeTheSourceIsTouched) {
  EXPECT_EQ(ErrorOf([] { WaveMixLoadWave(nullptr, "x.wav", nullptr, LOAD_FILE); }), "Invalid Session handle");
  Session();
  device_->Faults().queryResult = platform::mm::kBadFormat;
  EXPECT_EQ(ErrorOf([] { WaveMixLoadWave(currentSession, "/no/such.wav", nullptr, LOAD_FILE); }),
            "The waveform device can\xB4t play this format");
}

}  // namespace
}  // namespace mixer_test
