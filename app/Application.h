// The program's entry, shared by the real window and the headless runner:
// create Form1 (its components, then FormCreate), run, destroy.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// The game in a real window, enlarged `scale` times (0: the display's
// default); returns the exit code. Ends without a box on a quit signal
// (platform/Signals.h; the caller catches them): the record saved, 0, or 1
// with the error on stderr.
int RunWindowed(int scale = 0);

// After a quit signal with the window open: saves the record as a close
// would, but with no box, since nobody may be left to confirm it. Returns
// the exit code: 0, or 1 with the error on `err`.
int SaveAfterQuitSignal(game::TForm1& form, std::ostream& err);

// The program: its arguments (after the program's name) pick the window,
// the headless runner or the help (on `out`, exit 0); a bad argument is
// reported on `err` with the usage, exit 2.
int Main(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace app
