// The wave-out device over winmm. Each of our blocks has a WAVEHDR of its
// own from PrepareHeader to UnprepareHeader; the device reports finished
// blocks to a callback function on its own thread, which marks our block
// done and posts mm::kWomDone (MM_WOM_DONE) with our block to the window the
// device was opened for, through MixerHost::Post: on the Windows host that is
// PostMessageW to the mixer's hidden window.
#pragma once

#include <memory>

#include "platform/WaveOut.h"

namespace platform::win32 {

std::unique_ptr<WaveOut> CreateWin32WaveOut(MixerHost& host);

// While muted, every block written to a device of the process is silence.
void SetWaveOutMuted(bool muted);

}  // namespace platform::win32
