// The media player for MIDI files over the Media Control Interface's
// sequencer ("open ... type sequencer", "play ... from 0", "close").
#pragma once

#include <memory>

#include "platform/MidiPlayer.h"

namespace platform::win32 {

std::unique_ptr<MidiPlayer> CreateMciMidiPlayer();

}  // namespace platform::win32
