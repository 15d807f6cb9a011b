// Mixing a block, loading a cue's wave, and the time from WaveMixPlay to the
// SDL callback.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "mixer/Output.h"
#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/sdl/SdlMixerHost.h"
#include "platform/sdl/SdlWaveOut.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WavImage(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& data) {
  Bytes out;
  auto put = [&](std::uint32_t v, int width) {
    for (int i = 0; i < width; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  };
  const std::uint16_t align = std::uint16_t(channels * bits / 8);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put(std::uint32_t(36 + data.size()), 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put(16, 4);
  put(1, 2);
  put(channels, 2);
  put(rate, 4);
  put(rate * align, 4);
  put(align, 2);
  put(bits, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put(std::uint32_t(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes Noise(std::size_t size, std::uint32_t seed) {
  Bytes out(size);
  for (auto& b : out) {
    seed = seed * 1664525 + 1013904223;
    b = std::uint8_t(seed >> 24);
  }
  return out;
}

// A headless session holding the virtual device, as the mixer runs in tests.
struct VirtualSession {
  platform::headless::HeadlessHost host{"/tmp"};
  mixer::MixSession* session = nullptr;
  VirtualSession() {
    setenv("WAVEMIX_INI", "/nonexistent/WAVEMIX.INI", 1);
    mixer::WaveMixSetHost(&host);
    session = mixer::WaveMixInit();
    mixer::WaveMixActivate(session, 1);
  }
  ~VirtualSession() {
    mixer::WaveMixEndSession(session);
    mixer::WaveMixSetHost(nullptr);
  }
};

// One 2048-byte block with `plays` looping plays sounding through all of it.
void BM_MixIntoBlock(benchmark::State& state) {
  VirtualSession v;
  const int plays = int(state.range(0));
  std::vector<Bytes> data;
  std::vector<mixer::MixPlayRequest> requests(static_cast<std::size_t>(plays));
  for (int i = 0; i < plays; ++i) {
    data.push_back(Noise(3001, std::uint32_t(i + 1)));
    mixer::MixPlayRequest& r = requests[std::size_t(i)];
    r = {};
    r.data = data.back().data();
    r.length = 3001;
    r.params.loops = mixer::kLoopForever;
    r.start = 0;
    r.end = mixer::kNeverPosition;
    v.session->channel[i] = &r;
  }
  for (auto _ : state) {
    v.session->mixPosition = 0;
    mixer::MixBlock* block = mixer::TakeFreeBlock();
    mixer::MixIntoBlock(block, false);
    mixer::ReleaseBlock(block);
    benchmark::DoNotOptimize(block->samples[100]);
  }
  for (int i = 0; i < plays; ++i) v.session->channel[i] = nullptr;
  state.SetBytesProcessed(std::int64_t(state.iterations()) * 2048);
}
BENCHMARK(BM_MixIntoBlock)->Arg(1)->Arg(2)->Arg(8);

void BM_Memcpy2048(benchmark::State& state) {
  const Bytes source = Noise(2048, 7);
  Bytes destination(2048);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), 2048);
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * 2048);
}
BENCHMARK(BM_Memcpy2048);

// SDL's own mixing of the same sources into one 2048-byte buffer, once per source.
void BM_SdlMixAudioFormat(benchmark::State& state) {
  const int sources = int(state.range(0));
  std::vector<Bytes> data;
  for (int i = 0; i < sources; ++i) data.push_back(Noise(2048, std::uint32_t(i + 1)));
  Bytes destination(2048);
  for (auto _ : state) {
    std::memset(destination.data(), 0x80, 2048);
    for (const Bytes& d : data) SDL_MixAudioFormat(destination.data(), d.data(), AUDIO_U8, 2048, SDL_MIX_MAXVOLUME);
    benchmark::DoNotOptimize(destination.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * 2048);
}
BENCHMARK(BM_SdlMixAudioFormat)->Arg(1)->Arg(2)->Arg(8);

// What a cue does inside its 20 ms tick: load a 1-second 16-bit stereo
// 44100 Hz file from disk and convert it to the 11025 Hz mono output.
void BM_LoadOneSecondCue(benchmark::State& state) {
  VirtualSession v;
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "kesto_bench_cue.wav";
  {
    const Bytes image = WavImage(2, 44100, 16, Noise(176400, 3));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
  }
  for (auto _ : state) {
    mixer::MixWave* wave = mixer::WaveMixLoadWave(v.session, path.c_str(), nullptr, mixer::LOAD_FILE);
    benchmark::DoNotOptimize(wave->data);
    mixer::WaveMixReleaseWave(v.session, wave);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadOneSecondCue)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

// From WaveMixPlay, while another play keeps the device busy, to the first
// byte of the new play reaching the SDL callback.
std::atomic<bool> heard{false};
std::atomic<std::int64_t> heardAt{0};

std::int64_t NowNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void PlayToCallback(benchmark::State& state, std::uint32_t flags) {
  if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("WAVEMIX_INI", "/nonexistent/WAVEMIX.INI", 1);
  platform::sdl::SdlMixerHost host("/tmp");
  mixer::WaveMixSetHost(&host);
  mixer::MixSession* session = mixer::WaveMixInit();
  mixer::WaveMixActivate(session, 1);
  mixer::WaveMixOpenChannels(session, 0, mixer::CHANNELS_ALL);
  auto& device = dynamic_cast<platform::sdl::SdlWaveOut&>(host.WaveOutDevice());
  device.SetTap([](const std::uint8_t* bytes, std::size_t count) {
    if (heard) return;
    for (std::size_t i = 0; i < count; ++i)
      if (bytes[i] != 0x90) {
        heardAt = NowNanos();
        heard = true;
        return;
      }
  });
  const Bytes hum(1000, 0x90), beep(4000, 0xF0);
  mixer::MMIOINFO humInfo{}, beepInfo{};
  const Bytes humImage = WavImage(1, 11025, 8, hum), beepImage = WavImage(1, 11025, 8, beep);
  humInfo = mixer::MemoryImage(humImage.data(), humImage.size());
  beepInfo = mixer::MemoryImage(beepImage.data(), beepImage.size());
  mixer::MixWave* humWave = mixer::WaveMixLoadWave(session, &humInfo, nullptr, mixer::LOAD_MEMORY);
  mixer::MixWave* beepWave = mixer::WaveMixLoadWave(session, &beepInfo, nullptr, mixer::LOAD_MEMORY);
  mixer::MixPlayParams busy{24, session, 0, humWave, 0, 0, mixer::kLoopForever};
  mixer::WaveMixPlay(&busy);
  for (int i = 0; i < 10; ++i) host.WaitAndDispatch(10);

  int round = 0;
  double worst = 0;
  for (auto _ : state) {
    heard = false;
    mixer::MixPlayParams params{24, session, 1, beepWave, 0, flags, 0};
    const std::int64_t start = NowNanos();
    mixer::WaveMixPlay(&params);
    const std::int64_t give_up = start + 2'000'000'000;
    while (!heard && NowNanos() < give_up) host.WaitAndDispatch(1);
    if (!heard) {
      state.SkipWithError("the play never reached the callback");
      break;
    }
    state.SetIterationTime(double(heardAt - start) / 1e9);
    worst = std::max(worst, double(heardAt - start) / 1e6);
    state.PauseTiming();
    mixer::WaveMixClearChannel(session, 1, 0);
    // Start the next one at another point of the callback's period (about
    // 11.6 ms at 11025 Hz), stepping through it.
    const std::int64_t settle = NowNanos() + 20'000'000 + (round++ % 13) * 1'000'000;
    while (NowNanos() < settle) host.WaitAndDispatch(1);
    state.ResumeTiming();
  }
  state.counters["worst_ms"] = worst;
  mixer::WaveMixActivate(session, 0);
  mixer::WaveMixReleaseWave(session, humWave);
  mixer::WaveMixReleaseWave(session, beepWave);
  mixer::WaveMixEndSession(session);
  mixer::WaveMixSetHost(nullptr);
}

void BM_PlayFromNowToCallback(benchmark::State& state) { PlayToCallback(state, mixer::PLAY_FROMNOW); }
BENCHMARK(BM_PlayFromNowToCallback)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40)->Repetitions(3);

// A play with flags 0, as the game's cues make: it starts after what is
// already mixed, so it waits out the blocks queued ahead.
void BM_PlayQueuedToCallback(benchmark::State& state) { PlayToCallback(state, 0); }
BENCHMARK(BM_PlayQueuedToCallback)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
