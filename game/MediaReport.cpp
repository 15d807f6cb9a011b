#include "game/MediaReport.h"

#include <iostream>
#include <mutex>
#include <set>

namespace game {
namespace {

struct Reported {
  std::mutex lock;
  std::set<std::string> files;
  std::ostream* out = nullptr;
};

Reported& State() {
  static Reported state;
  return state;
}

}  // namespace

void ReportSilentMedia(const std::string& file, const std::string& reason) noexcept {
  try {
    Reported& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.files.insert(file).second) return;
    std::ostream& out = s.out ? *s.out : std::cerr;
    out << "kesto: " << file << ": " << reason << std::endl;
  } catch (...) {
    // Out of memory or a broken stream: the game goes on without the line.
  }
}

void SetMediaReportStream(std::ostream* out) {
  Reported& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.out = out;
}

void ForgetReportedMedia() {
  Reported& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.files.clear();
}

}  // namespace game
