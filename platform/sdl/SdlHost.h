// The real backend: an SDL2 window, SDL audio, SDL2_ttf text, FluidSynth MIDI.
#pragma once

#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform::sdl {

// Starts SDL's video and events. Throws std::runtime_error with SDL's message
// when there is no display. programFolder ends with a separator.
std::unique_ptr<Host> CreateSdlHost(const std::string& programFolder);

}  // namespace platform::sdl
