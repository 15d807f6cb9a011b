#include "platform/ScriptLines.h"

#include <sstream>

namespace platform {

std::vector<std::string> SplitWords(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

bool ScriptLines::Next() {
  for (std::string line; std::getline(in_, line);) {
    ++number_;
    words_ = SplitWords(line);
    if (!words_.empty() && words_[0][0] != '#') return true;
  }
  words_.clear();
  return false;
}

}  // namespace platform
