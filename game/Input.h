// Judging the player's presses on the picture (TForm1::cgMouseDown): the
// places of the game-over screen and the answer during play.
#pragma once

#include "game/GameState.h"

namespace game {

// Game-over screen places, in pixels of the 400 x 300 picture, bounds inclusive.
bool InRestartPlace(int x, int y);
bool InEndPlace(int x, int y);

// Whether a press during play answers: the asking band and time left.
bool AcceptsAnswer(const GameState& state);

// Judges an accepted press at x (right side from 201 on): records the side,
// moves phase to 100 or 200 and counts it; a miss also takes a second.
// True when the chosen side's value is strictly the bigger.
bool Answer(GameState& state, int x);

}  // namespace game
