#include "platform/sdl/SdlMixerHost.h"

#include "platform/WaveOut.h"
#include "platform/sdl/SdlWaveOut.h"

namespace platform::sdl {

SdlMixerHost::SdlMixerHost(std::string folder) : WindowlessMixerHost(std::move(folder), '/') {}

SdlMixerHost::~SdlMixerHost() = default;

platform::WaveOut& SdlMixerHost::WaveOutDevice() {
  if (!waveOut_) waveOut_ = CreateSdlWaveOut(*this);
  return *waveOut_;
}

std::uint32_t SdlMixerHost::Milliseconds() {
  return std::uint32_t(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - origin_).count());
}

}  // namespace platform::sdl
