// The record file dat/my.dat: five lines ended by CR LF (textLine, hiScore,
// fixedOne, goodCount, missCount), numbers in decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "game/GameState.h"

namespace game {

// Reads the record at `path` into `saved`, field by field in file order.
// Only CR ends a line (a LF right after it is passed over), byte 26 ends the
// file, blanks and control bytes before a number are skipped and a number
// missing at the end of the file reads as 0. Throws platform::IoError when
// the file cannot be opened or read (no field changes) or a number is
// malformed (the fields before it keep what was read, that one becomes 0).
void ReadRecord(const std::string& path, tmy& saved);
// The reading rules of ReadRecord on the file's bytes, with the same errors
// for malformed numbers.
void ParseRecord(std::string_view bytes, tmy& saved);
// The five lines WriteRecord puts in the file.
std::string FormatRecord(const tmy& saved);

// Replaces the file at `path` with the record, atomically: the lines go to a
// temporary file beside it, which is flushed to disk and renamed over the
// old one, so a failed save leaves the old record whole. Throws
// platform::IoError when the file cannot be written or is read-only.
void WriteRecord(const std::string& path, const tmy& saved);

// A number token: optional sign and decimal digits within 32 bits, or "$"
// and one to eight hexadecimal digits. Empty when it does not convert in full.
std::optional<std::int32_t> ParseRecordNumber(std::string_view token);

}  // namespace game
