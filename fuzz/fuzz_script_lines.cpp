// libFuzzer target for the script tokeniser (platform::ScriptLines), against
// a plain model of its rules: lines end at '\n', words are split at the C
// locale's white space, blank lines and lines whose first word begins with
// '#' are skipped, and lines are numbered from 1 as they are in the input.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ScriptLines.h"

namespace {

struct Line {
  int number;
  std::vector<std::string> words;
};

bool Space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::vector<Line> Model(std::string_view input) {
  std::vector<Line> lines;
  int number = 0;
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    const std::string_view text = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    ++number;
    Line line{number, {}};
    for (std::size_t i = 0; i < text.size();) {
      if (Space(text[i])) {
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < text.size() && !Space(text[j])) ++j;
      line.words.emplace_back(text.substr(i, j - i));
      i = j;
    }
    if (!line.words.empty() && line.words[0][0] != '#') lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::vector<Line> expected = Model(input);
  std::istringstream in(input);
  platform::ScriptLines lines(in);
  std::size_t seen = 0;
  while (lines.Next()) {
    if (seen == expected.size()) std::abort();
    const Line& line = expected[seen++];
    if (lines.Number() != line.number || lines.Words() != line.words) std::abort();
  }
  if (seen != expected.size() || !lines.Words().empty()) std::abort();
  return 0;
}
