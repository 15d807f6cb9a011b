// The game stays silent when a wave, a MIDI file or the soundfont cannot be
// played, and shows no box; it says why on stderr, one line per file, the
// first time that file fails:
//   kesto: FILE: REASON
#pragma once

#include <ostream>
#include <string>

namespace game {

// Reports that `file` stays silent for `reason`, unless that file was
// reported before. Never raises.
void ReportSilentMedia(const std::string& file, const std::string& reason) noexcept;

// Where the lines go (std::cerr until set; nullptr: back to std::cerr), and
// a fresh start with nothing reported yet. For tests.
void SetMediaReportStream(std::ostream* out);
void ForgetReportedMedia();

}  // namespace game
