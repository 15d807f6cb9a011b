#include "platform/Json.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonString, EscapesOnlyWhatJsonNeedsAndLatin1Strays) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"", R"("")"},
      {"Score 120", R"("Score 120")"},
      {"ミルタスチャレンジ", "\"ミルタスチャレンジ\""},
      {"say \"hi\"\\", R"("say \"hi\"\\")"},
      {"a\nb\tc\x01", R"("a\u000ab\u0009c\u0001")"},
      // A lone Latin-1 byte, as in the mixer's messages.
      {"Can\xB4t", R"("Can\u00b4t")"},
      // Valid sequences next to broken ones: a truncated 3-byte form, an
      // overlong '/', a surrogate.
      {"\xE3\x81" "x", R"("\u00e3\u0081x")"},
      {"\xC0\xAF", R"("\u00c0\u00af")"},
      {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")"},
      {"\xF0\x9F\x8E\xB5", "\"\xF0\x9F\x8E\xB5\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::JsonString(c.in), c.out) << c.in;
  }
}

}  // namespace
