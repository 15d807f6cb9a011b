#include "game/Engine.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace game {
namespace {

GameState Playing(std::int32_t level, std::int32_t phase) {
  GameState s;
  s.timeLeft = 50;
  s.level = level;
  s.phase = phase;
  return s;
}

TEST(Random, StaysInRangeAndIsEven) {
  Random random;
  random.Seed(12345);
  std::array<int, 5> counts{};
  const int draws = 50000;
  for (int i = 0; i < draws; ++i) {
    const int r = random.R(5);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 5);
    ++counts[r];
  }
  for (int c : counts) EXPECT_NEAR(c, draws / 5, draws / 100);
  EXPECT_EQ(random.R(1), 0);
  EXPECT_EQ(random.R(0), 0);
}

TEST(Random, SameSeedSameSequence) {
  Random a, b;
  a.Seed(7);
  b.Seed(7);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(a.R(1000), b.R(1000));
}

// From a fresh question: 5 ticks of nomal2, 5 of nomal3, 6 of which, then
// nomal1 until the answer; the question is drawn only in the first tick.
TEST(Engine, QuestionTimeline) {
  Random random;
  random.Seed(1);
  GameState s = Playing(0, 0);
  s.chosenSide = Side::Right;
  std::vector<Face> faces;
  for (int tick = 0; tick < 20; ++tick) {
    const TickResult result = AdvanceTick(s, random);
    ASSERT_TRUE(result.playing);
    EXPECT_FALSE(result.levelUp);
    faces.push_back(result.face);
    if (tick == 0) {
      EXPECT_EQ(s.chosenSide, Side::None);
      s.leftFirst = 1000;  // a redraw would replace it
    }
  }
  std::vector<Face> expected;
  expected.insert(expected.end(), 5, Face::Nomal2);
  expected.insert(expected.end(), 5, Face::Nomal3);
  expected.insert(expected.end(), 6, Face::Which);
  expected.insert(expected.end(), 4, Face::Nomal1);
  EXPECT_EQ(faces, expected);
  EXPECT_EQ(s.phase, 16);
  EXPECT_EQ(s.leftFirst, 1000);
}

// After an answer: 7 reaction ticks, one tick for the level change, then the
// fanfare only where the level reaches 6 or 12.
TEST(Engine, ReactionAndLevelChange) {
  struct Case {
    std::int32_t level, phase;  // phase 100: right, 200: wrong
    std::int32_t levelAfter;
    bool fanfare;
  } cases[] = {
      {0, 100, 1, false},  {5, 100, 6, true},   {11, 100, 12, true},  {17, 100, 18, false},
      {12, 200, 6, false}, {0, 200, 1, false},  {5, 200, 2, false},   {6, 100, 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << " phase " << c.phase);
    Random random;
    GameState s = Playing(c.level, c.phase);
    const Face reaction = c.phase == 100 ? Face::Great : Face::Cry;
    for (int i = 0; i < 7; ++i) ASSERT_EQ(AdvanceTick(s, random).face, reaction);
    TickResult change = AdvanceTick(s, random);
    EXPECT_EQ(change.face, Face::None);
    EXPECT_EQ(s.level, c.levelAfter);
    EXPECT_EQ(change.levelUp, c.fanfare);
    if (c.fanfare) {
      EXPECT_EQ(s.phase, 300);
      for (int i = 0; i < 10; ++i) {
        const TickResult t = AdvanceTick(s, random);
        EXPECT_EQ(t.face, s.frameCount % 2 == 0 ? Face::Lv1 : Face::Lv2);
        EXPECT_FALSE(t.levelUp);
      }
      EXPECT_EQ(AdvanceTick(s, random).face, Face::None);  // 310
    }
    EXPECT_EQ(s.phase, 0);
    // The next tick draws the next question.
    EXPECT_EQ(AdvanceTick(s, random).face, Face::Nomal2);
    EXPECT_EQ(s.phase, 1);
  }
}

TEST(Engine, MissHalvesTheLevelWithOneAsTheLeast) {
  const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {5, 2}, {6, 3}, {13, 6}, {24, 12}};
  for (auto [before, after] : cases) EXPECT_EQ(LevelAfterMiss(before), after) << before;
}

TEST(Engine, UnknownPhaseStaysAndKeepsBak) {
  for (std::int32_t phase : {17, 99, 108, 208, 311, -1}) {
    GameState s = Playing(3, phase);
    EXPECT_EQ(StepPhase(s), Face::None);
    EXPECT_EQ(s.phase, phase);
    EXPECT_EQ(s.level, 3);
  }
}

TEST(Engine, FrameCountWrapsAndAlternatesParity) {
  Random random;
  GameState s = Playing(0, 16);
  s.frameCount = 97;
  std::vector<int> seen;
  for (int i = 0; i < 4; ++i) {
    AdvanceTick(s, random);
    seen.push_back(s.frameCount);
  }
  EXPECT_EQ(seen, (std::vector<int>{98, 99, 0, 1}));
}

// Property checks over many seeds for each question kind.
TEST(Engine, QuestionsFitTheirLevel) {
  for (std::int32_t level : {0, 1, 5, 6, 7, 11, 12, 13, 20, 40}) {
    SCOPED_TRACE(testing::Message() << "level " << level);
    for (std::uint32_t seed = 0; seed < 500; ++seed) {
      Random random;
      random.Seed(seed);
      GameState s = Playing(level, 0);
      s.leftSecond = -77;
      s.rightSecond = -88;
      DrawQuestion(s, random);
      ASSERT_NE(LeftValue(s), RightValue(s));
      switch (KindOf(level)) {
        case QuestionKind::Numbers:
          ASSERT_GE(s.leftFirst, 2 * level);
          ASSERT_LE(s.leftFirst, 2 * level + 9);
          ASSERT_GE(s.rightFirst, 2 * level);
          ASSERT_LE(s.rightFirst, 2 * level + 9);
          ASSERT_EQ(s.leftSecond, -77);  // untouched at this kind
          ASSERT_EQ(s.rightSecond, -88);
          break;
        case QuestionKind::Sums:
          ASSERT_GE(s.leftFirst, 0);  // a redraw may give 0
          ASSERT_LE(s.leftFirst, level);
          ASSERT_GE(s.rightFirst, 1);
          ASSERT_LE(s.rightFirst, level);
          ASSERT_GE(s.leftSecond, 0);
          ASSERT_LT(s.leftSecond, level);
          ASSERT_GE(s.rightSecond, 0);
          ASSERT_LT(s.rightSecond, level);
          break;
        case QuestionKind::Differences:
          ASSERT_GE(s.leftFirst, s.leftSecond);
          ASSERT_GE(s.rightFirst, s.rightSecond);
          ASSERT_GE(s.leftSecond, 0);
          ASSERT_LT(s.leftSecond, level);
          ASSERT_LE(s.rightFirst, 2 * level);
          break;
      }
    }
  }
}

TEST(Engine, LevelKindsAndDisplayedLevel) {
  struct Case {
    std::int32_t level, shown;
    QuestionKind kind;
  } cases[] = {{0, 1, QuestionKind::Numbers},  {5, 1, QuestionKind::Numbers},
               {6, 2, QuestionKind::Sums},      {11, 2, QuestionKind::Sums},
               {12, 3, QuestionKind::Differences}, {18, 4, QuestionKind::Differences}};
  for (const Case& c : cases) {
    GameState s;
    s.level = c.level;
    EXPECT_EQ(DisplayedLevel(s), c.shown) << c.level;
    EXPECT_EQ(KindOf(c.level), c.kind) << c.level;
  }
}

// The game-over step: the time-up cues once, a new best when the score
// equals or passes the old one, on every such tick.
TEST(Engine, GameOverStep) {
  struct Case {
    std::int32_t good, best, bestAfter;
    bool newBest;
  } cases[] = {{0, 0, 0, true}, {9, 10, 10, false}, {12, 10, 12, true}, {10, 10, 10, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.good << " against " << c.best);
    Random random;
    GameState s = Playing(4, 16);
    s.timeLeft = -1;
    s.saved.goodCount = c.good;
    s.saved.hiScore = c.best;
    for (int tick = 0; tick < 3; ++tick) {
      const TickResult t = AdvanceTick(s, random);
      EXPECT_FALSE(t.playing);
      EXPECT_EQ(t.timeUp, tick == 0);
      EXPECT_EQ(t.newBest, c.newBest);
      EXPECT_TRUE(s.gameOver);
      EXPECT_EQ(s.saved.hiScore, c.bestAfter);
      EXPECT_EQ(s.phase, 16);
    }
  }
}

TEST(Engine, CountDownStopsAtGameOver) {
  GameState s = Playing(0, 5);
  s.timeLeft = 1;
  EXPECT_TRUE(CountDown(s));
  EXPECT_EQ(s.timeLeft, 0);
  EXPECT_TRUE(CountDown(s));  // below 0 is still "time up"
  EXPECT_EQ(s.timeLeft, -1);
  s.gameOver = true;
  EXPECT_FALSE(CountDown(s));
  EXPECT_EQ(s.timeLeft, -1);
}

}  // namespace
}  // namespace game
