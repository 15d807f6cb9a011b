#include "mixer/WaveMixComponent.h"

namespace mixer {

TWaveMix::TWaveMix(TComponent* owner) : TComponent(owner) {
  session = WaveMixInit();
  if (!session) throw EWaveMixError("Initialization failed (WaveMixInit)");
  playParams.size = 24;
  playParams.session = session;
}

TWaveMix::~TWaveMix() {
  // A destructor cannot report: the mixer's failures end here.
  try {
    SetChannels(0);
  } catch (const EWaveMixError&) {
  }
  try {
    SetActivated(false);
  } catch (const EWaveMixError&) {
  }
  try {
    if (session) WaveMixEndSession(session);
  } catch (const EWaveMixError&) {
  }
}

void TWaveMix::SetActivated(bool value) {
  if (value == activated) return;
  if (!Designing()) WaveMixActivate(session, value ? 1 : 0);
  activated = value;
}

void TWaveMix::SetChannels(std::uint8_t value) {
  if (value == channels) return;
  if (value == 255) {
    WaveMixOpenChannels(session, 0, CHANNELS_ALL);
  } else if (value == 0) {
    WaveMixShutChannels(session, 0, CLEAR_ALL);
  } else {
    for (int i = 0; i < kChannelCount; ++i) {
      const std::uint8_t bit = std::uint8_t(1u << i);
      if ((value & bit) == (channels & bit)) continue;
      if (value & bit) {
        WaveMixOpenChannels(session, i, CHANNELS_ONE);
      } else {
        WaveMixShutChannels(session, i, 0);
      }
    }
  }
  channels = value;
}

MixWave* TWaveMix::LoadWave(const char* fileName) { return WaveMixLoadWave(session, fileName, nullptr, LOAD_FILE); }

void TWaveMix::FreeWave(MixWave* wave) { WaveMixReleaseWave(session, wave); }

void TWaveMix::Play(std::int32_t channel, MixWave* wave, TWinControl* notifyControl, std::uint32_t flags,
                    std::uint16_t loops) {
  playParams.channel = channel;
  playParams.wave = wave;
  playParams.notifyWindow = notifyControl ? notifyControl->Handle() : 0;
  playParams.flags = flags;
  playParams.loops = loops;
  WaveMixPlay(&playParams);
}

}  // namespace mixer
