// The round engine's phase table: where a question stands, by the value of
// GameState::phase. The engine steps through it, the input accepts answers in
// its asking band and the renderer shows the expressions by it; none of them
// compares phase with a bare number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace game {

// The character picture a phase step copies into bak.
enum class Face { None, Nomal1, Nomal2, Nomal3, Which, Great, Cry, Lv1, Lv2 };

// An inclusive range of phases.
struct PhaseRange {
  std::int32_t first, last;
  constexpr bool Contains(std::int32_t phase) const { return phase >= first && phase <= last; }
};

namespace phases {

// The tick that starts at this phase draws a new question.
inline constexpr std::int32_t kNewQuestion = 0;
// The question shows nomal2, nomal3 and which, then waits with nomal1.
inline constexpr PhaseRange kNomal2{0, 4};
inline constexpr PhaseRange kNomal3{5, 9};
inline constexpr PhaseRange kWhich{10, 15};
inline constexpr std::int32_t kWaiting = 16;
// A right answer jumps to kRight: the pleased reaction, then the level rises.
inline constexpr std::int32_t kRight = 100;
// A press answers in this band (in practice from 5 to kWaiting).
inline constexpr PhaseRange kAsking{kNomal3.first, kRight - 1};
inline constexpr PhaseRange kGreat{kRight, 106};
inline constexpr std::int32_t kRaiseLevel = 107;
// A wrong answer jumps to kWrong: the crying reaction, then the level falls.
inline constexpr std::int32_t kWrong = 200;
inline constexpr PhaseRange kCry{kWrong, 206};
inline constexpr std::int32_t kLowerLevel = 207;
// The level-up fanfare: lv1 and lv2 flashing, then one tick more.
inline constexpr std::int32_t kLevelUp = 300;
inline constexpr PhaseRange kFlash{kLevelUp, 309};
inline constexpr std::int32_t kLevelUpEnd = 310;
// The expression texts show from the 4th (left) and 9th (right) tick of a
// question until the reaction ends.
inline constexpr PhaseRange kLeftText{4, kLevelUp - 1};
inline constexpr PhaseRange kRightText{9, kLevelUp - 1};

}  // namespace phases

// Whether the answer of this phase was wrong; phases before an answer and
// those of a right one are not.
constexpr bool AnsweredWrong(std::int32_t phase) { return phase >= phases::kWrong; }

// What a phase step does to phase after copying its picture.
enum class PhaseEnd {
  Next,        // phase + 1
  Stay,        // unchanged, until the player answers
  RaiseLevel,  // to kNewQuestion, level + 1, to kLevelUp when a new question kind starts
  LowerLevel,  // to kNewQuestion, LevelAfterMiss
  Restart,     // to kNewQuestion
};

struct PhaseStep {
  PhaseRange phases;
  Face even, odd;  // the picture when frameCount is even, odd
  PhaseEnd end;
};

// Every phase not in this table keeps its value and copies no picture.
inline constexpr PhaseStep kPhaseTable[] = {
    {phases::kNomal2, Face::Nomal2, Face::Nomal2, PhaseEnd::Next},
    {phases::kNomal3, Face::Nomal3, Face::Nomal3, PhaseEnd::Next},
    {phases::kWhich, Face::Which, Face::Which, PhaseEnd::Next},
    {{phases::kWaiting, phases::kWaiting}, Face::Nomal1, Face::Nomal1, PhaseEnd::Stay},
    {phases::kGreat, Face::Great, Face::Great, PhaseEnd::Next},
    {{phases::kRaiseLevel, phases::kRaiseLevel}, Face::None, Face::None, PhaseEnd::RaiseLevel},
    {phases::kCry, Face::Cry, Face::Cry, PhaseEnd::Next},
    {{phases::kLowerLevel, phases::kLowerLevel}, Face::None, Face::None, PhaseEnd::LowerLevel},
    {phases::kFlash, Face::Lv1, Face::Lv2, PhaseEnd::Next},
    {{phases::kLevelUpEnd, phases::kLevelUpEnd}, Face::None, Face::None, PhaseEnd::Restart},
};

// Rows in rising order, none empty, so that no phase has two steps.
constexpr bool PhaseTableIsOrdered() {
  for (std::size_t i = 0; i < std::size(kPhaseTable); ++i) {
    if (kPhaseTable[i].phases.first > kPhaseTable[i].phases.last) return false;
    if (i > 0 && kPhaseTable[i].phases.first <= kPhaseTable[i - 1].phases.last) return false;
  }
  return true;
}
static_assert(PhaseTableIsOrdered());

}  // namespace game
