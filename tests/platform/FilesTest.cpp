// Where the game finds its folder and its record: beside the program, or in
// an install prefix with the record in the player's data folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>
#include <string>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::TempFolder;

const char kShipped[] = "\r\n0\r\n1\r\n0\r\n0\r\n";

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(FindGameFolder, PrefersTheProgramsOwnFolderThenTheInstalledDataFolder) {
  struct Case {
    const char* what;
    std::vector<std::string> folders;  // made under the scratch folder
    std::string expected;              // relative to the scratch folder
  };
  const Case cases[] = {
      {"a build folder", {"bin/dat", "bin/cg", "share/kesto/dat", "share/kesto/cg"}, "bin/"},
      {"an install prefix", {"bin", "share/kesto/dat", "share/kesto/cg"}, "share/kesto/"},
      {"dat/ alone beside the program", {"bin/dat", "share/kesto/dat", "share/kesto/cg"}, "share/kesto/"},
      {"nothing found", {"bin", "share/kesto/dat"}, "bin/"},
  };
  for (const Case& c : cases) {
    TempFolder root;
    for (const std::string& f : c.folders) std::filesystem::create_directories(root / f);
    EXPECT_EQ(platform::FindGameFolder(root / "bin/"), root / c.expected) << c.what;
  }
}

TEST(FindRecordFolder, KeepsTheRecordInAWritableGameFolder) {
  TempFolder game, data;
  game.Write("dat/my.dat", kShipped);
  ScopedEnv xdg("XDG_DATA_HOME", data.Path());
  EXPECT_EQ(platform::FindRecordFolder(game.Path()), game.Path() + "/dat/");
  EXPECT_FALSE(std::filesystem::exists(data / "kesto"));
}

// Root may write everywhere, so this needs an ordinary user.
TEST(FindRecordFolder, MovesToThePlayersDataFolderAndCopiesTheShippedRecordOnce) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes in any folder";
  TempFolder game, data, home;
  game.Write("dat/my.dat", kShipped);
  ::chmod((game / "dat").c_str(), 0555);
  ::chmod((game / "dat/my.dat").c_str(), 0444);
  {
    ScopedEnv xdg("XDG_DATA_HOME", data.Path());
    EXPECT_EQ(platform::FindRecordFolder(game.Path()), data.Path() + "kesto/");
    EXPECT_EQ(data.Read("kesto/my.dat"), kShipped);
    // The copy is the player's and can be saved over.
    EXPECT_FALSE(platform::IsReadOnlyFile(data / "kesto/my.dat"));
    // A later start keeps the player's record.
    data.Write("kesto/my.dat", "best");
    EXPECT_EQ(platform::FindRecordFolder(game.Path()), data.Path() + "kesto/");
    EXPECT_EQ(data.Read("kesto/my.dat"), "best");
  }
  {
    // Without XDG_DATA_HOME (or with a relative one): ~/.local/share.
    ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
    ScopedEnv homeEnv("HOME", home.Path());
    EXPECT_EQ(platform::FindRecordFolder(game.Path()), home.Path() + ".local/share/kesto/");
    EXPECT_EQ(home.Read(".local/share/kesto/my.dat"), kShipped);
  }
  ::chmod((game / "dat").c_str(), 0755);
}

TEST(FindRecordFolder, WithoutAShippedRecordMakesTheFolderAndCopiesNothing) {
  TempFolder game, data;  // no dat/ at all: nothing to write in, nothing to copy
  ScopedEnv xdg("XDG_DATA_HOME", data.Path());
  EXPECT_EQ(platform::FindRecordFolder(game.Path()), data.Path() + "kesto/");
  EXPECT_TRUE(std::filesystem::is_directory(data / "kesto"));
  EXPECT_FALSE(std::filesystem::exists(data / "kesto/my.dat"));
}

}  // namespace
