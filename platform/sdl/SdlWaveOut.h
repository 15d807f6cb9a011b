// The real wave-out device on SDL audio.
#pragma once

#include <memory>

#include "platform/WaveOut.h"

namespace platform::sdl {

std::unique_ptr<WaveOut> CreateSdlWaveOut(Host& host);

}  // namespace platform::sdl
