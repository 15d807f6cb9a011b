#include "game/Record.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "game/Unit1.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Host.h"

namespace game {
namespace {

constexpr char kCR = 13, kLF = 10, kCtrlZ = 26;
constexpr std::size_t kMaxToken = 32;

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
  throw platform::IoError(std::string(what) + " \"" + path + "\". " + std::strerror(error));
}

std::string ReadAll(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) Fail("Cannot open file", path, errno);
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
    bytes.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  const bool failed = std::ferror(file);
  const int error = errno;
  std::fclose(file);
  if (failed) Fail("Cannot read file", path, error);
  return bytes;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

#ifndef _WIN32
// Writes all of `bytes`, retrying after short writes.
bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(std::size_t(n));
  }
  return true;
}

std::string Folder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}
#endif

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

#ifdef _WIN32
void WriteRecord(const std::string& path, const tmy& saved) {
  platform::ReplaceFileAtomically(path, FormatRecord(saved));
}
#else
void WriteRecord(const std::string& path, const tmy& saved) {
  const std::string text = FormatRecord(saved);

  // A read-only record stays as it is, as it would if it were rewritten in place.
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) Fail("Cannot create file", path, errno);

  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Fail("Cannot create file", path, errno);
  int error = 0;
  if (exists && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  if (!WriteFully(fd, text) || ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    Fail("Cannot write file", path, error);
  }
  // Make the rename itself durable; the record is already in place either way.
  const int dir = ::open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}
#endif

void TForm1::LoadRecord() { ReadRecord(host_.ProgramFolder() + "/dat/my.dat", GameState.saved); }

void TForm1::SaveRecord() {
  WriteRecord(host_.ProgramFolder() + "/dat/my.dat", GameState.saved);
  host_.ShowMessageBox(kApplicationTitle, "どきゅん！！", platform::BoxIcon::None);
}

}  // namespace game
