#include "game/Render.h"

#include <algorithm>
#include <charconv>

#include "game/Phases.h"

namespace game {
namespace {

using platform::Picture;
using platform::Rect;

// Each trembling coordinate moves by R(kTremble): 0 to 4 pixels.
constexpr std::int32_t kTremble = 5;
// The trembling zoom moves a column x to at most x x (400 + 4) / 400, so a
// text whose cell ends before this column stays whole on the picture.
constexpr int kTextRight = kPictureWidth - kTremble;

void Append(std::string& out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

// The text sizes of an expression before an answer and once its side is
// chosen: single numbers are larger than sums and differences. The side not
// chosen is shown at kOtherSideSize.
struct ExpressionSizes {
  int base, chosen;
};
constexpr ExpressionSizes kNumberSizes{48, 60};
constexpr ExpressionSizes kSumSizes{30, 40};
constexpr int kOtherSideSize = 30;

// The smallest size an expression shrinks to when even its tighter place
// would not hold it.
constexpr int kSmallestExpressionSize = 12;
// The right expression begins at least this far right of where the left one
// ends, trembling zoom included.
constexpr int kExpressionGap = 8;

// The status texts stand above the GOOD box: the level's glyphs end above it.
constexpr int kGoodBoxTop = 15;
constexpr int kStatusSize = 14;
constexpr int kSmallestStatusSize = 9;

// Opaque text at (x, y), moved left when its cell would reach the picture's
// last column, so that every stroke shows.
void PutWhole(Picture& p, int x, int y, const std::string& text) {
  p.PutText(std::min(x, kPictureWidth - 1 - p.TextWidth(text)), y, text);
}

struct TextStyle {
  platform::Color font, brush;
  int size;
};

// The style of one expression: base, then the highlight of the chosen side.
TextStyle ExpressionStyle(const GameState& s, Side side) {
  const ExpressionSizes& sizes = KindOf(s.level) == QuestionKind::Numbers ? kNumberSizes : kSumSizes;
  const bool even = EvenFrame(s);
  TextStyle style{colours::grey, colours::white, sizes.base};
  if (s.chosenSide == side && !AnsweredWrong(s.phase)) {
    style = {even ? colours::pink : colours::white, even ? colours::yellow : colours::lightYellow, sizes.chosen};
  } else if (s.chosenSide == side) {
    style = {even ? colours::red : colours::black, even ? colours::violet : colours::purple, sizes.chosen};
  } else if (s.chosenSide != Side::None) {
    style.size = kOtherSideSize;
  }
  return style;
}

}  // namespace

void FormatExpression(std::string& out, std::int32_t first, std::int32_t second, std::int32_t level) {
  out.clear();
  Append(out, first);
  const QuestionKind kind = KindOf(level);
  if (kind == QuestionKind::Numbers) return;
  out += kind == QuestionKind::Sums ? '+' : '-';
  Append(out, second);
}

void CopyWhole(Picture& dest, const Picture& source) { dest.CopyRect(kWholePicture, source, kWholePicture); }

void TremblingCopy(Picture& dest, const Picture& source, Random& random) {
  Rect to;
  to.left = -random.R(kTremble);
  to.top = -random.R(kTremble);
  to.right = kPictureWidth + random.R(kTremble);
  to.bottom = kPictureHeight + random.R(kTremble);
  dest.CopyRect(to, source, kWholePicture);
}

Renderer::Renderer() { text_.reserve(64); }

void Renderer::Expression(const GameState& s, Random& random, Picture& bak, Side side) {
  TextStyle style = ExpressionStyle(s, side);
  bak.SetFont(style.font, style.size, true, true);
  bak.SetBrush(style.brush);
  const bool left = side == Side::Left;
  if (left) leftEnd_ = 0;
  if (!(left ? phases::kLeftText : phases::kRightText).Contains(s.phase)) return;
  FormatExpression(text_, left ? s.leftFirst : s.rightFirst, left ? s.leftSecond : s.rightSecond, s.level);
  int x = (left ? 30 : 280) - random.R(kTremble);
  const int y = 150 - random.R(kTremble);
  // A text that would run past the right edge (trembling zoom included) is
  // moved left just enough; the right one no further than the left one's
  // end (both tremble together, so the zoom keeps them apart). Only when
  // that place cannot hold it either does it shrink.
  const int lowest = left ? 0 : leftEnd_ + kExpressionGap;
  int width = bak.TextWidth(text_);
  while (std::min(x, kTextRight - width) < lowest && style.size > kSmallestExpressionSize) {
    bak.SetFont(style.font, --style.size, true, true);
    width = bak.TextWidth(text_);
  }
  x = std::max(std::min(x, kTextRight - width), lowest);
  bak.PutText(x, y, text_);
  if (left) leftEnd_ = x + width;
}

void Renderer::PlayFrame(const GameState& s, Random& random, Picture& bak, Picture& cg) {
  Expression(s, random, bak, Side::Left);
  Expression(s, random, bak, Side::Right);
  TremblingCopy(bak, bak, random);

  bak.SetPen(colours::pink);
  bak.SetBrush(colours::palePink);
  bak.Rectangle(10, 10, 100, 40);
  text_.clear();
  Append(text_, s.timeLeft);
  text_ += "秒";
  bak.SetFont(colours::violet, 16, true, true);
  PutWhole(bak, 32, 15, text_);

  bak.SetFont(colours::lightYellow, kStatusSize, true, true);
  bak.SetBrush(colours::rose);
  text_ = "Lv⇒";
  Append(text_, DisplayedLevel(s));
  // The GOOD box below covers the cell's foot: when the glyphs would reach
  // it, the cell's blank top rows go above the picture, so the box still
  // starts at the top edge and the glyphs end above the GOOD box; a face
  // with too little room above its glyphs is drawn smaller.
  int size = kStatusSize;
  int raise = 0;
  for (;;) {
    const platform::Rect ink = bak.TextInk(text_);
    raise = std::clamp(ink.bottom - kGoodBoxTop, 0, std::max(ink.top - 1, 0));
    if (ink.bottom - raise <= kGoodBoxTop || size <= kSmallestStatusSize) break;
    bak.SetFont(colours::lightYellow, --size, true, true);
  }
  PutWhole(bak, 302, -raise, text_);
  bak.SetFont(colours::lightYellow, kStatusSize, true, true);
  text_ = "GOOD⇒";
  Append(text_, s.saved.goodCount);
  PutWhole(bak, 282, 15, text_);

  CopyWhole(cg, bak);
}

void Renderer::GameOverFrame(const GameState& s, bool newBest, Random& random, const Picture& ending, Picture& bak,
                             Picture& cg) {
  CopyWhole(bak, ending);
  TremblingCopy(cg, bak, random);

  // Offsets are added here, in drawing order x then y.
  auto draw = [&](int x, int y) {
    x += random.R(kTremble);
    y += random.R(kTremble);
    PutWhole(cg, x, y, text_);
  };
  cg.SetFont(colours::grey, 28, true, true);
  cg.SetBrush(colours::white);
  text_ = "正解数";
  draw(250, 130);
  text_ = "⇒";
  Append(text_, s.saved.goodCount);
  draw(260, 170);
  cg.SetFont(colours::grey, 16, true, true);
  text_ = "(hi:";
  Append(text_, s.saved.hiScore);
  text_ += ')';
  draw(270, 210);
  if (newBest) {
    cg.SetFont(EvenFrame(s) ? colours::hotPink : colours::orchid, 20, true, true);
    text_ = "HI-SCORE!!";
    draw(230, 235);
  }
}

void Renderer::TitleFrame(Random& random, const Picture& bak, Picture& cg) { TremblingCopy(cg, bak, random); }

}  // namespace game
