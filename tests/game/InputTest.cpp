#include "game/Input.h"

#include <gtest/gtest.h>

namespace game {
namespace {

TEST(Input, GameOverPlacesHaveExactBounds) {
  struct Case {
    int x, y;
    bool restart, end;
  } cases[] = {
      {0, 219, true, false},   {56, 219, true, false},  {57, 219, false, false}, {0, 218, false, false},
      {56, 253, true, false},  {0, 254, false, false},  {0, 258, false, false},  {0, 263, false, false},
      {0, 264, false, true},   {56, 294, false, true},  {0, 294, false, true},   {0, 295, false, false},
      {57, 270, false, false}, {200, 150, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InRestartPlace(c.x, c.y), c.restart) << c.x << "," << c.y;
    EXPECT_EQ(InEndPlace(c.x, c.y), c.end) << c.x << "," << c.y;
  }
}

TEST(Input, AnswersCountOnlyInTheAskingBandWithTimeLeft) {
  struct Case {
    std::int32_t phase, timeLeft;
    bool accepted;
  } cases[] = {{0, 50, false},   {4, 50, false},   {5, 50, true},    {16, 50, true},  {99, 50, true},
               {100, 50, false}, {207, 50, false}, {300, 50, false}, {16, 0, false},  {16, -1, false}};
  for (const Case& c : cases) {
    GameState s;
    s.phase = c.phase;
    s.timeLeft = c.timeLeft;
    EXPECT_EQ(AcceptsAnswer(s), c.accepted) << c.phase << " " << c.timeLeft;
  }
}

// The values compared are those of the level's kind, and X = 200 is still left.
TEST(Input, JudgesTheValuesOfTheLevel) {
  struct Case {
    std::int32_t level, lf, ls, rf, rs;
    int x;
    bool correct;
    std::int32_t side;
  } cases[] = {
      {0, 3, 0, 7, 0, 200, false, 1},  {0, 3, 0, 7, 0, 201, true, 2},   {5, 12, 9, 11, 0, 0, true, 1},
      {6, 2, 5, 6, 0, 399, false, 2},   {6, 2, 5, 6, 0, 10, true, 1},   {12, 9, 8, 5, 1, 300, true, 2},
      {12, 9, 8, 5, 1, 100, false, 1},  {11, 3, 3, 3, 3, 100, false, 1}, {11, 3, 3, 3, 3, 300, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << " x " << c.x);
    GameState s;
    s.level = c.level;
    s.leftFirst = c.lf;
    s.leftSecond = c.ls;
    s.rightFirst = c.rf;
    s.rightSecond = c.rs;
    s.phase = 9;
    s.timeLeft = 20;
    s.saved.goodCount = 4;
    s.saved.missCount = 2;
    EXPECT_EQ(Answer(s, c.x), c.correct);
    EXPECT_EQ(std::int32_t(s.chosenSide), c.side);  // the number the record of state shows
    EXPECT_EQ(s.phase, c.correct ? 100 : 200);
    EXPECT_EQ(s.saved.goodCount, c.correct ? 5 : 4);
    EXPECT_EQ(s.saved.missCount, c.correct ? 2 : 3);
    EXPECT_EQ(s.timeLeft, c.correct ? 20 : 19);
    EXPECT_EQ(s.level, c.level);
  }
}

// What a press does in each state of the window, and what it leaves in the
// record: a start and a restart both begin a game, nothing else does.
TEST(Input, PressByState) {
  struct Case {
    const char* name;
    bool running, gameOver;
    std::int32_t phase;
    int x, y;
    PressResult result;
  } cases[] = {
      {"title", false, false, 16, 300, 150, PressResult::Start},
      {"too early", true, false, 4, 300, 150, PressResult::Ignored},
      {"right", true, false, 9, 300, 150, PressResult::Right},
      {"wrong", true, false, 9, 100, 150, PressResult::Wrong},
      {"during the reaction", true, false, 100, 300, 150, PressResult::Ignored},
      {"restart place", true, true, 16, 20, 230, PressResult::Restart},
      {"end place", true, true, 16, 20, 270, PressResult::End},
      {"elsewhere after the game", true, true, 16, 300, 150, PressResult::Ignored},
      // The game-over screen's places count even with the engine stopped.
      {"game over, engine stopped", false, true, 16, 300, 150, PressResult::Ignored},
      {"restart, engine stopped", false, true, 16, 20, 230, PressResult::Restart},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameState s;
    s.gameOver = c.gameOver;
    s.phase = c.phase;
    s.timeLeft = 7;
    s.level = 9;
    s.leftFirst = 3;
    s.rightFirst = 8;  // sums at level 9: 3+0 against 8+0, right is bigger
    s.saved.goodCount = 4;
    s.saved.missCount = 2;
    EXPECT_EQ(Press(s, c.running, c.x, c.y), c.result);
    const bool begun = c.result == PressResult::Start || c.result == PressResult::Restart;
    const bool right = c.result == PressResult::Right, wrong = c.result == PressResult::Wrong;
    EXPECT_EQ(s.timeLeft, begun ? 50 : wrong ? 6 : 7);
    EXPECT_EQ(s.level, begun ? 0 : 9);
    EXPECT_EQ(s.phase, begun ? 0 : right ? 100 : wrong ? 200 : c.phase);
    EXPECT_EQ(s.gameOver, begun ? false : c.gameOver);
    EXPECT_EQ(s.saved.goodCount, begun ? 0 : right ? 5 : 4);
    EXPECT_EQ(s.saved.missCount, wrong ? 3 : 2);
  }
}

}  // namespace
}  // namespace game
