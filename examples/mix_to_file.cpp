// mix_to_file FIRST.wav SECOND.wav OUT.wav: the mixer on a device of its own
// that records what it plays, in virtual time. FIRST starts at once, SECOND
// half a second later on another channel; what was heard goes to OUT.
#include <cstdio>
#include <deque>
#include <vector>

#include "mixer/WaveMix.h"
#include "platform/WavFile.h"

using namespace platform;

// The host and its one device. Each Tick is one block's time: the oldest
// block written is heard and reported done, or silence when none is queued.
struct Recorder final : MixerHost, WaveOut {
  std::vector<std::uint8_t> heard;
  std::deque<WaveHeader*> queue;
  PcmWaveFormat format{};
  WindowProc proc = nullptr;
  WindowHandle window = 0;

  void Tick() {
    if (queue.empty()) return heard.resize(heard.size() + 1024, 0x80);
    WaveHeader* block = queue.front();
    queue.pop_front();
    heard.insert(heard.end(), block->data, block->data + block->bufferLength);
    block->flags |= mm::kHeaderDone;
    proc(window, mm::kWomDone, 1, reinterpret_cast<std::intptr_t>(block));
  }

  WaveOut& WaveOutDevice() override { return *this; }
  std::uint32_t Milliseconds() override { return std::uint32_t(heard.size() * 1000 / format.avgBytesPerSec); }
  bool RegisterWindowClass(const std::string&, WindowProc p, std::uint32_t*) override { return proc = p, true; }
  WindowHandle CreateHiddenWindow(const std::string&) override { return 1; }
  void DestroyHiddenWindow(WindowHandle) override {}
  bool Post(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return false; }
  std::string ConfigFolder() override { return "./"; }

  std::uint32_t GetNumDevs() override { return 1; }
  MmResult GetDevCaps(int, WaveOutCaps* caps) override { return *caps = {"Recorder", 1, 0}, mm::kNoError; }
  MmResult QueryFormat(int, const PcmWaveFormat&) override { return mm::kNoError; }
  MmResult Open(WaveOutHandle* handle, int, const PcmWaveFormat& f, WindowHandle w) override {
    *handle = 1, format = f, window = w;
    return mm::kNoError;
  }
  MmResult PrepareHeader(WaveOutHandle, WaveHeader*) override { return mm::kNoError; }
  MmResult UnprepareHeader(WaveOutHandle, WaveHeader*) override { return mm::kNoError; }
  MmResult Write(WaveOutHandle, WaveHeader* block) override {
    block->flags &= ~mm::kHeaderDone;
    queue.push_back(block);
    return mm::kNoError;
  }
  MmResult Reset(WaveOutHandle) override {
    for (WaveHeader* block : queue) block->flags |= mm::kHeaderDone;
    queue.clear();
    return mm::kNoError;
  }
  MmResult Pause(WaveOutHandle) override { return mm::kNoError; }
  MmResult Restart(WaveOutHandle) override { return mm::kNoError; }
  MmResult GetPositionBytes(WaveOutHandle, std::uint32_t* bytes) override { return *bytes = heard.size(), mm::kNoError; }
  MmResult Close(WaveOutHandle) override { return mm::kNoError; }
};

int main(int argc, char** argv) {
  if (argc != 4) return std::fputs("usage: mix_to_file FIRST.wav SECOND.wav OUT.wav\n", stderr), 2;
  Recorder recorder;
  mixer::WaveMixSetHost(&recorder);
  try {
    mixer::MixSession* session = mixer::WaveMixInit();
    mixer::MixWave* first = mixer::WaveMixLoadWave(session, argv[1], nullptr, mixer::LOAD_FILE);
    mixer::MixWave* second = mixer::WaveMixLoadWave(session, argv[2], nullptr, mixer::LOAD_FILE);
    mixer::WaveMixActivate(session, 1);
    mixer::WaveMixOpenChannels(session, 2, mixer::CHANNELS_FIRST);
    mixer::MixPlayParams play{24, session, 0, first, 0, 0, 0};
    mixer::WaveMixPlay(&play);
    while (recorder.heard.size() < recorder.format.avgBytesPerSec / 2) recorder.Tick();
    play.channel = 1, play.wave = second;
    mixer::WaveMixPlay(&play);
    while (mixer::WaveMixWaveInUse(session, first) || mixer::WaveMixWaveInUse(session, second)) recorder.Tick();
    mixer::WaveMixReleaseWave(session, first);
    mixer::WaveMixReleaseWave(session, second);
    mixer::WaveMixEndSession(session);
    WriteWavFile(argv[3], recorder.format, recorder.heard);
  } catch (const std::exception& e) {
    return std::fprintf(stderr, "mix_to_file: %s\n", e.what()), 1;
  }
  return 0;
}
