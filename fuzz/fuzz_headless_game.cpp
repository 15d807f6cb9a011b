// libFuzzer target for a short game: the input is a headless script, run
// in-process by the runner against a copy of the game's dat/ and cg/ made
// once per process. Whatever the lines say, the runner must return 0 or 2
// with no sanitizer report. The tokeniser and the command parser have fast
// targets of their own (fuzz_script_lines, fuzz_script_commands); this one
// pays for a whole game per input (its pictures, waves and record loaded),
// so scripts that would advance more than kMaxTicks (4 s of play) are
// passed over, and a shot always goes to one file in the scratch folder.
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/HeadlessRunner.h"

#ifndef KESTO_ASSETS_DIR
#error "KESTO_ASSETS_DIR must name the assets folder"
#endif

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kMaxTicks = 200;

struct Fixture {
  fs::path folder;
  std::string record;
};

const Fixture& TheFixture() {
  static const Fixture fixture = [] {
    std::string pattern = (fs::temp_directory_path() / "kesto-fuzz-XXXXXX").string();
    Fixture f{fs::path(::mkdtemp(pattern.data())), {}};
    fs::copy(fs::path(KESTO_ASSETS_DIR) / "dat", f.folder / "dat", fs::copy_options::recursive);
    fs::copy(fs::path(KESTO_ASSETS_DIR) / "cg", f.folder / "cg", fs::copy_options::recursive);
    std::ifstream record(f.folder / "dat/my.dat", std::ios::binary);
    f.record.assign(std::istreambuf_iterator<char>(record), {});
    unsetenv("WAVEMIX_INI");
    return f;
  }();
  static const bool removedAtExit = std::atexit([] {
    std::error_code ignored;
    fs::remove_all(fixture.folder, ignored);
  }) == 0;
  (void)removedAtExit;
  return fixture;
}

// The script as the runner will read it, with every shot sent to one file;
// false when its ticks add up to more than kMaxTicks. Lines are split as the
// runner splits them, so a tick the runner would reject counts for nothing.
bool Prepare(const std::string& input, const fs::path& shot, std::string& script) {
  std::istringstream lines(input);
  std::int64_t ticks = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (!words.empty() && words[0] == "tick") {
      std::int64_t n = 1;
      if (words.size() >= 2) {
        const auto [end, ec] = std::from_chars(words[1].data(), words[1].data() + words[1].size(), n);
        if (ec != std::errc() || end != words[1].data() + words[1].size() || n < 0) n = 0;
      }
      ticks += n;
      if (ticks > kMaxTicks) return false;
    } else if (!words.empty() && words[0] == "shot" && words.size() == 2) {
      line = "shot " + shot.string();
    }
    script += line;
    script += '\n';
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Fixture& fixture = TheFixture();
  std::string script;
  if (!Prepare(std::string(reinterpret_cast<const char*>(data), size), fixture.folder / "shot.png", script))
    return 0;
  // Each run starts from the same record; a close in the last one rewrote it.
  std::ofstream(fixture.folder / "dat/my.dat", std::ios::binary | std::ios::trunc) << fixture.record;

  std::istringstream in(script);
  std::ostringstream out, err;
  const int code = app::RunHeadless({"--seed", "1", "--folder", fixture.folder.string()}, in, out, err);
  if (code != 0 && code != 2) std::abort();
  return 0;
}
