// libFuzzer target for the headless runner's command parser: each line of
// the input, split as the runner splits it, is checked by
// app::CheckScriptLine without a game. A line is either refused with
// std::invalid_argument and a text to report, or it names one of the
// runner's commands with a number of arguments that command takes.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/HeadlessRunner.h"
#include "platform/ScriptLines.h"

namespace {

struct Shape {
  std::string_view name;
  std::size_t least, most;
};

constexpr Shape kCommands[] = {{"tick", 0, 1},  {"click", 2, 3}, {"key", 1, 1},   {"close", 0, 0},
                               {"state", 0, 0}, {"shot", 1, 1},  {"device", 1, 1}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  for (platform::ScriptLines lines(in); lines.Next();) {
    const auto& words = lines.Words();
    try {
      app::CheckScriptLine(words);
    } catch (const std::invalid_argument& e) {
      if (std::string_view(e.what()).empty()) std::abort();
      continue;
    }
    bool known = false;
    for (const Shape& c : kCommands)
      known = known || (words[0] == c.name && words.size() - 1 >= c.least && words.size() - 1 <= c.most);
    if (!known) std::abort();
  }
  return 0;
}
