#include "platform/sdl/SdlMidiPlayer.h"

#include <stdexcept>
#include <string>

#include "platform/MediaError.h"
#include "platform/sdl/FluidMusic.h"
#include "platform/sdl/SdlWaveOut.h"

namespace platform::sdl {
namespace {

class FluidMidiPlayer : public MidiPlayer {
 public:
  explicit FluidMidiPlayer(Host& host) : output_(dynamic_cast<SdlWaveOut*>(&host.WaveOutDevice())) {}

  ~FluidMidiPlayer() override {
    // The audio thread must be done with the synth before it goes.
    if (output_) output_->SetMixSource({});
  }

  void SetFileName(const std::string& path) override { fileName_ = path; }

  void Open() override {
    // The music that played stops here, even when the new file then fails.
    Close();
    try {
      Synth().Open(fileName_);
    } catch (const MediaError& e) {
      // A missing or bad soundfont or MIDI file: said once per file.
      ReportSilentMedia(e.File(), e.Reason());
      throw;
    }
  }

  void Play() override {
    if (!music_) throw std::runtime_error("No MIDI file is open");
    music_->Play();
  }

  void Close() override {
    if (music_) music_->Close();
  }

 private:
  // The synthesiser at the device's rate, made on first use.
  FluidMusic& Synth() {
    if (!output_) throw std::runtime_error("No audio output for the music");
    const int rate = output_->MixRate() ? output_->MixRate() : kPreferredMixRate;
    if (!music_ || rate != rate_) {
      output_->SetMixSource({});
      music_.reset();
      music_ = std::make_unique<FluidMusic>(rate);
      rate_ = rate;
      FluidMusic* music = music_.get();
      output_->SetMixSource([music](std::int16_t* out, int frames) { music->MixInto(out, frames); });
    }
    return *music_;
  }

  SdlWaveOut* output_;
  std::unique_ptr<FluidMusic> music_;
  int rate_ = 0;
  std::string fileName_;
};

}  // namespace

std::unique_ptr<MidiPlayer> CreateSdlMidiPlayer(Host& host) { return std::make_unique<FluidMidiPlayer>(host); }

}  // namespace platform::sdl
