// The web build's music: in place of FluidSynth (platform/sdl/SdlMidiPlayer.cpp
// and FluidMusic.cpp are not built for the browser), the page plays each
// piece pre-rendered to Ogg Vorbis by scripts/build-web, through the browser's
// own decoder. The SDL host asks for its MIDI player by this same name.
#include <stdexcept>
#include <string>

#include "platform/sdl/SdlMidiPlayer.h"
#include "platform/web/WebPage.h"

namespace platform::sdl {
namespace {

class WebMidiPlayer final : public MidiPlayer {
 public:
  ~WebMidiPlayer() override { Close(); }

  void SetFileName(const std::string& path) override { fileName_ = path; }

  void Open() override {
    Close();
    web::MusicOpen(fileName_);
    open_ = true;
  }

  void Play() override {
    if (!open_) throw std::runtime_error("No MIDI file is open");
    web::MusicPlay();
  }

  void Close() override {
    if (!open_) return;
    web::MusicClose();
    open_ = false;
  }

 private:
  std::string fileName_;
  bool open_ = false;
};

}  // namespace

std::unique_ptr<MidiPlayer> CreateSdlMidiPlayer(Host&) { return std::make_unique<WebMidiPlayer>(); }

}  // namespace platform::sdl
