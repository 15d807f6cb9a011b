#include "platform/Scaling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace platform {
namespace {

// The largest factor whose window takes at most two thirds of the usable
// height (and fits the width), 1 to 8.
TEST(Scaling, DefaultFactorFitsTwoThirdsOfTheUsableHeight) {
  const struct {
    int width, height, scale;
  } cases[] = {
      {1280, 800, 1},  {1920, 1080, 2}, {3840, 2160, 4}, {1280, 900, 2},  // 600 is exactly two thirds of 900
      {1280, 899, 1},  {640, 480, 1},   {300, 200, 1},   {7680, 4320, 8},
      {15360, 8640, 8}, {700, 2160, 1},  // too narrow for 2 x 400
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DefaultScale(400, 300, c.width, c.height), c.scale) << c.width << "x" << c.height;
  }
}

TEST(Scaling, PictureTakesWholeFactorsCentredOnBars) {
  const struct {
    int windowWidth, windowHeight;
    Placement expected;
  } cases[] = {
      {400, 300, {0, 0, 400, 300}},    {800, 600, {0, 0, 800, 600}},     {1920, 1080, {360, 90, 1200, 900}},
      {1000, 600, {100, 0, 800, 600}}, {799, 599, {199, 149, 400, 300}}, {200, 300, {0, 75, 200, 150}},
      {400, 150, {100, 0, 200, 150}},
  };
  for (const auto& c : cases) {
    const Placement p = PlacePicture(400, 300, c.windowWidth, c.windowHeight);
    EXPECT_EQ((std::array{p.x, p.y, p.width, p.height}),
              (std::array{c.expected.x, c.expected.y, c.expected.width, c.expected.height}))
        << c.windowWidth << "x" << c.windowHeight;
  }
}

// At factor 2 window pixel (2x, 2y) and (2x + 1, 2y + 1) are picture pixel
// (x, y) exactly; the bars are nobody's.
TEST(Scaling, WindowPixelsMapBackToPicturePixels) {
  int x = -1, y = -1;
  const Placement doubled = PlacePicture(400, 300, 800, 600);
  for (const auto& [px, py] : {std::pair{0, 0}, {200, 150}, {399, 299}, {201, 7}}) {
    for (int d : {0, 1}) {
      ASSERT_TRUE(WindowToPicture(doubled, 400, 300, 2 * px + d, 2 * py + d, &x, &y));
      EXPECT_EQ(x, px);
      EXPECT_EQ(y, py);
    }
  }
  const Placement barred = PlacePicture(400, 300, 1920, 1080);  // factor 3 at (360, 90)
  EXPECT_FALSE(WindowToPicture(barred, 400, 300, 359, 500, &x, &y));
  EXPECT_FALSE(WindowToPicture(barred, 400, 300, 1560, 500, &x, &y));
  EXPECT_FALSE(WindowToPicture(barred, 400, 300, 800, 89, &x, &y));
  ASSERT_TRUE(WindowToPicture(barred, 400, 300, 360 + 3 * 201 + 2, 90 + 3 * 150, &x, &y));
  EXPECT_EQ(x, 201);
  EXPECT_EQ(y, 150);
}

// Bars, face and picture cover every window pixel exactly once: at the
// window's own size, with bars on every side, at a fraction of a factor
// over, and with a picture smaller than the laid-out area.
TEST(Scaling, SurroundAndPictureCoverTheWindowOnce) {
  struct Case {
    int windowWidth, windowHeight, pictureWidth, pictureHeight, expectBars, expectFace;
  };
  for (const Case& c : {Case{800, 600, 400, 300, 0, 0}, Case{1000, 700, 400, 300, 4, 0},
                        Case{401, 301, 400, 300, 2, 0}, Case{800, 600, 390, 290, 0, 2}}) {
    const Placement place = PlacePicture(400, 300, c.windowWidth, c.windowHeight);
    const int shownWidth = c.pictureWidth * place.width / 400, shownHeight = c.pictureHeight * place.height / 300;
    const Surround around = SurroundPicture(place, c.windowWidth, c.windowHeight, shownWidth, shownHeight);
    EXPECT_EQ(around.barCount, c.expectBars);
    EXPECT_EQ(around.faceCount, c.expectFace);
    std::vector<int> covered(std::size_t(c.windowWidth * c.windowHeight), 0);
    const auto cover = [&](Area a) {
      for (int y = a.y; y < a.y + a.height; ++y)
        for (int x = a.x; x < a.x + a.width; ++x) ++covered[std::size_t(y * c.windowWidth + x)];
    };
    for (int i = 0; i < around.barCount; ++i) cover(around.bars[i]);
    for (int i = 0; i < around.faceCount; ++i) cover(around.face[i]);
    cover({place.x, place.y, shownWidth, shownHeight});
    EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), c.windowWidth * c.windowHeight)
        << c.windowWidth << "x" << c.windowHeight;
  }
}

}  // namespace
}  // namespace platform
