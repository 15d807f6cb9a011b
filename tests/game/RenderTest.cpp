#include "game/Render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>

#include "tests/game/Bmp.h"

namespace game {
namespace {

using platform::Color;
using platform::Picture;
using testing_support::Fill;

const Color kBackground{0, 160, 0};

// The rows of `area` in which `colour` appears: first and last, if any.
struct Span {
  int top = -1, bottom = -1;
  bool Found() const { return top >= 0; }
  int Height() const { return bottom - top + 1; }
};

Span RowsWith(const Picture& p, Color colour, int left, int right, int top, int bottom) {
  Span span;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (p.PixelAt(x, y) == colour) {
        if (span.top < 0) span.top = y;
        span.bottom = y;
        break;
      }
    }
  }
  return span;
}

// The left and right expressions stand around (30,150) and (280,150).
Span LeftRows(const Picture& p, Color c) { return RowsWith(p, c, 0, 200, 100, 300); }
Span RightRows(const Picture& p, Color c) { return RowsWith(p, c, 250, 400, 100, 300); }

TEST(Render, FormatsExpressionsByKind) {
  std::string text;
  const struct {
    std::int32_t first, second, level;
    const char* shown;
  } cases[] = {{7, 3, 0, "7"}, {17, 3, 5, "17"}, {7, 3, 6, "7+3"}, {0, 10, 11, "0+10"}, {9, 8, 12, "9-8"},
               {-1, 0, 40, "-1-0"}};
  for (const auto& c : cases) {
    FormatExpression(text, c.first, c.second, c.level);
    EXPECT_EQ(text, c.shown);
  }
}

TEST(Render, TremblingCopyCoversTheWholePictureAndMoves) {
  Picture source(400, 300), dest(400, 300);
  Fill(source, kBackground);
  std::set<int> leftEdges;
  for (std::uint32_t seed = 0; seed < 40; ++seed) {
    Fill(dest, Color{0, 0, 255});
    Random random;
    random.Seed(seed);
    TremblingCopy(dest, source, random);
    for (auto [x, y] : {std::pair{0, 0}, {399, 0}, {0, 299}, {399, 299}, {200, 150}})
      ASSERT_EQ(dest.PixelAt(x, y), kBackground) << x << "," << y;
    random.Seed(seed);
    leftEdges.insert(random.R(5));
  }
  EXPECT_EQ(leftEdges.size(), 5u);
}

struct PlayCase {
  const char* name;
  std::int32_t phase, chosenSide, level, frameCount;
  std::optional<Color> leftBrush, rightBrush;  // empty: that text is not drawn
  int leftSize, rightSize;
};

// Which expression is drawn in which colours and size, by phase and answer.
TEST(Render, PlayFrameExpressions) {
  const Color white = colours::white;
  const PlayCase cases[] = {
      {"before the left text", 3, 0, 0, 2, {}, {}, 0, 0},
      {"left text from phase 4", 4, 0, 0, 2, white, {}, 48, 0},
      {"both from phase 9", 9, 0, 0, 2, white, white, 48, 48},
      {"asking, sums", 16, 0, 7, 2, white, white, 30, 30},
      {"right answer on the left, even", 101, 1, 3, 4, colours::yellow, white, 60, 30},
      {"right answer on the left, odd", 101, 1, 3, 5, colours::lightYellow, white, 60, 30},
      {"wrong answer on the right, even", 203, 2, 8, 6, white, colours::violet, 30, 40},
      {"wrong answer on the right, odd", 203, 2, 8, 7, white, colours::purple, 30, 40},
      {"level change tick", 0, 1, 4, 2, {}, {}, 0, 0},
      {"level-up phases", 305, 1, 6, 2, {}, {}, 0, 0},
  };
  for (const PlayCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameState s;
    s.phase = c.phase;
    s.chosenSide = Side(c.chosenSide);
    s.level = c.level;
    s.frameCount = c.frameCount;
    s.leftFirst = 8;
    s.leftSecond = 1;
    s.rightFirst = 5;
    s.rightSecond = 3;
    s.timeLeft = 42;
    Picture bak(400, 300), cg(400, 300);
    Fill(bak, kBackground);
    Random random;
    random.Seed(3);
    Renderer renderer;
    renderer.PlayFrame(s, random, bak, cg);

    const Span left = c.leftBrush ? LeftRows(bak, *c.leftBrush) : Span{};
    const Span right = c.rightBrush ? RightRows(bak, *c.rightBrush) : Span{};
    if (c.leftBrush) {
      ASSERT_TRUE(left.Found());
    } else {
      EXPECT_FALSE(LeftRows(bak, white).Found());
    }
    if (c.rightBrush) {
      ASSERT_TRUE(right.Found());
    } else {
      EXPECT_FALSE(RightRows(bak, white).Found());
    }
    // Text cells grow with the size: compare their heights in proportion.
    if (c.leftBrush && c.rightBrush) {
      EXPECT_NEAR(double(left.Height()) / right.Height(), double(c.leftSize) / c.rightSize, 0.12);
    }
    // The highlighted side shows its font colour of the tick too.
    if (c.leftBrush && *c.leftBrush == colours::yellow) {
      EXPECT_TRUE(LeftRows(bak, colours::pink).Found());
    }
    if (c.rightBrush && *c.rightBrush == colours::violet) {
      EXPECT_TRUE(RightRows(bak, colours::red).Found());
    }

    // cg receives the finished frame.
    for (int y = 0; y < 300; y += 7)
      for (int x = 0; x < 400; x += 7) ASSERT_EQ(cg.PixelAt(x, y), bak.PixelAt(x, y));
  }
}

// A chosen right-hand difference at size 40 would run past the right edge
// from x = 280 - r; it is moved left so that, trembling zoom included, its
// whole cell stays inside: its colour shows, but never in the last column.
TEST(Render, ChosenTextEndsInsideThePicture) {
  const struct {
    std::int32_t first, second, phase;
    Color brush;
  } cases[] = {{28, 15, 101, colours::yellow}, {11, 10, 101, colours::yellow}, {28, 15, 203, colours::violet},
               {11, 10, 203, colours::violet}};
  for (const auto& c : cases) {
    for (std::uint32_t seed = 0; seed < 25; ++seed) {
      SCOPED_TRACE(std::to_string(c.first) + "-" + std::to_string(c.second) + " seed " + std::to_string(seed));
      GameState s;
      s.phase = c.phase;
      s.chosenSide = Side::Right;
      s.level = 14;
      s.frameCount = 4;
      s.leftFirst = 1;
      s.leftSecond = 1;
      s.rightFirst = c.first;
      s.rightSecond = c.second;
      Picture bak(400, 300), cg(400, 300);
      Fill(bak, kBackground);
      Random random;
      random.Seed(seed);
      Renderer renderer;
      renderer.PlayFrame(s, random, bak, cg);
      const Span text = RightRows(cg, c.brush);
      ASSERT_TRUE(text.Found());
      EXPECT_FALSE(RowsWith(cg, c.brush, 399, 400, text.top, text.bottom + 1).Found());
      // Moved just enough: the cell reaches into the last few columns.
      EXPECT_TRUE(RowsWith(cg, c.brush, 390, 400, text.top, text.bottom + 1).Found());
    }
  }
}

// The longest expressions a game can show: 50 s of 20 ms ticks, at least 13
// ticks a level, is level 192 at most, where a difference is up to
// 2 x 192 + 1 minus up to 191. Every style, every side chosen or not: both
// cells stay inside the picture after the trembling zoom and apart.
TEST(Render, LongestExpressionsStayWholeAndApart) {
  const struct {
    std::int32_t level, leftFirst, leftSecond, rightFirst, rightSecond;
  } questions[] = {{192, 385, 191, 388, 188}, {60, 141, 58, 116, 76}, {11, 11, 10, 10, 11}, {5, 19, 0, 18, 0}};
  const struct {
    Side side;
    std::int32_t phase;
  } answers[] = {{Side::None, 16}, {Side::Left, 101}, {Side::Left, 203}, {Side::Right, 101}, {Side::Right, 203}};
  for (const auto& q : questions) {
    for (const auto& a : answers) {
      for (std::uint32_t seed = 0; seed < 6; ++seed) {
        SCOPED_TRACE(testing::Message() << "level " << q.level << " side " << int(a.side) << " phase " << a.phase
                                        << " seed " << seed);
        GameState s;
        s.phase = a.phase;
        s.chosenSide = a.side;
        s.level = q.level;
        s.frameCount = int(seed);
        s.leftFirst = q.leftFirst;
        s.leftSecond = q.leftSecond;
        s.rightFirst = q.rightFirst;
        s.rightSecond = q.rightSecond;
        Picture bak(400, 300), cg(400, 300);
        Fill(bak, kBackground);
        Random random;
        random.Seed(seed);
        Renderer renderer;
        renderer.PlayFrame(s, random, bak, cg);
        // KESTO_SHOTS=folder keeps the first frame of each case to look at.
        if (const char* shots = std::getenv("KESTO_SHOTS"); shots && seed == 0)
          cg.SavePng(std::string(shots) + "/level" + std::to_string(q.level) + "-side" + std::to_string(int(a.side)) +
                     "-" + std::to_string(a.phase) + ".png");
        for (int y = 60; y < 300; ++y) {
          ASSERT_EQ(cg.PixelAt(0, y), kBackground) << "row " << y;
          ASSERT_EQ(cg.PixelAt(399, y), kBackground) << "row " << y;
        }
        // Row 158 crosses both cells at any size: two runs of text, apart.
        int runs = 0;
        for (int x = 1; x < 400; ++x)
          if (cg.PixelAt(x, 158) != kBackground && cg.PixelAt(x - 1, 158) == kBackground) ++runs;
        EXPECT_EQ(runs, 2);
      }
    }
  }
}

// "Lv⇒N" stands at (302,0) and the GOOD box at y = 15 covers what reaches
// below: every pixel of its glyphs shows above the box.
TEST(Render, LevelTextEndsAboveTheGoodBox) {
  for (std::int32_t level : {0, 6, 54, 192}) {
    SCOPED_TRACE(level);
    GameState s;
    s.phase = 16;
    s.level = level;
    s.timeLeft = 50;
    s.saved.goodCount = 999;
    Picture bak(400, 300), cg(400, 300);
    Fill(bak, kBackground);
    Random random;
    Renderer renderer;
    renderer.PlayFrame(s, random, bak, cg);
    auto inked = [](const Picture& p, int left, int top, int right, int bottom) {
      int n = 0;
      for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += p.PixelAt(x, y) != colours::rose && p.PixelAt(x, y) != kBackground;
      return n;
    };
    // The same text alone, whole, at 14 points or, where the face leaves
    // too little room above its glyphs, a smaller size.
    const std::string text = "Lv⇒" + std::to_string(level / 6 + 1);
    std::vector<int> whole;
    for (int size = 14; size >= 9; --size) {
      Picture alone(200, 60);
      alone.SetBrush(colours::rose);
      alone.SetPen(colours::rose);
      alone.Rectangle(0, 0, 200, 60);
      alone.SetFont(colours::lightYellow, size, true, true);
      alone.PutText(20, 20, text);
      whole.push_back(inked(alone, 0, 0, 200, 60));
    }
    ASSERT_GT(whole.front(), 0);
    EXPECT_NE(std::find(whole.begin(), whole.end(), inked(cg, 302, 0, 400, 15)), whole.end())
        << "shows " << inked(cg, 302, 0, 400, 15) << " inked pixels above the box, at 14 points whole " << whole[0];
    // Both status texts end inside the picture (moved left if need be).
    for (int y = 0; y < 40; ++y) EXPECT_EQ(cg.PixelAt(399, y), kBackground) << "row " << y;
  }
}

// The backend's cells hold every stroke: no ink on a cell's edge, italic
// overhang included.
TEST(Render, TextInkStaysInsideItsCell) {
  const struct {
    int size;
    const char* text;
  } cases[] = {{30, "4+0"},    {40, "4+0"},    {30, "388-188"}, {40, "385-191"}, {48, "19"},
               {60, "17"},     {16, "50秒"},   {14, "Lv⇒2"},    {14, "GOOD⇒48"}, {28, "正解数"},
               {28, "⇒50"},    {16, "(hi:12)"}, {20, "HI-SCORE!!"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " at " << c.size);
    const platform::TextImage image = platform::BackendTextRasterizer().Rasterize(c.size, true, true, c.text);
    const platform::Rect ink = platform::InkBounds(image);
    ASSERT_GT(ink.right, 0);
    EXPECT_GE(ink.left, 1);
    EXPECT_GE(ink.top, 1);
    EXPECT_LE(ink.right, image.width - 1);
    EXPECT_LE(ink.bottom, image.height - 1);
  }
}

TEST(Render, PlayFrameStatusTexts) {
  GameState s;
  s.phase = 16;
  s.timeLeft = 9;
  s.level = 13;
  s.saved.goodCount = 21;
  Picture bak(400, 300), cg(400, 300);
  Fill(bak, kBackground);
  Random random;
  Renderer renderer;
  renderer.PlayFrame(s, random, bak, cg);
  // The status box stands still, outlined in pink, filled pale pink, with the time in violet.
  EXPECT_EQ(cg.PixelAt(10, 10), colours::pink);
  EXPECT_EQ(cg.PixelAt(99, 39), colours::pink);
  EXPECT_EQ(cg.PixelAt(100, 40), kBackground);
  EXPECT_EQ(cg.PixelAt(12, 25), colours::palePink);
  EXPECT_TRUE(RowsWith(cg, colours::violet, 32, 100, 15, 40).Found());
  // Level and score on rose at the top right.
  EXPECT_TRUE(RowsWith(cg, colours::rose, 302, 400, 0, 10).Found());
  EXPECT_TRUE(RowsWith(cg, colours::rose, 282, 400, 15, 30).Found());
  EXPECT_TRUE(RowsWith(cg, colours::lightYellow, 282, 400, 0, 35).Found());
}

TEST(Render, GameOverFrame) {
  struct Case {
    bool newBest;
    std::int32_t frameCount;
    std::optional<Color> banner;
  } cases[] = {{true, 10, colours::hotPink}, {true, 11, colours::orchid}, {false, 10, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.newBest << " " << c.frameCount);
    GameState s;
    s.frameCount = c.frameCount;
    s.saved.goodCount = 999;
    s.saved.hiScore = 999;
    Picture ending(400, 300), bak(400, 300), cg(400, 300);
    Fill(ending, kBackground);
    Random random;
    Renderer renderer;
    renderer.GameOverFrame(s, c.newBest, random, ending, bak, cg);
    EXPECT_EQ(bak.PixelAt(300, 200), kBackground);  // the ending, unchanged
    EXPECT_EQ(cg.PixelAt(0, 0), kBackground);
    EXPECT_TRUE(RowsWith(cg, colours::white, 250, 400, 130, 230).Found());  // score and best
    const Span hot = RowsWith(cg, colours::hotPink, 230, 400, 235, 300);
    const Span orchid = RowsWith(cg, colours::orchid, 230, 400, 235, 300);
    EXPECT_EQ(hot.Found(), c.banner == colours::hotPink);
    EXPECT_EQ(orchid.Found(), c.banner == colours::orchid);
    // The longest scores stay whole, trembling included.
    for (int y = 0; y < 300; ++y) ASSERT_EQ(cg.PixelAt(399, y), kBackground) << "row " << y;
  }
}

TEST(Render, TitleFrameShowsBak) {
  Picture bak(400, 300), cg(400, 300);
  Fill(bak, kBackground);
  Random random;
  Renderer renderer;
  renderer.TitleFrame(random, bak, cg);
  EXPECT_EQ(cg.PixelAt(0, 0), kBackground);
  EXPECT_EQ(cg.PixelAt(399, 299), kBackground);
}

}  // namespace
}  // namespace game
