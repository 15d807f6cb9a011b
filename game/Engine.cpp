#include "game/Engine.h"

#include "game/Unit1.h"

namespace game {

void DrawQuestion(GameState& s, Random& random) {
  const std::int32_t L = s.level;
  switch (KindOf(L)) {
    case QuestionKind::Numbers:
      s.leftFirst = random.R(10) + 2 * L;
      s.rightFirst = random.R(10) + 2 * L;
      while (s.leftFirst == s.rightFirst) s.leftFirst = random.R(10) + 2 * L;
      break;
    case QuestionKind::Sums:
      s.leftFirst = random.R(L) + 1;
      s.leftSecond = random.R(L);
      s.rightFirst = random.R(L) + 1;
      s.rightSecond = random.R(L);
      while (s.leftFirst + s.leftSecond == s.rightFirst + s.rightSecond) s.leftFirst = random.R(L + 1);
      break;
    case QuestionKind::Differences:
      s.leftFirst = random.R(L) + 1;
      s.leftSecond = random.R(L);
      while (s.leftFirst < s.leftSecond) s.leftFirst = random.R(2 * L) + 1;
      s.rightFirst = random.R(L) + 1;
      s.rightSecond = random.R(L);
      while (s.rightFirst < s.rightSecond) s.rightFirst = random.R(2 * L) + 1;
      while (s.leftFirst - s.leftSecond == s.rightFirst - s.rightSecond) s.leftFirst += 1;
      break;
  }
}

std::int32_t LevelAfterMiss(std::int32_t level) {
  level /= 2;
  return level < 1 ? 1 : level;
}

Face StepPhase(GameState& s) {
  const std::int32_t p = s.phase;
  if (p >= 0 && p <= 4) {
    s.phase += 1;
    return Face::Nomal2;
  }
  if (p >= 5 && p <= 9) {
    s.phase += 1;
    return Face::Nomal3;
  }
  if (p >= 10 && p <= 15) {
    s.phase += 1;
    return Face::Which;
  }
  if (p == 16) return Face::Nomal1;
  if (p >= 100 && p <= 106) {
    s.phase += 1;
    return Face::Great;
  }
  if (p == 107) {
    s.phase = 0;
    s.level += 1;
    if (s.level == 6 || s.level == 12) s.phase = 300;
    return Face::None;
  }
  if (p >= 200 && p <= 206) {
    s.phase += 1;
    return Face::Cry;
  }
  if (p == 207) {
    s.phase = 0;
    s.level = LevelAfterMiss(s.level);
    return Face::None;
  }
  if (p >= 300 && p <= 309) {
    s.phase += 1;
    return s.frameCount % 2 == 0 ? Face::Lv1 : Face::Lv2;
  }
  if (p == 310) s.phase = 0;
  return Face::None;
}

TickResult AdvanceTick(GameState& s, Random& random) {
  TickResult result;
  s.frameCount += 1;
  if (s.frameCount > 99) s.frameCount = 0;
  if (s.timeLeft > 0) {
    result.playing = true;
    if (s.phase == 0) {
      DrawQuestion(s, random);
      s.chosenSide = 0;
    }
    result.face = StepPhase(s);
    result.levelUp = s.phase == 300;
    return result;
  }
  result.timeUp = !s.gameOver;
  s.gameOver = true;
  // Equalling the old best counts, and so does every later game-over tick.
  if (s.saved.goodCount >= s.saved.hiScore) {
    s.saved.hiScore = s.saved.goodCount;
    result.newBest = true;
  }
  return result;
}

bool CountDown(GameState& s) {
  if (s.gameOver) return false;
  s.timeLeft -= 1;
  return true;
}

const platform::Picture* TForm1::FacePicture(Face face) const {
  switch (face) {
    case Face::Nomal1:
      return &nomal1;
    case Face::Nomal2:
      return &nomal2;
    case Face::Nomal3:
      return &nomal3;
    case Face::Which:
      return &which;
    case Face::Great:
      return &great;
    case Face::Cry:
      return &cry;
    case Face::Lv1:
      return &lv1;
    case Face::Lv2:
      return &lv2;
    case Face::None:
      break;
  }
  return nullptr;
}

void TForm1::Timer1Timer() {
  const TickResult tick = AdvanceTick(GameState, random);
  if (tick.playing) {
    if (const platform::Picture* face = FacePicture(tick.face)) CopyWhole(bak, *face);
    if (tick.levelUp) CueSound0("lv.wav");
    RenderPlayFrame();
    return;
  }
  if (tick.timeUp) {
    CueMusic("rei.mid");
    CueSound0("katan.wav");
  }
  RenderGameOverFrame(tick.newBest);
}

void TForm1::Timer2Timer() { RenderTitleFrame(); }

void TForm1::Timer3Timer() {
  if (CountDown(GameState)) CueSound0("time.wav");
}

}  // namespace game
