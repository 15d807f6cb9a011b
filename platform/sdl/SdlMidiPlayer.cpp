// No MIDI output yet: every open fails, which the game's music cue swallows.
#include "platform/sdl/SdlMidiPlayer.h"

#include <stdexcept>
#include <string>

namespace platform::sdl {
namespace {

class NoMidiPlayer : public MidiPlayer {
 public:
  void SetFileName(const std::string& path) override { (void)path; }
  void Open() override { throw std::runtime_error("MIDI output is not available"); }
  void Play() override {}
  void Close() override {}
};

}  // namespace

std::unique_ptr<MidiPlayer> CreateSdlMidiPlayer(Host& host) {
  (void)host;
  return std::make_unique<NoMidiPlayer>();
}

}  // namespace platform::sdl
