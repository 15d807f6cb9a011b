// play_two ONCE.wav LOOP.wav: two sounds mixed on the sound card. LOOP
// repeats on channel 1 while ONCE plays on channel 0; the program ends half
// a second after ONCE has.
#include <kesto-mixer/WaveMixSdl.h>

#include <chrono>
#include <cstdio>

static bool onceEnded = false;
static void OnEnd(int channel, mixer::MixWave*) { onceEnded |= channel == 0; }

int main(int argc, char** argv) {
  if (argc != 3) return std::fputs("usage: play_two ONCE.wav LOOP.wav\n", stderr), 2;
  int status = 0;
  try {
    mixer::WaveMixOpenSdlDevice();
    mixer::MixSession* session = mixer::WaveMixInit();
    mixer::MixWave* once = mixer::WaveMixLoadWave(session, argv[1], nullptr, mixer::LOAD_FILE);
    mixer::MixWave* loop = mixer::WaveMixLoadWave(session, argv[2], nullptr, mixer::LOAD_FILE);
    mixer::WaveMixOpenChannels(session, 2, mixer::CHANNELS_FIRST);
    mixer::WaveMixActivate(session, 1);

    // The held play waits for the next, so both start together.
    mixer::MixPlayParams play{24, session, 1, loop, 0, mixer::PLAY_HOLD, mixer::kLoopForever};
    mixer::WaveMixPlay(&play);
    play = {24, session, 0, once, mixer::WaveMixSdlNotifyWindow(OnEnd), 0, 0};
    mixer::WaveMixPlay(&play);

    // The mixer refills the device only when the loop pumps.
    while (!onceEnded) mixer::WaveMixPump(10);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < end) mixer::WaveMixPump(10);

    mixer::WaveMixReleaseWave(session, once);
    mixer::WaveMixReleaseWave(session, loop);
    mixer::WaveMixEndSession(session);
  } catch (const mixer::EWaveMixError& e) {
    std::fprintf(stderr, "play_two: %s\n", e.what());
    status = 1;
  }
  mixer::WaveMixCloseSdlDevice();  // ends a session an error left open
  return status;
}
