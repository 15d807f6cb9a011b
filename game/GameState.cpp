#include "game/GameState.h"

#include <limits>

#include "game/Phases.h"

namespace game {

void Random::Seed(std::uint32_t seed) { generator_.seed(seed); }

std::int32_t Random::R(std::int32_t n) {
  if (n <= 0) return 0;
  // Rejection keeps every value equally likely: draws from the uneven top
  // slice of the 32-bit range are thrown away.
  const std::uint64_t range = std::uint64_t(std::numeric_limits<std::uint32_t>::max()) + 1;
  const std::uint64_t limit = range - range % std::uint64_t(n);
  for (;;) {
    const std::uint64_t x = generator_();
    if (x < limit) return std::int32_t(x % std::uint64_t(n));
  }
}

QuestionKind KindOf(std::int32_t level) {
  if (level < kSumsFromLevel) return QuestionKind::Numbers;
  if (level < kDifferencesFromLevel) return QuestionKind::Sums;
  return QuestionKind::Differences;
}

bool StartsQuestionKind(std::int32_t level) { return level == kSumsFromLevel || level == kDifferencesFromLevel; }

std::int32_t DisplayedLevel(const GameState& state) { return state.level / kLevelsPerDisplayedLevel + 1; }

namespace {
std::int64_t SideValue(std::int32_t level, std::int32_t first, std::int32_t second) {
  switch (KindOf(level)) {
    case QuestionKind::Numbers:
      return first;
    case QuestionKind::Sums:
      return std::int64_t(first) + second;
    case QuestionKind::Differences:
      break;
  }
  return std::int64_t(first) - second;
}
}  // namespace

std::int64_t LeftValue(const GameState& state) {
  return SideValue(state.level, state.leftFirst, state.leftSecond);
}

std::int64_t RightValue(const GameState& state) {
  return SideValue(state.level, state.rightFirst, state.rightSecond);
}

void SetStartUpValues(GameState& state) {
  state.level = 1;
  state.timeLeft = kStartUpTimeLeft;
  state.saved.fixedOne = 1;
  state.saved.goodCount = 0;
  state.saved.missCount = 0;
}

void BeginGame(GameState& state) {
  state.timeLeft = kGameSeconds;
  state.gameOver = false;
  state.phase = phases::kNewQuestion;
  state.saved.goodCount = 0;
  state.level = 0;
}

}  // namespace game
