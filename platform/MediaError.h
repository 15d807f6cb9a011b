// A sound, piece of music or soundfont that cannot be played: which file,
// and why. Thrown by the media players; the game reports it once per file.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class MediaError : public std::runtime_error {
 public:
  MediaError(const std::string& file, const std::string& reason)
      : std::runtime_error(file + ": " + reason), file_(file), reason_(reason) {}
  const std::string& File() const { return file_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string file_;
  std::string reason_;
};

}  // namespace platform
