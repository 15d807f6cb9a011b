// The cue operations. Until the mixer component is wired in they report what
// they were asked in the headless trace; the real backend ignores the trace.
#include "game/Unit1.h"
#include "platform/Json.h"

namespace game {

void TForm1::TraceCue(const char* operation, const std::string& name) noexcept {
  try {
    host_.Trace(std::string("{\"cue\":\"") + operation + "\",\"name\":" + platform::JsonString(name) + "}");
  } catch (...) {
    // A cue never fails its caller.
  }
}

void TForm1::CueSound0(const std::string& name) noexcept { TraceCue("CueSound0", name); }

void TForm1::CueSound1(const std::string& name) noexcept { TraceCue("CueSound1", name); }

void TForm1::CueMusic(const std::string& name) noexcept {
  if (name.empty()) return;
  TraceCue("CueMusic", name);
}

void TForm1::PrepareCues() noexcept { wave0 = wave1 = nullptr; }

void TForm1::ReleaseCues() noexcept { wave0 = wave1 = nullptr; }

}  // namespace game
