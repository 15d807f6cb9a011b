// The lines of a command script, as the headless runner and `wavemix render`
// read them: words split at white space, blank lines and lines whose first
// word starts with '#' skipped, lines numbered from 1 as they are in the file.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace platform {

class ScriptLines {
 public:
  explicit ScriptLines(std::istream& in) : in_(in) {}

  // Moves to the next line that holds a command; false at the end.
  bool Next();
  // The current line's number and its words (the command first).
  int Number() const { return number_; }
  const std::vector<std::string>& Words() const { return words_; }

 private:
  std::istream& in_;
  int number_ = 0;
  std::vector<std::string> words_;
};

// The words of one line, split at white space.
std::vector<std::string> SplitWords(const std::string& line);

}  // namespace platform
