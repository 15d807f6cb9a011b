// The three frames: play, game-over and title. Each sets every drawing
// attribute it relies on, so a frame depends only on GameState, the pictures
// and the random draws (R(5) per coordinate, in drawing order).
#pragma once

#include <cstdint>
#include <string>

#include "game/GameState.h"
#include "game/Layout.h"
#include "platform/Picture.h"

namespace game {

// The whole picture, from (0,0) to (400,300).
inline constexpr platform::Rect kWholePicture{0, 0, kPictureWidth, kPictureHeight};

namespace colours {
constexpr platform::Color grey{128, 128, 128};
constexpr platform::Color white{255, 255, 255};
constexpr platform::Color yellow{255, 255, 0};
constexpr platform::Color lightYellow{255, 255, 128};
constexpr platform::Color pink{255, 128, 192};
constexpr platform::Color violet{128, 0, 255};
constexpr platform::Color purple{128, 0, 128};
constexpr platform::Color red{255, 0, 0};
constexpr platform::Color black{0, 0, 0};
constexpr platform::Color palePink{255, 234, 255};
constexpr platform::Color rose{255, 0, 128};
constexpr platform::Color hotPink{255, 70, 163};
constexpr platform::Color orchid{255, 81, 255};
}  // namespace colours

// An expression as shown: "7" below level 6, "7+3" up to 11, "7-3" from 12.
void FormatExpression(std::string& out, std::int32_t first, std::int32_t second, std::int32_t level);

// Copies the whole 400 x 300 of `source` onto the same rectangle of `dest`.
void CopyWhole(platform::Picture& dest, const platform::Picture& source);

// Stretches the whole 400 x 300 of `source` onto `dest` enlarged by r on each
// side, with a fresh r = R(5) for left, top, right and bottom in that order.
void TremblingCopy(platform::Picture& dest, const platform::Picture& source, Random& random);

// Draws the frames. It keeps its text buffer between frames so that drawing
// does not allocate.
class Renderer {
 public:
  Renderer();

  // The expressions, the highlight of the chosen side, the trembling zoom of
  // bak onto itself and the status texts, composed in bak and shown in cg.
  void PlayFrame(const GameState& state, Random& random, platform::Picture& bak, platform::Picture& cg);
  // The ending picture through bak, trembling onto cg, with the score, the
  // best score and, when newBest, the flashing banner.
  void GameOverFrame(const GameState& state, bool newBest, Random& random, const platform::Picture& ending,
                     platform::Picture& bak, platform::Picture& cg);
  // bak trembling onto cg.
  void TitleFrame(Random& random, const platform::Picture& bak, platform::Picture& cg);

 private:
  // One side's expression: its style, then its text from the tick it first
  // shows until the reaction ends.
  void Expression(const GameState& state, Random& random, platform::Picture& bak, Side side);

  std::string text_;
  // Where this frame's left expression ends in bak; 0 when it is not shown.
  int leftEnd_ = 0;
};

}  // namespace game
