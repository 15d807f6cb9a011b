// libFuzzer target for a short game without a window: the round engine and
// the press judging (game/Engine, game/Input) driven as TForm1 drives them,
// at thousands of games a second where fuzz_headless_game, which builds a
// whole game with its pictures and sounds per input, manages tens. The input
// is a seed and a best score (4 bytes each), then events: a byte b with
// b % 4 == 0 advances 1 + b / 4 ticks of Timer1 (Timer3 counting down every
// 50th, as 20 ms and 1 s timers do), any other b presses at the point of the
// next two bytes (mod 400 and 300). A press that ends the game ends the input.
// Whatever happens, the state stays in the engine's ranges, with no
// sanitizer report.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/Engine.h"
#include "game/GameState.h"
#include "game/Input.h"
#include "game/Phases.h"

namespace {

using namespace game;

bool InPhaseTable(std::int32_t phase) {
  return (phase >= phases::kNewQuestion && phase <= phases::kWaiting) ||
         (phase >= phases::kRight && phase <= phases::kRaiseLevel) ||
         (phase >= phases::kWrong && phase <= phases::kLowerLevel) ||
         (phase >= phases::kLevelUp && phase <= phases::kLevelUpEnd);
}

void Check(const GameState& s) {
  if (s.level < 0 || s.frameCount < 0 || s.frameCount > kLastFrameCount || !InPhaseTable(s.phase)) std::abort();
  if (s.saved.goodCount < 0 || s.saved.missCount < 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  std::uint32_t seed;
  std::int32_t best;
  std::memcpy(&seed, data, 4);
  std::memcpy(&best, data + 4, 4);
  Random random;
  random.Seed(seed);
  GameState state;
  state.saved.hiScore = best;
  SetStartUpValues(state);
  bool engineRunning = false;
  int ticks = 0;
  for (std::size_t at = 8; at < size; ++at) {
    const std::uint8_t b = data[at];
    if (b % 4 == 0) {
      for (int i = 0; i <= b / 4 && engineRunning; ++i) {
        AdvanceTick(state, random);
        if (++ticks % 50 == 0) CountDown(state);
        Check(state);
      }
      continue;
    }
    if (size - at < 3) break;
    const int x = data[at + 1] * 2 % 400, y = data[at + 2] * 2 % 300;
    at += 2;
    switch (Press(state, engineRunning, x, y)) {
      case PressResult::Start: engineRunning = true; break;
      case PressResult::Restart: engineRunning = false; break;
      case PressResult::End: return 0;
      default: break;
    }
    Check(state);
  }
  return 0;
}
