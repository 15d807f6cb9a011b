// libFuzzer target for the INI reader: the input is the file. The mixer's
// own sections and keys are looked up, and one more pair named by the
// input's first line ("section/key"), so that matches are reachable.
// Every lookup must return, and a lookup that depends on its default must
// be one that found nothing.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Profile.h"

namespace {

const std::string& FilePath() {
  static const std::string path = [] {
    std::string folder = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    if (access("/dev/shm", W_OK) == 0) folder = "/dev/shm";
    return folder + "/fuzz_profile_" + std::to_string(getpid()) + ".ini";
  }();
  static const bool removedAtExit = std::atexit([] { unlink(path.c_str()); }) == 0;
  (void)removedAtExit;
  return path;
}

void CheckLookup(const std::string& section, const std::string& key) {
  const int a = platform::ReadProfileInt(section, key, 12345, FilePath());
  const int b = platform::ReadProfileInt(section, key, -777, FilePath());
  // Different answers mean the default was used both times.
  if (a != b && !(a == 12345 && b == -777)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(FilePath().c_str(), "wb");
  if (!file) std::abort();
  if (size && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  static const std::vector<std::pair<std::string, std::string>> lookups = {
      {"general", "WaveOutDevice"}, {"default", "Remix"},          {"default", "GoodWavePos"},
      {"default", "WaveBlocks"},    {"default", "WaveBlockLen"},   {"default", "SamplesPerSec"},
      {"Virtual Wave Out", "Remix"}, {"Virtual Wave Out", "WaveBlockLen"},
      {"not compatible", "Virtual Wave Out"},
  };
  for (const auto& [section, key] : lookups) CheckLookup(section, key);

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view first = bytes.substr(0, std::min(bytes.find('\n'), std::size_t(64)));
  if (const std::size_t slash = first.find('/'); slash != std::string_view::npos)
    CheckLookup(std::string(first.substr(0, slash)), std::string(first.substr(slash + 1)));
  return 0;
}
