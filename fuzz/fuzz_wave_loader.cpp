// libFuzzer target for the wave loader: the first byte picks the session's
// output format (bits 0-1: 11, 22 or 44 kHz; bit 2: stereo), the rest is a
// memory image handed to WaveMixLoadWave with LOAD_MEMORY. Every input must
// give a wave or an EWaveMixError, nothing else.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "mixer/Session.h"
#include "mixer/WaveMix.h"
#include "platform/headless/HeadlessHost.h"

namespace {

mixer::MixSession* SessionFor(std::uint8_t selector) {
  static std::unique_ptr<platform::headless::HeadlessHost> host;
  static int current = -1;
  if (!host) {
    setenv("WAVEMIX_INI", "/nonexistent/WAVEMIX.INI", 1);
    host = std::make_unique<platform::headless::HeadlessHost>("/tmp");
    mixer::WaveMixSetHost(host.get());
  }
  const int wanted = selector & 7;
  if (wanted != current) {
    if (mixer::currentSession) mixer::WaveMixEndSession(mixer::currentSession);
    static const std::uint16_t rates[] = {11, 22, 44, 11};
    const mixer::MixConfig config{10, mixer::CONFIG_CHANNELS | mixer::CONFIG_SAMPLINGRATE,
                                  std::uint16_t(wanted & 4 ? 2 : 1), rates[wanted & 3]};
    mixer::WaveMixInitWithConfig(&config);
    current = wanted;
  }
  return mixer::currentSession;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  mixer::MixSession* session = SessionFor(data[0]);
  mixer::MMIOINFO info = mixer::MemoryImage(data + 1, size - 1);
  try {
    mixer::MixWave* wave = mixer::WaveMixLoadWave(session, &info, nullptr, mixer::LOAD_MEMORY);
    if (!wave->data || wave->length == 0) std::abort();
    // Touch every converted byte, so a short buffer shows.
    volatile std::uint8_t sum = 0;
    for (std::uint32_t i = 0; i < wave->length; ++i) sum = std::uint8_t(sum + wave->data[i]);
    mixer::WaveMixReleaseWave(session, wave);
  } catch (const mixer::EWaveMixError&) {
  }
  return 0;
}
