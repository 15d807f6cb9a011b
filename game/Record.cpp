#include "game/Record.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/PlainFile.h"

namespace game {
namespace {

constexpr char kCR = 13, kLF = 10, kCtrlZ = 26;
constexpr std::size_t kMaxToken = 32;

[[noreturn]] void Fail(const char* what, const std::string& path, const std::string& reason) {
  throw platform::IoError(std::string(what) + " \"" + path + "\". " + reason);
}

[[noreturn]] void Fail(const char* what, const std::string& path, int error) { Fail(what, path, std::strerror(error)); }

// The record is a plain file of at most 64 MB: anything else at its name
// reads as a file that cannot be opened, with the system's reason.
std::string ReadAll(const std::string& path) {
  std::string reason;
  const std::unique_ptr<platform::PlainFile> file = platform::PlainFile::Open(path, platform::kPlainFileLimit, reason);
  if (!file) Fail("Cannot open file", path, reason);
  std::string bytes(std::size_t(file->Size()), '\0');
  reason.clear();
  // A record that shrank since the open gives what it still has.
  bytes.resize(file->ReadAt(0, bytes.data(), bytes.size(), &reason));
  if (!reason.empty()) Fail("Cannot read file", path, reason);
  return bytes;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::optional<std::int32_t> ParseRecordNumber(std::string_view token) {
  if (token.empty()) return std::nullopt;
  if (token[0] == '$') {
    const std::string_view digits = token.substr(1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    // Eight hex digits are the 32-bit pattern: $FFFFFFFF is -1.
    return static_cast<std::int32_t>(value);
  }
  std::string_view digits = token;
  bool negative = false;
  if (digits[0] == '+' || digits[0] == '-') {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::int64_t(INT32_MAX) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

void ParseRecord(std::string_view bytes, tmy& saved) {
  if (const std::size_t eof = bytes.find(kCtrlZ); eof != std::string_view::npos) bytes = bytes.substr(0, eof);
  const std::size_t size = bytes.size();
  std::size_t at = 0;

  // Past the next CR and a LF right behind it, or to the end.
  auto skipLine = [&] {
    while (at < size && bytes[at] != kCR) ++at;
    if (at < size) ++at;
    if (at < size && bytes[at] == kLF) ++at;
  };

  const std::size_t cr = bytes.find(kCR);
  saved.textLine = std::string(bytes.substr(0, cr == std::string_view::npos ? size : cr));
  skipLine();

  for (std::int32_t* field : {&saved.hiScore, &saved.fixedOne, &saved.goodCount, &saved.missCount}) {
    while (at < size && IsBlank(bytes[at])) ++at;
    if (at == size) {
      *field = 0;
      continue;
    }
    const std::size_t start = at;
    while (at < size && at - start < kMaxToken && !IsBlank(bytes[at])) ++at;
    const std::optional<std::int32_t> value = ParseRecordNumber(bytes.substr(start, at - start));
    *field = value.value_or(0);
    if (!value) throw platform::IoError("Invalid numeric input");
    skipLine();
  }
}

void ReadRecord(const std::string& path, tmy& saved) { ParseRecord(ReadAll(path), saved); }

std::string FormatRecord(const tmy& saved) {
  std::string text = saved.textLine;
  text += "\r\n";
  for (std::int32_t value : {saved.hiScore, saved.fixedOne, saved.goodCount, saved.missCount}) {
    text += std::to_string(value);
    text += "\r\n";
  }
  return text;
}

void WriteRecord(const std::string& path, const tmy& saved) {
  // A read-only record stays as it is, as it would if it were rewritten in place.
  if (platform::IsReadOnlyFile(path)) Fail("Cannot create file", path, EACCES);
  platform::ReplaceFileAtomically(path, FormatRecord(saved));
}

}  // namespace game
