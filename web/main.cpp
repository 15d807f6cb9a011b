// The browser's entry: the game's folder in the page's file system (the
// record in localStorage and IndexedDB), the page's face fetched for the
// texts, the SDL host on the page's canvas, the game until its window
// closes, then the page's "ended" frame. The page's own close control
// reaches the game as the window's close box. `?seed=N` in the page's address
// fixes the random numbers as the headless runner's --seed does.
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/Application.h"
#include "game/GameState.h"
#include "game/Record.h"
#include "mixer/WaveMix.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlProbe.h"
#include "platform/web/WebPage.h"

namespace {

constexpr const char* kFolder = "/kesto/";
platform::Host* running = nullptr;
game::TForm1* form = nullptr;

std::optional<std::uint32_t> SeedFromAddress() {
  const int seed = EM_ASM_INT({
    const m = /[?&]seed=([0-9]+)/.exec(location.search);
    return m ? Number(m[1]) : -1;
  });
  if (seed < 0) return std::nullopt;
  return std::uint32_t(seed);
}

}  // namespace

// The game's state as JSON, for the browser check (tests/web): the score,
// the record, the question's two values, the clock and the tick counter.
extern "C" EMSCRIPTEN_KEEPALIVE const char* kesto_web_state() {
  static std::string json;
  if (!form) return "null";
  const game::GameState& s = form->GameState;
  json = "{\"goodCount\":" + std::to_string(s.saved.goodCount) + ",\"missCount\":" +
         std::to_string(s.saved.missCount) + ",\"hiScore\":" + std::to_string(s.saved.hiScore) +
         ",\"level\":" + std::to_string(s.level) + ",\"left\":" + std::to_string(game::LeftValue(s)) +
         ",\"right\":" + std::to_string(game::RightValue(s)) + ",\"timeLeft\":" + std::to_string(s.timeLeft) +
         ",\"frameCount\":" + std::to_string(s.frameCount) + ",\"phase\":" + std::to_string(s.phase) +
         ",\"gameOver\":" + (s.gameOver ? "true" : "false") +
         ",\"playing\":" + (form->Timer1->Enabled() ? "true" : "false") + "}";
  return json.c_str();
}

// The record as the game would write it now (the five lines of dat/my.dat),
// or null while no game runs: the page stores it whenever the best changes
// and when the page is hidden or left.
extern "C" EMSCRIPTEN_KEEPALIVE const char* kesto_web_record() {
  static std::string record;
  if (!form) return nullptr;
  record = game::FormatRecord(form->GameState.saved);
  return record.c_str();
}

extern "C" EMSCRIPTEN_KEEPALIVE std::int32_t kesto_web_best() { return form ? form->GameState.saved.hiScore : 0; }

// The best another tab of the page stored after this one read it: the game
// goes on with it, as if it had been read at start-up.
extern "C" EMSCRIPTEN_KEEPALIVE void kesto_web_take_best(std::int32_t best) {
  if (form) form->GameState.saved.hiScore = best;
}

extern "C" EMSCRIPTEN_KEEPALIVE void kesto_web_close() {
  if (running && !running->Main().Closed()) platform::sdl::PushCloseRequest(*running);
}

// The page's mute button: the M key, through the same event; the game's
// mute then comes back to the page (kestoPage.setMuted).
extern "C" EMSCRIPTEN_KEEPALIVE void kesto_web_mute() {
  if (running && !running->Main().Closed()) platform::sdl::PushKeyPress(*running, platform::Key::M);
}

int main() {
  platform::web::PrepareFolder(kFolder);
  // The face of the texts: the page's own, fetched once for both.
  platform::web::FetchFile("kesto-font.ttf", "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf");
  // Keys go to the game only while its canvas has the focus, so the page's
  // boxes and buttons keep theirs (SDL reads its hints from the environment).
  setenv("SDL_EMSCRIPTEN_KEYBOARD_ELEMENT", "#canvas", 1);
  int code = 1;
  {
    std::unique_ptr<platform::Host> host;
    try {
      // The canvas keeps the picture's own 400 x 300 pixels: the page scales
      // it (nearest neighbour), where the SDL window would pick a factor of
      // its own from the screen's size.
      host = platform::sdl::CreateSdlHost(kFolder, 1);
    } catch (const std::exception& e) {
      std::cerr << "kesto: " << e.what() << '\n';
      platform::web::Ended();
      return 1;
    }
    mixer::WaveMixSetHost(host.get());
    if (std::unique_ptr<game::TForm1> created = app::CreateForm1(*host, SeedFromAddress())) {
      running = host.get();
      form = created.get();
      platform::web::Running();
      code = host->Run();
      form = nullptr;
      running = nullptr;
    }
    mixer::WaveMixSetHost(nullptr);
  }
  platform::web::Ended();
  return code;
}
