// The program's entry, shared by the real window and the headless runner:
// create Form1 (its components, then FormCreate), run, destroy.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "game/Unit1.h"
#include "platform/Host.h"

namespace app {

using FormFactory = std::function<std::unique_ptr<game::TForm1>(platform::Host&)>;

// Creates Form1 on `host`: its components, then FormCreate, whose error is
// shown in the window's error box while creation goes on. When a component
// cannot be created there is no window: the error is shown in a task-modal
// box captioned "Application Error" and the result is null (exit code 1).
// `seed` replaces the time of day as R's seed; `make` replaces the plain
// construction of TForm1.
std::unique_ptr<game::TForm1> CreateForm1(platform::Host& host, std::optional<std::uint32_t> seed = std::nullopt,
                                          const FormFactory& make = {});

// The game in a real window; returns the exit code.
int RunWindowed();

}  // namespace app
