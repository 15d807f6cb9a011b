// One engine tick with its play frame, one game-over frame and one title
// frame, on the headless host. Each must stay well inside the 20 ms tick.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "assets/Embedded.h"
#include "game/Unit1.h"
#include "platform/headless/HeadlessHost.h"

namespace {

// A program folder with a record and a start picture made from the ending.
class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kesto-bench-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(path_ / "dat");
    std::filesystem::create_directories(path_ / "cg");
    std::ofstream(path_ / "dat/my.dat", std::ios::binary) << "\r\n5\r\n1\r\n0\r\n0\r\n";
    const assets::EmbeddedFile ending = assets::FindPicture("ending");
    std::ofstream(path_ / "cg/start.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(ending.bytes), std::streamsize(ending.size));
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Path() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

struct Game {
  Folder folder;
  platform::headless::HeadlessHost host{folder.Path()};
  std::unique_ptr<game::TForm1> form;

  Game() {
    platform::SetCurrent(&host);
    form = std::make_unique<game::TForm1>(host);
    form->FixSeed(1);
    form->FormCreate();
  }
  ~Game() {
    form.reset();
    platform::SetCurrent(nullptr);
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
