// Where the game finds its folder and its record (beside the program, or in
// an install prefix with the record in the player's data folder), and how
// the record is replaced: never through a planted link, never torn by a
// second copy of the game saving at the same moment.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Errors.h"
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

// The installed game never writes its own folder, even where it may (as
// root, or a prefix the player owns); the game beside its program does.
TEST(FindRecordFolder, AnInstalledGameKeepsTheRecordInThePlayersFolderEvenWhereItMayWrite) {
  struct Case {
    const char* what;
    std::vector<std::string> folders;  // made under the scratch folder, each writable
    bool inPlayersFolder;
  };
  const Case cases[] = {
      {"installed", {"bin", "share/kesto/dat", "share/kesto/cg"}, true},
      {"a build folder beside an install", {"bin/dat", "bin/cg", "share/kesto/dat", "share/kesto/cg"}, false},
  };
  for (const Case& c : cases) {
    TempFolder root, data;
    for (const std::string& f : c.folders) std::filesystem::create_directories(root / f);
    root.Write("share/kesto/dat/my.dat", kShipped);
    ScopedEnv xdg("XDG_DATA_HOME", data.Path());
    const std::string program = root / "bin/";
    const std::string game = platform::FindGameFolder(program);
    const std::string expected = c.inPlayersFolder ? data.Path() + "kesto/" : game + "/dat/";
    EXPECT_EQ(platform::FindRecordFolder(game, program), expected) << c.what;
    EXPECT_EQ(std::filesystem::exists(data / "kesto/my.dat"), c.inPlayersFolder) << c.what;
  }
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

// The names in a folder, links and folders included.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

std::string ReplaceError(const std::string& path, std::string_view bytes) {
  try {
    platform::ReplaceFileAtomically(path, bytes);
  } catch (const platform::IoError& e) {
    return e.what();
  }
  return "";
}

// Links planted in the record's folder, at the name an older game used for
// its temporary file and elsewhere, are left alone, and so are their targets
// and any other file there: only my.dat changes.
TEST(ReplaceFileAtomically, FollowsNoPlantedLinkAndTouchesNoOtherFile) {
  TempFolder dat, elsewhere;
  dat.Write("my.dat", "old");
  elsewhere.Write("victim", "precious");
  dat.Write("my.dat.tmp.kept", "other");
  ASSERT_EQ(::symlink((elsewhere / "victim").c_str(), (dat / "my.dat.tmp").c_str()), 0);
  ASSERT_EQ(::symlink((elsewhere / "made").c_str(), (dat / "dangling").c_str()), 0);
  const std::set<std::string> before = Entries(dat.Path());

  platform::ReplaceFileAtomically(dat / "my.dat", "new record");
  platform::ReplaceFileAtomically(dat / "my.dat", "newer record");

  EXPECT_EQ(dat.Read("my.dat"), "newer record");
  EXPECT_EQ(Entries(dat.Path()), before);
  EXPECT_EQ(std::filesystem::read_symlink(dat / "my.dat.tmp"), elsewhere / "victim");
  EXPECT_EQ(elsewhere.Read("victim"), "precious");
  EXPECT_EQ(dat.Read("my.dat.tmp.kept"), "other");
  EXPECT_EQ(Entries(elsewhere.Path()), std::set<std::string>{"victim"});
}

// my.dat itself a link: the new record takes the link's name as a regular
// file, and the file it pointed to keeps its bytes. The new file takes the
// permissions of the file the link pointed to.
TEST(ReplaceFileAtomically, ARecordThatIsALinkIsReplacedByAFileAndItsTargetKept) {
  TempFolder dat, elsewhere;
  elsewhere.Write("target", "linked record");
  ::chmod((elsewhere / "target").c_str(), 0640);
  ASSERT_EQ(::symlink((elsewhere / "target").c_str(), (dat / "my.dat").c_str()), 0);

  platform::ReplaceFileAtomically(dat / "my.dat", "new record");

  struct stat st {};
  ASSERT_EQ(::lstat((dat / "my.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(dat.Read("my.dat"), "new record");
  EXPECT_EQ(elsewhere.Read("target"), "linked record");
  EXPECT_EQ(Entries(dat.Path()), std::set<std::string>{"my.dat"});
}

// A record that was there keeps its mode; a new one gets the usual mode of a
// new file (0666 less the umask), not the private mode of a temporary file.
TEST(ReplaceFileAtomically, KeepsTheModeOfTheOldRecordAndGivesANewOneTheUsualMode) {
  TempFolder dat;
  dat.Write("kept.dat", "old");
  ::chmod((dat / "kept.dat").c_str(), 0604);
  const mode_t oldMask = ::umask(022);
  platform::ReplaceFileAtomically(dat / "kept.dat", "a");
  platform::ReplaceFileAtomically(dat / "new.dat", "b");
  ::umask(oldMask);
  struct stat kept {}, made {};
  ASSERT_EQ(::stat((dat / "kept.dat").c_str(), &kept), 0);
  ASSERT_EQ(::stat((dat / "new.dat").c_str(), &made), 0);
  EXPECT_EQ(kept.st_mode & 07777, 0604u);
  EXPECT_EQ(made.st_mode & 07777, 0644u);
}

// Whatever fails (the write, the rename, the creation), the error names the
// record with the usual text, the old record stays and no temporary file is
// left beside it.
TEST(ReplaceFileAtomically, AFailureLeavesTheOldRecordAndNoTemporaryFile) {
  {
    // The write stops after 8 bytes (EFBIG, SIGXFSZ ignored).
    TempFolder dat;
    dat.Write("my.dat", "old");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit tiny = old;
    tiny.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const std::string error = ReplaceError(dat / "my.dat", std::string(100, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_EQ(error, "Cannot write file \"" + dat / "my.dat" + "\". " + std::strerror(EFBIG));
    EXPECT_EQ(dat.Read("my.dat"), "old");
    EXPECT_EQ(Entries(dat.Path()), std::set<std::string>{"my.dat"});
  }
  {
    // The rename fails: my.dat is a folder.
    TempFolder dat;
    dat.Write("my.dat/inside", "");
    const std::string error = ReplaceError(dat / "my.dat", "new");
    EXPECT_EQ(error, "Cannot write file \"" + dat / "my.dat" + "\". " + std::strerror(EISDIR));
    EXPECT_EQ(Entries(dat.Path()), std::set<std::string>{"my.dat"});
  }
  {
    // Nowhere to make the temporary file.
    TempFolder dat;
    const std::string error = ReplaceError(dat / "gone/my.dat", "new");
    EXPECT_EQ(error, "Cannot create file \"" + dat / "gone/my.dat" + "\". " + std::strerror(ENOENT));
    EXPECT_EQ(Entries(dat.Path()), std::set<std::string>{});
  }
}

// Two copies of the game closing at the same moment, many times: two
// processes released together, each replacing the record with its own,
// while this one reads it. Each save succeeds, every read finds one whole
// record, and afterwards my.dat is one of the two and nothing else is left.
TEST(ReplaceFileAtomically, TwoProcessesSavingAtOnceEachSaveWhole) {
  TempFolder dat;
  const std::string path = dat / "my.dat";
  const std::string first = "first copy\r\n41\r\n1\r\n3\r\n4\r\n";
  const std::string second = "the second copy of the game\r\n1234\r\n1\r\n56\r\n78\r\n";
  const std::string start = "\r\n0\r\n1\r\n0\r\n0\r\n";
  const int kPairs = 200;
  int whole = 0, torn = 0, refused = 0, leftOver = 0;
  for (int pair = 0; pair < kPairs; ++pair) {
    dat.Write("my.dat", start);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
      children[i] = ::fork();
      ASSERT_GE(children[i], 0);
      if (children[i] == 0) {
        ::close(gate[1]);
        char c;
        while (::read(gate[0], &c, 1) < 0 && errno == EINTR) {
        }
        try {
          platform::ReplaceFileAtomically(path, i == 0 ? first : second);
        } catch (const platform::IoError&) {
          ::_exit(1);
        }
        ::_exit(0);
      }
    }
    ::close(gate[0]);
    ::close(gate[1]);  // both start now
    int running = 2;
    bool failed = false, tore = false;
    while (running > 0) {
      const std::string seen = dat.Read("my.dat");
      if (seen != start && seen != first && seen != second) tore = true;
      for (pid_t& child : children) {
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, WNOHANG) == child) {
          if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) failed = true;
          child = 0;
          --running;
        }
      }
    }
    const std::string end = dat.Read("my.dat");
    if (end != first && end != second) tore = true;
    if (Entries(dat.Path()) != std::set<std::string>{"my.dat"}) ++leftOver;
    refused += failed;
    torn += tore;
    whole += !failed && !tore;
  }
  std::cout << kPairs << " pairs saving at once: " << whole << " whole, " << torn << " torn, " << refused
            << " refused; temporary files left after " << leftOver << '\n';
  EXPECT_EQ(whole, kPairs);
  EXPECT_EQ(leftOver, 0);
}

}  // namespace
