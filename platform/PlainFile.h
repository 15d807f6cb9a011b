// Reading the files the game and the mixer are given (pictures, waves, MIDI,
// the record, WAVEMIX.INI) without trusting what lies at the name: opening
// never blocks (a FIFO, a terminal, a device), anything but a regular file
// is refused, and reads stop at the size the file had when it was opened,
// so a file that grows without end (a device behind a symlink) is never read
// to its end. Each system has its implementation (posix/PlainFile.cpp,
// win32/PlainFile.cpp); this header includes no system header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// The limit of the files held whole in memory: a picture, the record, an
// INI file (ours are a few kilobytes).
inline constexpr std::uint64_t kPlainFileLimit = std::uint64_t(64) << 20;

// The reason given for a name that is not a regular file (a directory reads
// as the system's "Is a directory").
inline constexpr const char* kNotRegularFile = "Not a regular file";

class PlainFile {
 public:
  // Opens the regular file at `path` (UTF-8) for reading; a file larger than
  // `limit` bytes is refused. On failure returns null and sets `reason` to
  // the system's text for the error (strerror's: "No such file or
  // directory", "Permission denied", "Is a directory", "File too large"), or
  // kNotRegularFile.
  static std::unique_ptr<PlainFile> Open(const std::string& path, std::uint64_t limit, std::string& reason);
  ~PlainFile();
  PlainFile(const PlainFile&) = delete;
  PlainFile& operator=(const PlainFile&) = delete;

  // The size seen at the open.
  std::uint64_t Size() const { return size_; }
  // Reads up to `count` bytes at `offset`, never past Size(); returns the
  // number read, fewer at the end or when reading fails (then `reason`, if
  // given, says why and is otherwise left as it was).
  std::size_t ReadAt(std::uint64_t offset, void* into, std::size_t count, std::string* reason = nullptr);

 private:
  PlainFile(std::intptr_t handle, std::uint64_t size) : handle_(handle), size_(size) {}
  std::intptr_t handle_;  // the descriptor or the HANDLE
  std::uint64_t size_;
};

// The whole of the regular file at `path`, at most `limit` bytes, as
// PlainFile::Open and ReadAt take it; nullopt with `reason` set when it
// cannot be opened or read.
inline std::optional<std::string> ReadPlainFile(const std::string& path, std::uint64_t limit, std::string& reason) {
  const std::unique_ptr<PlainFile> file = PlainFile::Open(path, limit, reason);
  if (!file) return std::nullopt;
  std::string bytes(std::size_t(file->Size()), '\0');
  std::string error;
  // A file that shrank since the open gives what it still has.
  bytes.resize(file->ReadAt(0, bytes.data(), bytes.size(), &error));
  if (!error.empty()) {
    reason = error;
    return std::nullopt;
  }
  return bytes;
}

}  // namespace platform
