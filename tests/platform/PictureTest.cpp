#include "platform/Picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Errors.h"

namespace {

using platform::Color;
using platform::Picture;
using platform::Rect;

const Color kRed{255, 0, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0};

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, unsigned v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// An 8-bit palette BMP, bottom-up, 4 x 2: top row palette index 1, bottom row 2.
std::vector<std::uint8_t> TinyBmp() {
  std::vector<std::uint8_t> b = {'B', 'M'};
  const unsigned palette = 3 * 4, pixels = 2 * 4;
  Put32(b, 14 + 40 + palette + pixels);
  Put32(b, 0);
  Put32(b, 14 + 40 + palette);
  Put32(b, 40);
  Put32(b, 4);
  Put32(b, 2);  // positive height: bottom-up
  Put16(b, 1);
  Put16(b, 8);
  Put32(b, 0);
  Put32(b, pixels);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 3);
  Put32(b, 3);
  for (std::uint8_t entry : {0, 0, 0, 0, /*red*/ 0, 0, 255, 0, /*blue*/ 255, 0, 0, 0}) b.push_back(entry);
  for (int i = 0; i < 4; ++i) b.push_back(2);  // stored first: the bottom row
  for (int i = 0; i < 4; ++i) b.push_back(1);
  return b;
}

TEST(Picture, LoadsPaletteBmpBottomUp) {
  const auto bytes = TinyBmp();
  Picture p(53, 57);
  EXPECT_FALSE(p.Loaded());
  p.LoadFromMemory(bytes.data(), bytes.size());
  EXPECT_TRUE(p.Loaded());
  EXPECT_EQ(p.Width(), 4);
  EXPECT_EQ(p.Height(), 2);
  EXPECT_EQ(p.PixelAt(0, 0), kRed);
  EXPECT_EQ(p.PixelAt(3, 1), kBlue);
}

TEST(Picture, LoadFailuresLeaveThePictureAndSayWhy) {
  Picture p(10, 10);
  try {
    p.LoadFromFile("/nonexistent/cg/start.bmp");
    FAIL();
  } catch (const platform::IoError& e) {
    EXPECT_NE(std::string(e.what()).find("start.bmp"), std::string::npos);
  }
  const std::string notBmp = testing::TempDir() + "/not.bmp";
  std::ofstream(notBmp) << "hello, this is text";
  EXPECT_THROW(p.LoadFromFile(notBmp), platform::IoError);
  EXPECT_EQ(p.Width(), 10);
  EXPECT_FALSE(p.Loaded());
}

TEST(Picture, StretchOntoItselfReadsTheOldPicture) {
  // Left half red, right half blue; stretched 2x onto itself from the left
  // edge, the whole picture must become red (an in-place copy would smear).
  Picture p(8, 1);
  p.SetBrush(kRed);
  p.SetPen(kRed);
  p.Rectangle(0, 0, 4, 1);
  p.SetBrush(kBlue);
  p.SetPen(kBlue);
  p.Rectangle(4, 0, 8, 1);
  p.CopyRect(Rect{0, 0, 16, 1}, p, Rect{0, 0, 8, 1});
  for (int x = 0; x < 8; ++x) EXPECT_EQ(p.PixelAt(x, 0), kRed) << x;

  // Negative origin, enlarged: every source column lands, clipped at the edges.
  Picture q(4, 1), src(4, 1);
  const Color cols[] = {kRed, kBlue, kBlack, kWhite};
  for (int x = 0; x < 4; ++x) {
    src.SetBrush(cols[x]);
    src.SetPen(cols[x]);
    src.Rectangle(x, 0, x + 1, 1);
  }
  q.CopyRect(Rect{-2, 0, 6, 1}, src, Rect{0, 0, 4, 1});
  EXPECT_EQ(q.PixelAt(0, 0), kBlue);
  EXPECT_EQ(q.PixelAt(1, 0), kBlue);
  EXPECT_EQ(q.PixelAt(2, 0), kBlack);
  EXPECT_EQ(q.PixelAt(3, 0), kBlack);
}

TEST(Picture, RectangleHasPenOutlineAndBrushFill) {
  Picture p(20, 20);
  p.SetPen(kRed);
  p.SetBrush(kBlue);
  p.Rectangle(10, 10, 15, 14);
  EXPECT_EQ(p.PixelAt(10, 10), kRed);
  EXPECT_EQ(p.PixelAt(14, 13), kRed);
  EXPECT_EQ(p.PixelAt(12, 12), kBlue);
  EXPECT_EQ(p.PixelAt(15, 14), kWhite);  // right and bottom are exclusive
  EXPECT_EQ(p.PixelAt(9, 10), kWhite);
}

// Counts pixels of exactly the given colour in a box.
int Count(const Picture& p, Color c, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += p.PixelAt(x, y) == c;
  return n;
}

TEST(Picture, OpaqueJapaneseTextScalesWithPointSize) {
  Picture small(400, 300), big(400, 300);
  for (auto [p, size] : {std::pair{&small, 16}, std::pair{&big, 32}}) {
    p->SetBrush(Color{255, 234, 255});
    p->SetFont(Color{128, 0, 255}, size, true, true);
    p->PutText(10, 10, "50秒");
  }
  // The cell is brush-coloured; the glyphs put font-coloured pixels in it.
  const int smallInk = Count(small, Color{128, 0, 255}, 0, 0, 400, 300);
  const int bigInk = Count(big, Color{128, 0, 255}, 0, 0, 400, 300);
  EXPECT_GT(smallInk, 20);
  EXPECT_GT(bigInk, 3 * smallInk);
  EXPECT_EQ(small.PixelAt(10, 10), (Color{255, 234, 255}));
  EXPECT_EQ(small.PixelAt(9, 9), kWhite);
  // 16 pt at 96 dpi is about 21 pixels high: nothing is drawn far below.
  EXPECT_EQ(Count(small, Color{255, 234, 255}, 0, 40, 400, 300), 0);

  // Each glyph is different: "秒" is not a box (a missing glyph would be).
  Picture a(100, 60), b(100, 60);
  a.SetFont(kBlack, 28, true, true);
  b.SetFont(kBlack, 28, true, true);
  a.PutText(0, 0, "正");
  b.PutText(0, 0, "秒");
  EXPECT_NE(Count(a, kBlack, 0, 0, 100, 60), Count(b, kBlack, 0, 0, 100, 60));
}

TEST(Picture, SavesPng) {
  Picture p(400, 300);
  const std::string path = testing::TempDir() + "/shot.png";
  p.SavePng(path);
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  in.read(magic, 4);
  EXPECT_EQ(std::string(magic + 1, 3), "PNG");
  EXPECT_THROW(p.SavePng("/nonexistent/dir/x.png"), platform::IoError);
}

}  // namespace
