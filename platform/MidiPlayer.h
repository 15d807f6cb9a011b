// A media player for MIDI files: name a file, open it, play it from the start.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The largest MIDI file a player takes: ours are a few kilobytes, the
// largest pieces one meets a few megabytes, and a synthesiser keeps every
// event of the file as a record several times the size of its bytes.
inline constexpr std::uint64_t kMidiFileLimit = std::uint64_t(16) << 20;

class MidiPlayer {
 public:
  virtual ~MidiPlayer() = default;
  virtual void SetFileName(const std::string& path) = 0;
  // Closes the file opened before (its music stops), then opens the named
  // file and waits for the open to complete. Throws std::runtime_error on
  // failure; anything but a regular file of at most kMidiFileLimit bytes
  // fails (platform/PlainFile.h).
  virtual void Open() = 0;
  // Starts playing from the beginning without waiting for the end.
  virtual void Play() = 0;
  // Stops and closes; no-op when nothing is open.
  virtual void Close() = 0;
};

}  // namespace platform
