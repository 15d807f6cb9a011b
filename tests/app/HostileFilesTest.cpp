// What lies at the name of a file the game reads need not be a file: a FIFO
// (which would block an ordinary open for ever), an endless device behind a
// symlink, a directory, or a file far larger than any the game ships. Each
// is refused at once with the error a missing file gives, and the game goes
// on as it does without the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/HeadlessRunner.h"
#include "platform/MediaError.h"
#include "tests/game/Bmp.h"
#include "tests/support/TempFolder.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

enum class Kind { Fifo, DevZero, DevRandom, Folder, Oversized };

void Plant(const std::string& path, Kind kind, std::uintmax_t oversize) {
  fs::remove(path);
  switch (kind) {
    case Kind::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case Kind::DevZero: fs::create_symlink("/dev/zero", path); break;
    case Kind::DevRandom: fs::create_symlink("/dev/urandom", path); break;
    case Kind::Folder: fs::create_directory(path); break;
    case Kind::Oversized:
      // Sparse: a size on paper, no blocks on the disk.
      std::ofstream(path).close();
      fs::resize_file(path, oversize);
      break;
  }
}

// The line of `text` that names `name` and gives `reason`, or "".
std::string LineWith(const std::string& text, const std::string& name, const std::string& reason) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.find(name) != std::string::npos && line.find(reason) != std::string::npos) return line;
  return "";
}

TEST(HostileFilesTest, SpecialAndOversizedFilesAreRefusedAndTheGameGoesOn) {
  constexpr std::uintmax_t kMB = 1 << 20;
  struct Case {
    const char* name;
    Kind kind;
    std::uintmax_t oversize;  // for Kind::Oversized: a byte past the reader's limit
    const char* reason;  // in the box (picture, record) or on stderr (sounds); "" for WAVEMIX.INI
  };
  const Case cases[] = {
      {"cg/start.bmp", Kind::Fifo, 0, "Not a regular file"},
      {"dat/my.dat", Kind::Fifo, 0, "Not a regular file"},
      {"dat/1.wav", Kind::Fifo, 0, "Not a regular file"},
      {"dat/T_ssix05.mid", Kind::Fifo, 0, "the music cannot be read (Not a regular file)"},
      {"WAVEMIX.INI", Kind::Fifo, 0, ""},
      {"cg/start.bmp", Kind::DevZero, 0, "Not a regular file"},
      {"dat/my.dat", Kind::DevZero, 0, "Not a regular file"},
      {"WAVEMIX.INI", Kind::DevZero, 0, ""},
      {"cg/start.bmp", Kind::DevRandom, 0, "Not a regular file"},
      {"dat/my.dat", Kind::DevRandom, 0, "Not a regular file"},
      {"WAVEMIX.INI", Kind::DevRandom, 0, ""},
      {"cg/start.bmp", Kind::Folder, 0, "Is a directory"},
      {"dat/my.dat", Kind::Folder, 0, "Is a directory"},
      {"dat/1.wav", Kind::Folder, 0, "Is a directory"},
      {"dat/T_ssix05.mid", Kind::Folder, 0, "the music cannot be read (Is a directory)"},
      {"WAVEMIX.INI", Kind::Folder, 0, ""},
      {"cg/start.bmp", Kind::Oversized, 64 * kMB + 1, "File too large"},
      {"dat/my.dat", Kind::Oversized, 64 * kMB + 1, "File too large"},
      {"dat/1.wav", Kind::Oversized, 256 * kMB + 1, "Failed to open wave file"},
      {"dat/T_ssix05.mid", Kind::Oversized, 16 * kMB + 1, "the music cannot be read (File too large)"},
      {"WAVEMIX.INI", Kind::Oversized, 64 * kMB + 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " as kind " + std::to_string(int(c.kind)));
    TempFolder folder;
    folder.Write("dat/my.dat", "\r\n3\r\n1\r\n0\r\n0\r\n");
    folder.Write("cg/start.bmp", testing_support::SolidBmp(400, 300, {200, 100, 0}));
    Plant(folder / c.name, c.kind, c.oversize);

    // The start click loads the sounds and the start music; then the game
    // must still answer.
    std::istringstream in("click 100 100\ntick 5\nstate\n");
    std::ostringstream out, err;
    platform::RestartSilentMediaReport(&err);
    EXPECT_EQ(RunHeadless({"--folder", folder.Path(), "--seed", "3"}, in, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("\"textLine\""), std::string::npos) << out.str();
    const std::string base = fs::path(c.name).filename().string();
    if (*c.reason) {
      EXPECT_NE(LineWith(out.str() + err.str(), base, c.reason), "") << out.str() << err.str();
    } else {
      // WAVEMIX.INI reads as absent: the defaults, and nothing said.
      EXPECT_EQ(LineWith(out.str() + err.str(), base, ""), "") << out.str() << err.str();
    }
  }
  platform::RestartSilentMediaReport(nullptr);
}

}  // namespace
}  // namespace app
