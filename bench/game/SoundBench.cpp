// The game's sound: one cue (load the file from disk, convert, queue and
// start the idle device, release the wave it replaced) for each of the
// game's own waves, goal a median of at most 2 ms inside the 20 ms tick; and
// start-up on the real backend, soundfont included, to the first title
// frame, goal at most 300 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/Application.h"
#include "game/Cues.h"
#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/sdl/SdlHost.h"

namespace {

const std::string kProgramFolder = std::string(KESTO_SOURCE_DIR) + "/assets/";

void BM_Cue(benchmark::State& state, const char* name) {
  setenv("WAVEMIX_INI", "/nonexistent/WAVEMIX.INI", 1);
  platform::headless::HeadlessHost host(kProgramFolder);
  mixer::WaveMixSetHost(&host);
  {
    mixer::TWaveMix mix(nullptr);
    mix.SetActivated(true);
    mix.SetChannels(3);
    game::EarlierWaves earlier;
    mixer::MixWave* slot = nullptr;
    const std::string path = kProgramFolder + "/dat/" + name;
    for (auto _ : state) {
      game::CueSound(mix, 0, slot, path, earlier);
      state.PauseTiming();
      if (!slot) {
        state.SkipWithError("the wave did not load");
        break;
      }
      // Until the play has been heard, so that every cue starts an idle device.
      host.AdvanceMs(std::uint64_t(slot->length) * 1000 / mix.Session()->format.avgBytesPerSec + 700);
      state.ResumeTiming();
    }
    earlier.ReleaseAll(mix);
    if (slot) mix.FreeWave(slot);
  }
  mixer::WaveMixSetHost(nullptr);
}
BENCHMARK_CAPTURE(BM_Cue, 1.wav, "1.wav")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cue, start.wav, "start.wav")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cue, good.wav, "good.wav")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cue, gya1.wav, "gya1.wav")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cue, time.wav, "time.wav")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cue, lv.wav, "lv.wav")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cue, katan.wav, "katan.wav")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cue, yatta.wav, "yatta.wav")->Unit(benchmark::kMicrosecond);

// The SDL host on its dummy drivers: the window's components (the mixer
// takes the device), FormCreate with the title music, then one Timer2 frame.
void BM_StartupToFirstTitleFrame(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("WAVEMIX_INI", "/nonexistent/WAVEMIX.INI", 1);
  for (auto _ : state) {
    std::unique_ptr<platform::Host> host = platform::sdl::CreateSdlHost(kProgramFolder);
    mixer::WaveMixSetHost(host.get());
    std::unique_ptr<game::TForm1> form = app::CreateForm1(*host, 1);
    if (!form) {
      state.SkipWithError("Form1 was not created");
      break;
    }
    form->Timer2Timer();
    state.PauseTiming();
    form.reset();
    mixer::WaveMixSetHost(nullptr);
    host.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupToFirstTitleFrame)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);

}  // namespace
