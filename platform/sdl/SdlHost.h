// The real backend: an SDL2 window, SDL audio, SDL2_ttf text, FluidSynth MIDI.
#pragma once

#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform::sdl {

// Starts SDL's video and events. Throws std::runtime_error with SDL's message
// when there is no display. programFolder ends with a separator. The main
// window is shown enlarged `scale` times (kMinScale to kMaxScale), or at
// platform::DefaultScale for its display when scale is 0.
std::unique_ptr<Host> CreateSdlHost(const std::string& programFolder, int scale = 0);

}  // namespace platform::sdl
