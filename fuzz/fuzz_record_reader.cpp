// libFuzzer target for the record file's reading rules: any bytes either give
// a record or the invalid-numeric-input error, and a record that was read is
// written and read back unchanged (the reader accepts what the writer makes).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "game/Record.h"
#include "platform/Errors.h"

namespace {

bool Same(const game::tmy& a, const game::tmy& b) {
  return a.textLine == b.textLine && a.hiScore == b.hiScore && a.fixedOne == b.fixedOne &&
         a.goodCount == b.goodCount && a.missCount == b.missCount;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  game::tmy saved;
  try {
    game::ParseRecord(bytes, saved);
  } catch (const platform::IoError& e) {
    if (std::string_view(e.what()) != "Invalid numeric input") std::abort();
    return 0;
  }
  // The first line stops at the first CR or byte 26, so neither can be in it.
  if (saved.textLine.find_first_of("\r\x1a") != std::string::npos) std::abort();

  const std::string written = game::FormatRecord(saved);
  game::tmy back;
  try {
    game::ParseRecord(written, back);
  } catch (const platform::IoError&) {
    std::abort();
  }
  if (!Same(saved, back) || game::FormatRecord(back) != written) std::abort();
  return 0;
}
