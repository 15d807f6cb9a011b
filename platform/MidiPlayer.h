// A media player for MIDI files: name a file, open it, play it from the start.
#pragma once

#include <string>

namespace platform {

class MidiPlayer {
 public:
  virtual ~MidiPlayer() = default;
  virtual void SetFileName(const std::string& path) = 0;
  // Closes the file opened before (its music stops), then opens the named
  // file and waits for the open to complete. Throws std::runtime_error on
  // failure.
  virtual void Open() = 0;
  // Starts playing from the beginning without waiting for the end.
  virtual void Play() = 0;
  // Stops and closes; no-op when nothing is open.
  virtual void Close() = 0;
};

}  // namespace platform
