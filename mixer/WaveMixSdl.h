// The sound card for the mixer, through SDL's audio: a ready host, so that a
// program only opens the device, uses the calls of WaveMix.h and pumps.
//
//   mixer::WaveMixOpenSdlDevice();
//   mixer::MixSession* session = mixer::WaveMixInit();
//   ...                               // load, activate, open channels, play
//   while (running) { mixer::WaveMixPump(10); ... }
//   mixer::WaveMixEndSession(session);
//   mixer::WaveMixCloseSdlDevice();
//
// The device plays the blocks the mixer wrote ahead on SDL's audio thread and
// reports each finished one; the mixer refills it, and retires ended plays,
// only when the program delivers those reports with WaveMixPump (or, with
// WaveMixSdlEventType, when its SDL event loop sees them). docs/mixer.md says
// how late a pump may come at each WAVEMIX.INI setting.
#pragma once

#include <cstdint>
#include <string>

#include "WaveMix.h"

namespace mixer {

// Makes SDL's default audio output the mixer's host (WaveMixSetHost): it
// starts SDL's audio when the session takes the device. configFolder: where
// WAVEMIX.INI is read from when WAVEMIX_INI is not set (empty: the current
// folder). Call before WaveMixInit, on the thread that makes the mixer calls.
// EWaveMixError "The SDL device is already open" when called twice.
void WaveMixOpenSdlDevice(const std::string& configFolder = "");

// Detaches the host and closes SDL's audio. End the session first; a
// session still open is ended here. Nothing happens when no device is open.
void WaveMixCloseSdlDevice();

// Delivers the reports that have arrived: each finished block is refilled,
// ended plays are retired and their end-of-play notices run (see
// WaveMixSdlNotifyWindow). Waits up to waitMs for the first report when none
// is there (0: returns at once). Returns the number of reports delivered; 0
// when no device is open. Call from the thread that makes the mixer calls.
int WaveMixPump(int waitMs = 0);

// For a program that already runs an SDL event loop (SDL's events started):
// from this call on each report also pushes an SDL event of the returned
// type, and the loop calls WaveMixPump() when it sees one. 0 when SDL has
// no event type left or no device is open.
std::uint32_t WaveMixSdlEventType();

// A window for MixPlayParams::notifyWindow: when a play sent to it ends,
// WaveMixPump calls onEnd(channel, wave). 0 when no device is open. The
// window lasts until WaveMixCloseSdlDevice.
using WaveMixEndHandler = void (*)(int channel, MixWave* wave);
platform::WindowHandle WaveMixSdlNotifyWindow(WaveMixEndHandler onEnd);

}  // namespace mixer
