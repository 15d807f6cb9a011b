#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Profile.h"

namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (fs::temp_directory_path() / "kesto_profile_test.ini").string();
    std::ofstream(path_, std::ios::binary) << "; a comment=1\r\n"
                                              "[General]\r\n"
                                              "  WaveOutDevice = 2 \r\n"
                                              "Negative=-1\r\n"
                                              "Word=abc\r\n"
                                              "Trailing=12abc\r\n"
                                              "Empty=\r\n"
                                              "Hex=0x10\r\n"
                                              "Quoted=\"7\"\r\n"
                                              "[ Sound Card ]\n"
                                              "Remix=2\n"
                                              "[general]\n"
                                              "Later=5\n";
  }
  void TearDown() override { fs::remove(path_); }
  std::string path_;
};

struct Case {
  const char* section;
  const char* key;
  int expected;
};

TEST_F(ProfileTest, ReadsAsTheWindowsReaderDoes) {
  const Case cases[] = {
      {"general", "waveoutdevice", 2},  // names match whatever their case, blanks around them go
      {"GENERAL", "Negative", -1},
      {"general", "Word", 0},  // no digits
      {"general", "Trailing", 12},  // digits up to the first other character
      {"general", "Empty", 99},  // an empty value is the default
      {"general", "Hex", 16},
      {"general", "Quoted", 7},
      {"general", "Missing", 99},
      {"sound card", "Remix", 2},
      {"general", "Later", 99},  // only the first section of a name is read
      {"nowhere", "Remix", 99},
      {"general", "; a comment", 99},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::ReadProfileInt(c.section, c.key, 99, path_), c.expected) << c.section << "/" << c.key;
}

TEST_F(ProfileTest, MissingFileGivesTheDefault) {
  EXPECT_EQ(platform::ReadProfileInt("general", "WaveOutDevice", -7, path_ + ".none"), -7);
}

}  // namespace
