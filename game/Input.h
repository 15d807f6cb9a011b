// Judging the player's presses on the picture: the places of the game-over
// screen and the answer during play. TForm1::cgMouseDown carries out what
// Press reports.
#pragma once

#include "game/GameState.h"

namespace game {

// Game-over screen places, in pixels of the 400 x 300 picture, bounds inclusive.
bool InRestartPlace(int x, int y);
bool InEndPlace(int x, int y);
// A point inside the restart place (a start anywhere on the title).
inline constexpr int kRestartPointX = 0, kRestartPointY = 236;

// Whether a press during play answers: the asking band and time left.
bool AcceptsAnswer(const GameState& state);

// Judges an accepted press at x (right side from 201 on): records the side,
// moves phase to the right or wrong reaction and counts it; a miss also takes
// a second. True when the chosen side's value is strictly the bigger.
bool Answer(GameState& state, int x);

// What a press did.
enum class PressResult {
  Ignored,
  Start,    // from the title: a game began
  Restart,  // in the game-over screen's restart place: back to the title
  End,      // in the game-over screen's end place: the window closes
  Right,    // an answer, judged right
  Wrong,    // an answer, judged wrong
};

// Every change of state of a press at (x, y), any button; `engineRunning`
// tells whether Timer1 is enabled. The caller then switches the timers, gives
// the cues and loads the start picture or closes the window.
PressResult Press(GameState& state, bool engineRunning, int x, int y);

}  // namespace game
