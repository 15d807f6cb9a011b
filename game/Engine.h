// The round engine: question drawing, the phase table, level changes, the
// game-over step and the countdown, as pure operations on GameState. The
// window's timer handlers (TForm1::Timer1Timer, Timer3Timer) carry out what
// these report: the picture copy, the cues and the frame.
#pragma once

#include <cstdint>

#include "game/GameState.h"
#include "game/Phases.h"

namespace game {

// A new question for the current level: afterwards the left and right
// values differ.
void DrawQuestion(GameState& state, Random& random);

// One step of the phase table: moves phase on (and the level where a
// reaction ends) and returns the picture for this tick, Face::None to keep
// bak as it is.
Face StepPhase(GameState& state);

// The level after a miss: halved, rounded down, at least 1.
std::int32_t LevelAfterMiss(std::int32_t level);

struct TickResult {
  bool playing = false;  // true: the play step ran; false: the game-over step
  Face face = Face::None;
  bool levelUp = false;  // entered the level-up phases: cue "lv.wav"
  bool timeUp = false;   // the first game-over tick: cue "rei.mid", "katan.wav"
  bool newBest = false;  // this game-over tick found a new best
};

// Every change of state of one engine tick, in the engine's order; the
// caller then copies the face, gives the cues and renders.
TickResult AdvanceTick(GameState& state, Random& random);

// One second of the countdown; true when it took the second (cue "time.wav").
bool CountDown(GameState& state);

}  // namespace game
