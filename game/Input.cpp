#include "game/Input.h"

#include "game/Unit1.h"

namespace game {

bool InRestartPlace(int x, int y) { return x >= 0 && x <= 56 && y >= 219 && y <= 253; }

bool InEndPlace(int x, int y) { return x >= 0 && x <= 56 && y >= 264 && y <= 294; }

bool AcceptsAnswer(const GameState& s) { return s.phase >= 5 && s.phase <= 99 && s.timeLeft > 0; }

bool Answer(GameState& s, int x) {
  s.chosenSide = x > 200 ? 2 : 1;
  const std::int64_t left = LeftValue(s), right = RightValue(s);
  const bool correct = s.chosenSide == 2 ? right > left : left > right;
  if (correct) {
    s.phase = 100;
    s.saved.goodCount += 1;
  } else {
    s.phase = 200;
    s.saved.missCount += 1;
    s.timeLeft -= 1;
  }
  return correct;
}

void TForm1::cgMouseDown(int x, int y, platform::MouseButton) {
  if (!Timer1->Enabled() && !GameState.gameOver) {
    Timer1->SetEnabled(true);
    Timer3->SetEnabled(true);
    Timer2->SetEnabled(false);
    GameState.timeLeft = 50;
    GameState.gameOver = false;
    GameState.phase = 0;
    CueSound0("1.wav");
    CueSound0("start.wav");
    CueMusic("T_ssix05.mid");
    GameState.saved.goodCount = 0;
    GameState.level = 0;
    return;
  }
  if (GameState.gameOver) {
    if (InRestartPlace(x, y)) {
      GameState.timeLeft = 50;
      GameState.gameOver = false;
      Timer1->SetEnabled(false);
      Timer3->SetEnabled(false);
      Timer2->SetEnabled(true);
      CueSound0("1.wav");
      CueSound1("yatta.wav");
      GameState.saved.goodCount = 0;
      GameState.level = 0;
      GameState.phase = 0;
      LoadStartPicture();
    } else if (InEndPlace(x, y)) {
      host_.Main().Close();
    }
    return;
  }
  if (!AcceptsAnswer(GameState)) return;
  CueSound0(Answer(GameState, x) ? "good.wav" : "gya1.wav");
}

}  // namespace game
