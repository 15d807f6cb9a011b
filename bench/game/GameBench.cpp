// One engine tick with its play frame, one game-over frame and one title
// frame, on the headless host. Each must stay well inside the 20 ms tick.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "assets/Embedded.h"
#include "game/Unit1.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"
#include "tests/support/TempFolder.h"

namespace {

// A program folder with a record and a start picture made from the ending.
class Folder : public testing_support::TempFolder {
 public:
  Folder() {
    Write("dat/my.dat", "\r\n5\r\n1\r\n0\r\n0\r\n");
    const assets::EmbeddedFile ending = assets::FindPicture("ending");
    Write("cg/start.bmp", std::string_view(reinterpret_cast<const char*>(ending.bytes), ending.size));
  }
};

struct Game {
  Folder folder;
  platform::headless::HeadlessHost host{folder.Path()};
  std::unique_ptr<game::TForm1> form;

  Game() {
    mixer::WaveMixSetHost(&host);
    form = std::make_unique<game::TForm1>(host);
    form->FixSeed(1);
    form->FormCreate();
  }
  ~Game() {
    form.reset();
    mixer::WaveMixSetHost(nullptr);
  }
};

void BM_EngineTick(benchmark::State& state) {
  Game game;
  game.form->cgMouseDown(0, 0, platform::MouseButton::Left);
  for (int i = 0; i < 20; ++i) game.form->Timer1Timer();
  for (auto _ : state) game.form->Timer1Timer();
}
BENCHMARK(BM_EngineTick)->Unit(benchmark::kMicrosecond);

void BM_GameOverFrame(benchmark::State& state) {
  Game game;
  game.form->cgMouseDown(0, 0, platform::MouseButton::Left);
  game.form->GameState.timeLeft = 0;
  for (int i = 0; i < 20; ++i) game.form->Timer1Timer();
  for (auto _ : state) game.form->Timer1Timer();
}
BENCHMARK(BM_GameOverFrame)->Unit(benchmark::kMicrosecond);

void BM_TitleFrame(benchmark::State& state) {
  Game game;
  for (int i = 0; i < 20; ++i) game.form->Timer2Timer();
  for (auto _ : state) game.form->Timer2Timer();
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
