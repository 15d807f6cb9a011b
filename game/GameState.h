// The game's one record of mutable data, the random source R(n) and the
// values derived from the record that the engine, the input and the renderer
// share.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace game {

// The stored record: exactly the five lines of dat/my.dat, in file order.
struct tmy {
  std::string textLine;  // bytes as stored, never shown
  std::int32_t hiScore = 0;
  std::int32_t fixedOne = 0;
  std::int32_t goodCount = 0;
  std::int32_t missCount = 0;
};

// The side the player pressed for the current question. The values are
// those of the record of state (the headless `state` command prints them).
enum class Side : std::int32_t { None = 0, Left = 1, Right = 2 };

// The question kind changes at these levels, and the displayed level rises
// every kLevelsPerDisplayedLevel levels: 6 and 12 are where it becomes 2 and 3.
inline constexpr std::int32_t kLevelsPerDisplayedLevel = 6;
inline constexpr std::int32_t kSumsFromLevel = kLevelsPerDisplayedLevel;
inline constexpr std::int32_t kDifferencesFromLevel = 2 * kLevelsPerDisplayedLevel;

// The seconds of one game, and timeLeft from start-up until the first game.
inline constexpr std::int32_t kGameSeconds = 50;
inline constexpr std::int32_t kStartUpTimeLeft = 60;
// frameCount counts Timer1 ticks from 0 to this, then starts again at 0.
inline constexpr std::int32_t kLastFrameCount = 99;

// Everything a game changes. Zero and empty until start-up sets it.
struct GameState {
  tmy saved;
  std::int32_t leftFirst = 0;
  std::int32_t rightFirst = 0;
  std::int32_t leftSecond = 0;
  std::int32_t rightSecond = 0;
  std::int32_t level = 0;       // internal level, never negative
  std::int32_t timeLeft = 0;    // 0 or below: the time is up
  std::int32_t frameCount = 0;  // Timer1 ticks, cycling 0..kLastFrameCount
  std::int32_t phase = 0;       // a row of the phase table, game/Phases.h
  Side chosenSide = Side::None;
  bool gameOver = false;
};

// R(n): one generator for the whole program. The mapping from the engine's
// 32-bit output to 0..n-1 is our own, so a seed gives the same game with
// every standard library.
class Random {
 public:
  void Seed(std::uint32_t seed);
  // Uniform in 0..n-1; 0 when n <= 0.
  std::int32_t R(std::int32_t n);

 private:
  std::mt19937 generator_;
};

enum class QuestionKind { Numbers, Sums, Differences };

QuestionKind KindOf(std::int32_t level);
// Whether `level` is the first of a question kind after the first kind: the
// levels that the level-up fanfare greets.
bool StartsQuestionKind(std::int32_t level);
// The level shown to the player: level div 6 + 1.
std::int32_t DisplayedLevel(const GameState& state);
// What flashes (the level-up pictures, the highlight of the chosen side, the
// new-best banner) shows its first look on even frames, its second on odd ones.
inline bool EvenFrame(const GameState& state) { return state.frameCount % 2 == 0; }
// The value of each side for the question kind of the current level.
std::int64_t LeftValue(const GameState& state);
std::int64_t RightValue(const GameState& state);

// The values FormCreate sets once the record is read: level 1, 60 seconds
// and fixedOne 1, no answers counted.
void SetStartUpValues(GameState& state);
// A game begins (from the title or the restart place): 50 seconds, level 0,
// a fresh question and no right answers yet; missCount runs on.
void BeginGame(GameState& state);

}  // namespace game
