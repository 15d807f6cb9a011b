// The MIDI player of the SDL backend.
#pragma once

#include <memory>

#include "platform/Host.h"
#include "platform/MidiPlayer.h"

namespace platform::sdl {

std::unique_ptr<MidiPlayer> CreateSdlMidiPlayer(Host& host);

}  // namespace platform::sdl
