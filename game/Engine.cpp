#include "game/Engine.h"

#include <cstdint>

namespace game {

namespace {
// A single number lies in 2L .. 2L + kNumberChoices - 1.
constexpr std::int32_t kNumberChoices = 10;
}  // namespace

void DrawQuestion(GameState& s, Random& random) {
  const std::int32_t L = s.level;
  switch (KindOf(L)) {
    case QuestionKind::Numbers:
      s.leftFirst = random.R(kNumberChoices) + 2 * L;
      s.rightFirst = random.R(kNumberChoices) + 2 * L;
      while (s.leftFirst == s.rightFirst) s.leftFirst = random.R(kNumberChoices) + 2 * L;
      break;
    case QuestionKind::Sums:
      s.leftFirst = random.R(L) + 1;
      s.leftSecond = random.R(L);
      s.rightFirst = random.R(L) + 1;
      s.rightSecond = random.R(L);
      while (s.leftFirst + s.leftSecond == s.rightFirst + s.rightSecond) s.leftFirst = random.R(L + 1);
      break;
    case QuestionKind::Differences:
      s.leftFirst = random.R(L) + 1;
      s.leftSecond = random.R(L);
      while (s.leftFirst < s.leftSecond) s.leftFirst = random.R(2 * L) + 1;
      s.rightFirst = random.R(L) + 1;
      s.rightSecond = random.R(L);
      while (s.rightFirst < s.rightSecond) s.rightFirst = random.R(2 * L) + 1;
      while (s.leftFirst - s.leftSecond == s.rightFirst - s.rightSecond) s.leftFirst += 1;
      break;
  }
}

std::int32_t LevelAfterMiss(std::int32_t level) {
  level /= 2;
  return level < 1 ? 1 : level;
}

Face StepPhase(GameState& s) {
  for (const PhaseStep& step : kPhaseTable) {
    if (!step.phases.Contains(s.phase)) continue;
    switch (step.end) {
      case PhaseEnd::Next:
        s.phase += 1;
        break;
      case PhaseEnd::Stay:
        break;
      case PhaseEnd::RaiseLevel:
        s.phase = phases::kNewQuestion;
        s.level += 1;
        if (StartsQuestionKind(s.level)) s.phase = phases::kLevelUp;
        break;
      case PhaseEnd::LowerLevel:
        s.phase = phases::kNewQuestion;
        s.level = LevelAfterMiss(s.level);
        break;
      case PhaseEnd::Restart:
        s.phase = phases::kNewQuestion;
        break;
    }
    return EvenFrame(s) ? step.even : step.odd;
  }
  return Face::None;
}

TickResult AdvanceTick(GameState& s, Random& random) {
  TickResult result;
  s.frameCount += 1;
  if (s.frameCount > kLastFrameCount) s.frameCount = 0;
  if (s.timeLeft > 0) {
    result.playing = true;
    if (s.phase == phases::kNewQuestion) {
      DrawQuestion(s, random);
      s.chosenSide = Side::None;
    }
    result.face = StepPhase(s);
    result.levelUp = s.phase == phases::kLevelUp;
    return result;
  }
  result.timeUp = !s.gameOver;
  s.gameOver = true;
  // Equalling the old best counts, and so does every later game-over tick.
  if (s.saved.goodCount >= s.saved.hiScore) {
    s.saved.hiScore = s.saved.goodCount;
    result.newBest = true;
  }
  return result;
}

bool CountDown(GameState& s) {
  if (s.gameOver) return false;
  s.timeLeft -= 1;
  return true;
}

}  // namespace game
