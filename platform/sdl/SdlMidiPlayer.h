// The MIDI player of the SDL backend: FluidSynth with a General MIDI
// soundfont (FluidMusic), mixed into the output of the host's wave device
// beside the waves. The music sounds while that device is open; the game's
// mixer component opens it as the window is created, before the first
// music cue, and keeps it until the window is gone. The soundfont is loaded
// at the first Open (again only if the device's rate has changed since).
#pragma once

#include <memory>

#include "platform/Host.h"
#include "platform/MidiPlayer.h"

namespace platform::sdl {

// The player must not outlive the host.
std::unique_ptr<MidiPlayer> CreateSdlMidiPlayer(Host& host);

}  // namespace platform::sdl
