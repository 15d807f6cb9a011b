#include "game/Input.h"

#include <cstdint>

#include "game/Layout.h"
#include "game/Phases.h"

namespace game {

namespace {
// The game-over screen's places stand one above the other at the left edge.
constexpr int kPlacesRight = 56;
}  // namespace

bool InRestartPlace(int x, int y) { return x >= 0 && x <= kPlacesRight && y >= 219 && y <= 253; }

bool InEndPlace(int x, int y) { return x >= 0 && x <= kPlacesRight && y >= 264 && y <= 294; }

bool AcceptsAnswer(const GameState& s) { return phases::kAsking.Contains(s.phase) && s.timeLeft > 0; }

bool Answer(GameState& s, int x) {
  s.chosenSide = x > kPictureWidth / 2 ? Side::Right : Side::Left;
  const std::int64_t left = LeftValue(s), right = RightValue(s);
  const bool correct = s.chosenSide == Side::Right ? right > left : left > right;
  if (correct) {
    s.phase = phases::kRight;
    s.saved.goodCount += 1;
  } else {
    s.phase = phases::kWrong;
    s.saved.missCount += 1;
    s.timeLeft -= 1;
  }
  return correct;
}

PressResult Press(GameState& s, bool engineRunning, int x, int y) {
  if (!engineRunning && !s.gameOver) {
    BeginGame(s);
    return PressResult::Start;
  }
  if (s.gameOver) {
    if (InRestartPlace(x, y)) {
      BeginGame(s);
      return PressResult::Restart;
    }
    return InEndPlace(x, y) ? PressResult::End : PressResult::Ignored;
  }
  if (!AcceptsAnswer(s)) return PressResult::Ignored;
  return Answer(s, x) ? PressResult::Right : PressResult::Wrong;
}

}  // namespace game
