// A sound, piece of music or soundfont that cannot be played: which file,
// and why. The game stays silent then and shows no box; it says why on
// stderr, one line per file, the first time that file fails:
//   kesto: FILE: REASON
// A wave-out device that cannot be had is said the same way (ReportNoSound).
#pragma once

#include <cstddef>
#include <iostream>
#include <mutex>
#include <ostream>
#include <set>
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

// `text` as UTF-8 for a terminal: valid UTF-8 stays as it is, and a byte
// that is not part of a UTF-8 sequence is read as the Western code page's
// (the mixer's "can\xB4t" becomes "can´t").
inline std::string ReadableText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80 ? 1 : byte >= 0xC2 && byte <= 0xDF ? 2 : byte >= 0xE0 && byte <= 0xEF ? 3
                         : byte >= 0xF0 && byte <= 0xF4 ? 4 : 0;
    for (std::size_t k = 1; k < length; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) length = 0;
    }
    if (length == 0) {
      out += char(0xC0 | byte >> 6);
      out += char(0x80 | (byte & 0x3F));
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

// The files reported so far and where the lines go (std::cerr when null).
struct SilentMediaReport {
  std::mutex lock;
  std::set<std::string> files;
  std::ostream* out = nullptr;

  static SilentMediaReport& Instance() {
    static SilentMediaReport report;
    return report;
  }
};

// Reports that `file` stays silent for `reason`, unless that file was
// reported before. Never raises.
inline void ReportSilentMedia(const std::string& file, const std::string& reason) noexcept {
  try {
    SilentMediaReport& r = SilentMediaReport::Instance();
    std::lock_guard<std::mutex> guard(r.lock);
    if (!r.files.insert(file).second) return;
    (r.out ? *r.out : std::cerr) << "kesto: " << ReadableText(file) << ": " << ReadableText(reason) << std::endl;
  } catch (...) {
    // Out of memory or a broken stream: the game goes on without the line.
  }
}

// Says that the game goes on without its sound effects, and why (the
// wave-out device cannot be had or has failed), on the same stream:
//   kesto: playing without sound: REASON
// Each call writes its line. Never raises.
inline void ReportNoSound(const std::string& reason) noexcept {
  try {
    SilentMediaReport& r = SilentMediaReport::Instance();
    std::lock_guard<std::mutex> guard(r.lock);
    (r.out ? *r.out : std::cerr) << "kesto: playing without sound: " << ReadableText(reason) << std::endl;
  } catch (...) {
  }
}

// Reports `file` and throws the MediaError.
[[noreturn]] inline void RefuseMedia(const std::string& file, const std::string& reason) {
  ReportSilentMedia(file, reason);
  throw MediaError(file, reason);
}

// For tests: the lines go to `out` (null: back to std::cerr) and nothing
// counts as reported yet.
inline void RestartSilentMediaReport(std::ostream* out) {
  SilentMediaReport& r = SilentMediaReport::Instance();
  std::lock_guard<std::mutex> guard(r.lock);
  r.out = out;
  r.files.clear();
}

}  // namespace platform
