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
constexpr int kChosenTextRight = kPictureWidth - kTremble;

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

// The style of one expression: base, then the highlight of the chosen side.
void ExpressionStyle(Picture& bak, const GameState& s, Side side) {
  const ExpressionSizes& sizes = KindOf(s.level) == QuestionKind::Numbers ? kNumberSizes : kSumSizes;
  const bool even = EvenFrame(s);
  platform::Color font = colours::grey, brush = colours::white;
  int size = sizes.base;
  if (s.chosenSide == side && !AnsweredWrong(s.phase)) {
    size = sizes.chosen;
    brush = even ? colours::yellow : colours::lightYellow;
    font = even ? colours::pink : colours::white;
  } else if (s.chosenSide == side) {
    size = sizes.chosen;
    brush = even ? colours::violet : colours::purple;
    font = even ? colours::red : colours::black;
  } else if (s.chosenSide != Side::None) {
    size = kOtherSideSize;
  }
  bak.SetFont(font, size, true, true);
  bak.SetBrush(brush);
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
  ExpressionStyle(bak, s, side);
  const bool left = side == Side::Left;
  if (!(left ? phases::kLeftText : phases::kRightText).Contains(s.phase)) return;
  FormatExpression(text_, left ? s.leftFirst : s.rightFirst, left ? s.leftSecond : s.rightSecond, s.level);
  int x = (left ? 30 : 280) - random.R(kTremble);
  const int y = 150 - random.R(kTremble);
  // A chosen text is large: moved left just enough that it ends inside the
  // picture even after the trembling zoom has pushed the right edge out.
  if (s.chosenSide == side) x = std::min(x, kChosenTextRight - bak.TextWidth(text_));
  bak.PutText(x, y, text_);
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
  bak.PutText(32, 15, text_);

  bak.SetFont(colours::lightYellow, 14, true, true);
  bak.SetBrush(colours::rose);
  text_ = "Lv⇒";
  Append(text_, DisplayedLevel(s));
  bak.PutText(302, 0, text_);
  text_ = "GOOD⇒";
  Append(text_, s.saved.goodCount);
  bak.PutText(282, 15, text_);

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
    cg.PutText(x, y, text_);
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
