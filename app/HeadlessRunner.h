// `kesto --headless [--seed N] [--script FILE] [--folder DIR] [--audio-out FILE.wav]`: the game on the headless
// backend in virtual time, driven by a script of commands, one a line:
//   tick [N]                        advance N x 20 ms (default 1)
//   click X Y [left|right|middle]   a press on the picture
//   key space|enter|left|right|a|d  a key press
//   close                           the window's close box
//   state                           the game state as one JSON line
//   shot FILE.png                   the visible picture as PNG
// Blank lines and lines starting with '#' are ignored. Cues, message boxes
// and the end ({"exit":CODE}) are written as JSON lines as they happen. At
// the end of the script the run stops as if killed, unless the window closed.
// A quit signal (platform/Signals.h; the entry catches them) ends it as a
// close would, without the box: the record saved, exit 0; exit 1 with the
// error on stderr when the save fails.
// With --audio-out, what the virtual wave device played is written at the
// end as a WAVE file in the session's output format, the silences where
// nothing played included, so that byte n sounded at virtual time n / rate.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace app {

// `args` are the arguments after "--headless"; `--folder DIR` names the
// game folder (default: the one found from the running program,
// platform::FindGameFolder). The script
// comes from `in` when no file is named. Returns the exit code: 0, 1 when
// the window could not be created, 2 for a bad argument or script line
// (reported on `err`, naming the line).
// The whole word `text` as a number from `low` to `high`; otherwise throws
// std::invalid_argument "bad WHAT 'TEXT' (expected LOW to HIGH)".
std::int64_t WholeNumber(const std::string& text, std::int64_t low, std::int64_t high, const char* what);

// Checks one script line's words (platform::ScriptLines) as the runner does
// before it runs them: the command, its number of arguments and each
// argument's value. Throws std::invalid_argument with the text the runner
// reports for the line.
void CheckScriptLine(const std::vector<std::string>& words);

int RunHeadless(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace app
