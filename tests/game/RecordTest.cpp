#include "game/Record.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "platform/Errors.h"
#include "tests/support/TempFolder.h"

namespace game {
namespace {

using testing_support::TempFolder;

constexpr std::int32_t kPrevious = -99;  // what a field holds before the load

// True when my.dat is all the folder holds: no temporary file was left.
bool OnlyTheRecord(const TempFolder& folder) {
  std::filesystem::directory_iterator entries(folder.Path()), end;
  return entries != end && entries->path().filename() == "my.dat" && ++entries == end;
}

tmy Previous() {
  tmy saved;
  saved.textLine = "old";
  saved.hiScore = saved.fixedOne = saved.goodCount = saved.missCount = kPrevious;
  return saved;
}

struct LoadCase {
  const char* name;
  std::string bytes;
  std::string textLine;
  std::int32_t hiScore, fixedOne, goodCount, missCount;
  bool invalid;  // "Invalid numeric input"
};

TEST(Record, LoadsByTheFileRules) {
  const std::string full = "first\r\n12\r\n1\r\n7\r\n3\r\n";
  const LoadCase cases[] = {
      {"five lines", full, "first", 12, 1, 7, 3, false},
      {"empty file", "", "", 0, 0, 0, 0, false},
      {"first line only", "x\r\n", "x", 0, 0, 0, 0, false},
      {"truncated after hiScore", "\r\n5", "", 5, 0, 0, 0, false},
      {"LF-only lines: one long first line", "a\n12\n1\n7\n3\n", "a\n12\n1\n7\n3\n", 0, 0, 0, 0, false},
      {"CR-only lines", "t\r4\r1\r2\r3\r", "t", 4, 1, 2, 3, false},
      {"Ctrl-Z ends the file", "t\r\n8\r\n1\x1a\r\n7\r\n3\r\n", "t", 8, 1, 0, 0, false},
      {"Ctrl-Z inside the first line", "ab\x1a" "cd\r\n8\r\n", "ab", 0, 0, 0, 0, false},
      {"blanks and empty lines before numbers", "\r\n\r\n  \t12 tail text\r\n\r\n1\r\n 7\r\n3", "", 12, 1, 7, 3, false},
      {"negative and plus", "\r\n-5\r\n+1\r\n-2147483648\r\n2147483647\r\n", "", -5, 1, INT32_MIN, INT32_MAX, false},
      {"hex", "\r\n$1F\r\n$ffffffff\r\n$0\r\n$7FFFFFFF\r\n", "", 31, -1, 0, INT32_MAX, false},
      {"bytes kept as stored", "\xb4\x83~ \t\r\n1\r\n", "\xb4\x83~ \t", 1, 0, 0, 0, false},
      {"33-byte token: the first 32 bytes count", "\r\n" + std::string(32, '0') + "7\r\n5\r\n", "", 0, 5, 0, 0,
       false},
      {"letters after digits", "\r\n12ab\r\n1\r\n", "", 0, kPrevious, kPrevious, kPrevious, true},
      {"non-numeric fixedOne", "\r\n12\r\nx\r\n", "", 12, 0, kPrevious, kPrevious, true},
      {"sign alone", "\r\n-\r\n", "", 0, kPrevious, kPrevious, kPrevious, true},
      {"overflow", "\r\n2147483648\r\n", "", 0, kPrevious, kPrevious, kPrevious, true},
      {"negative overflow", "\r\n-2147483649\r\n", "", 0, kPrevious, kPrevious, kPrevious, true},
      {"nine hex digits", "\r\n$123456789\r\n", "", 0, kPrevious, kPrevious, kPrevious, true},
      {"dollar alone", "\r\n$\r\n", "", 0, kPrevious, kPrevious, kPrevious, true},
      {"sign before hex", "\r\n-$1F\r\n", "", 0, kPrevious, kPrevious, kPrevious, true},
      {"overlong digits overflow", "\r\n" + std::string(40, '9') + "\r\n", "", 0, kPrevious, kPrevious, kPrevious,
       true},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    folder.Write("my.dat", c.bytes);
    tmy saved = Previous();
    std::optional<std::string> error;
    try {
      ReadRecord(folder / "my.dat", saved);
    } catch (const platform::IoError& e) {
      error = e.what();
    }
    EXPECT_EQ(error.has_value(), c.invalid);
    if (error) {
      EXPECT_EQ(*error, "Invalid numeric input");
    }
    EXPECT_EQ(saved.textLine, c.textLine);
    EXPECT_EQ(saved.hiScore, c.hiScore);
    EXPECT_EQ(saved.fixedOne, c.fixedOne);
    EXPECT_EQ(saved.goodCount, c.goodCount);
    EXPECT_EQ(saved.missCount, c.missCount);
  }
}

TEST(Record, MissingFileChangesNothingAndNamesTheProblem) {
  TempFolder folder;
  tmy saved = Previous();
  try {
    ReadRecord(folder / "dat/my.dat", saved);
    FAIL() << "no error";
  } catch (const platform::IoError& e) {
    EXPECT_NE(std::string(e.what()).find("my.dat"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
  }
  EXPECT_EQ(saved.textLine, "old");
  EXPECT_EQ(saved.hiScore, kPrevious);
}

TEST(Record, UnreadableFileIsAnError) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "my.dat");  // a folder in its place
  tmy saved = Previous();
  EXPECT_THROW(ReadRecord(folder / "my.dat", saved), platform::IoError);
  EXPECT_EQ(saved.hiScore, kPrevious);
}

TEST(Record, WritesFiveCrLfLinesAndReadsThemBack) {
  TempFolder folder;
  tmy saved;
  saved.textLine = "\xb4 line";
  saved.hiScore = -12;
  saved.fixedOne = 1;
  saved.goodCount = 7;
  saved.missCount = 3;
  WriteRecord(folder / "my.dat", saved);
  EXPECT_EQ(folder.Read("my.dat"), "\xb4 line\r\n-12\r\n1\r\n7\r\n3\r\n");
  tmy back;
  ReadRecord(folder / "my.dat", back);
  EXPECT_EQ(back.textLine, saved.textLine);
  EXPECT_EQ(back.hiScore, -12);
  EXPECT_EQ(back.fixedOne, 1);
  EXPECT_EQ(back.missCount, 3);
  EXPECT_TRUE(OnlyTheRecord(folder));

  saved = tmy{};
  WriteRecord(folder / "my.dat", saved);
  EXPECT_EQ(folder.Read("my.dat"), "\r\n0\r\n0\r\n0\r\n0\r\n");
}

// A save that cannot finish leaves the old record whole and raises.
TEST(Record, FailedSaveKeepsTheOldRecord) {
  const std::string old = "kept\r\n40\r\n1\r\n0\r\n0\r\n";
  tmy saved;
  saved.hiScore = 3;

  {
    SCOPED_TRACE("the record is a folder");
    TempFolder folder;
    std::filesystem::create_directories(folder / "my.dat");
    EXPECT_THROW(WriteRecord(folder / "my.dat", saved), platform::IoError);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "my.dat"));
    EXPECT_TRUE(OnlyTheRecord(folder));
  }
  {
    SCOPED_TRACE("the folder is missing");
    TempFolder folder;
    EXPECT_THROW(WriteRecord(folder / "dat/my.dat", saved), platform::IoError);
  }
  {
    SCOPED_TRACE("the folder is a file");
    TempFolder folder;
    folder.Write("dat", "x");
    EXPECT_THROW(WriteRecord(folder / "dat/my.dat", saved), platform::IoError);
  }
}

// The temporary file has a name of its own: whatever lies at the name an
// older save used neither stops the save nor is touched by it.
TEST(Record, WhatLiesAtTheOldTemporaryNameIsLeftAlone) {
  TempFolder folder;
  folder.Write("my.dat", "\r\n40\r\n1\r\n0\r\n0\r\n");
  folder.Write("my.dat.tmp/inside", "kept");
  tmy saved;
  saved.hiScore = 3;
  WriteRecord(folder / "my.dat", saved);
  EXPECT_EQ(folder.Read("my.dat"), "\r\n3\r\n0\r\n0\r\n0\r\n");
  EXPECT_EQ(folder.Read("my.dat.tmp/inside"), "kept");
}

// Root may write anything, so as root the save runs as an ordinary user.
TEST(Record, ReadOnlyRecordIsNotReplaced) {
  TempFolder folder;
  const std::string old = "\r\n40\r\n1\r\n0\r\n0\r\n";
  folder.Write("my.dat", old);
  ::chmod((folder / "my.dat").c_str(), 0444);
  ::chmod(folder.Path().c_str(), 0777);
  const uid_t user = ::geteuid();
  if (user == 0) {
    ASSERT_EQ(::seteuid(65534), 0);
  }
  EXPECT_THROW(WriteRecord(folder / "my.dat", tmy{}), platform::IoError);
  if (user == 0) {
    ASSERT_EQ(::seteuid(0), 0);
  }
  EXPECT_EQ(folder.Read("my.dat"), old);
  EXPECT_TRUE(OnlyTheRecord(folder));
}

}  // namespace
}  // namespace game
