// The BMP decoder, on every platform's suite: each form it reads against
// the pixels tests/bmp/make_cases.py says it must give, the pictures the
// game ships (run-length encoded too), and the crafted files that must be
// refused, with the file's name, before anything is allocated for them.
#include "platform/Bmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "tests/support/CountingNew.h"

#ifndef KESTO_BMP_CASES
#error "KESTO_BMP_CASES must name the folder make_cases.py wrote"
#endif
#ifndef KESTO_SOURCE_DIR
#error "KESTO_SOURCE_DIR must name the source folder"
#endif

namespace {

namespace fs = std::filesystem;
using platform::DecodeBmp;
using platform::Image;

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  return std::string(std::istreambuf_iterator<char>(file), {});
}

Image Decode(const std::string& bytes, const std::string& what) { return DecodeBmp(bytes.data(), bytes.size(), what); }

std::vector<fs::path> Files(const char* folder, const char* extension) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(KESTO_BMP_CASES) / folder))
    if (entry.path().extension() == extension) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Every form, next to the pixels it must give (width, height, then R, G, B).
TEST(Bmp, EachFormGivesItsPixels) {
  const auto forms = Files("forms", ".bmp");
  ASSERT_GE(forms.size(), 14u);
  for (const fs::path& form : forms) {
    SCOPED_TRACE(form.filename().string());
    const std::string rgb = ReadBytes(fs::path(form).replace_extension(".rgb"));
    ASSERT_GE(rgb.size(), 8u);
    auto word = [&](int at) {
      return int(std::uint8_t(rgb[at])) | int(std::uint8_t(rgb[at + 1])) << 8 | int(std::uint8_t(rgb[at + 2])) << 16;
    };
    std::vector<std::uint32_t> expected;
    for (std::size_t i = 8; i + 2 < rgb.size(); i += 3)
      expected.push_back(std::uint32_t(std::uint8_t(rgb[i])) << 16 | std::uint32_t(std::uint8_t(rgb[i + 1])) << 8 |
                         std::uint8_t(rgb[i + 2]));
    const Image image = Decode(ReadBytes(form), form.filename().string());
    EXPECT_EQ(image.width, word(0));
    EXPECT_EQ(image.height, word(4));
    EXPECT_EQ(image.pixels, expected);
  }
}

// The start picture, and every character picture run-length encoded as the
// Windows build carries it, decoding to the pixels of its source file.
TEST(Bmp, ShippedPicturesDecode) {
  const Image start = Decode(ReadBytes(fs::path(KESTO_SOURCE_DIR) / "assets/cg/start.bmp"), "start.bmp");
  EXPECT_EQ(start.width, 400);
  EXPECT_EQ(start.height, 300);
  for (const char* name : {"nomal1", "nomal2", "nomal3", "which", "great", "cry", "ending", "lv1", "lv2"}) {
    SCOPED_TRACE(name);
    const std::string file = std::string(name) + ".bmp";
    const std::string encoded = ReadBytes(fs::path(KESTO_BMP_CASES) / "rle8" / file);
    ASSERT_EQ(encoded.at(30), 1) << "not run-length encoded";
    const Image expected = Decode(ReadBytes(fs::path(KESTO_SOURCE_DIR) / "assets/pictures" / file), name);
    const Image decoded = Decode(encoded, name);
    EXPECT_EQ(decoded.width, 400);
    EXPECT_EQ(decoded.height, 300);
    EXPECT_TRUE(decoded.pixels == expected.pixels);
  }
}

// Each crafted file is refused with an IoError that begins with its name (the
// text of the game's error box), having allocated no more than a small
// picture's worth: nothing for the pixels it claims.
TEST(Bmp, HostileFilesAreRefusedBeforeAllocating) {
  const auto files = Files("hostile", ".bmp");
  ASSERT_GE(files.size(), 18u);
  for (const fs::path& file : files) {
    const std::string name = "cg/" + file.filename().string();
    SCOPED_TRACE(name);
    const std::string bytes = ReadBytes(file);
    largestAllocation = 0;
    try {
      Decode(bytes, name);
      ADD_FAILURE() << "accepted";
    } catch (const platform::IoError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(name + ": ", 0), 0u) << e.what();
    }
    EXPECT_LT(largestAllocation, std::size_t(64 * 1024)) << "bytes in one allocation";
  }
}

// Damage to a shipped picture: each cut and each bad field is refused.
TEST(Bmp, DamagedPicturesAreRefused) {
  const std::string whole = ReadBytes(fs::path(KESTO_BMP_CASES) / "rle8/which.bmp");
  const std::string plain = ReadBytes(fs::path(KESTO_SOURCE_DIR) / "assets/pictures/which.bmp");
  auto with = [](std::string bytes, std::size_t at, char value) {
    bytes.replace(at, 1, 1, value);
    return bytes;
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a bitmap", "GIF89a" + std::string(40, '\0')},
      {"header cut", whole.substr(0, 30)},
      {"colour table cut", whole.substr(0, 100)},
      {"runs cut", whole.substr(0, whole.size() / 2)},
      {"end of the runs cut", whole.substr(0, whole.size() - 2)},
      {"rows cut", plain.substr(0, plain.size() - 1)},
      {"bad depth", with(whole, 28, 7)},
      {"run-length 24 bits", with(with(plain, 28, 24), 30, 1)},
      {"unknown compression", with(plain, 30, 9)},
      {"header of 20 bytes", with(plain, 14, 20)},
      {"no width", with(with(plain, 18, 0), 19, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      Decode(c.bytes, "cg/x.bmp");
      ADD_FAILURE() << "accepted";
    } catch (const platform::IoError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("cg/x.bmp: ", 0), 0u) << e.what();
    }
  }
}

}  // namespace
