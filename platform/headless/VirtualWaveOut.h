// The headless wave-out device: plays in virtual time and records every byte.
#pragma once

#include <memory>

#include "platform/WaveOut.h"

namespace platform::headless {

class HeadlessHost;

// The default device: one device reporting 2 channels and no flags.
std::unique_ptr<WaveOut> CreateVirtualWaveOut(HeadlessHost& host);

}  // namespace platform::headless
