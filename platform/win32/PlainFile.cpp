#include "platform/PlainFile.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// The C library's number for a system error, as its own open would set it,
// so that the texts are those of strerror on every system.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EINVAL;
  }
}

HANDLE HandleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The name as Windows takes it (the mixer's library has no other helper).
std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(std::size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), n);
  return wide;
}

}  // namespace

std::unique_ptr<PlainFile> PlainFile::Open(const std::string& path, std::uint64_t limit, std::string& reason) {
  // Backup semantics let a directory open, to be named as one below; a pipe
  // or a device opens without waiting and is refused by its type.
  const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    reason = std::strerror(ErrnoOf(GetLastError()));
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    reason = kNotRegularFile;
  } else if (!GetFileInformationByHandle(handle, &info)) {
    reason = std::strerror(ErrnoOf(GetLastError()));
  } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    reason = std::strerror(EISDIR);
  } else if (const std::uint64_t size = std::uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow; size > limit) {
    reason = std::strerror(EFBIG);
  } else {
    return std::unique_ptr<PlainFile>(new PlainFile(reinterpret_cast<std::intptr_t>(handle), size));
  }
  CloseHandle(handle);
  return nullptr;
}

PlainFile::~PlainFile() { CloseHandle(HandleOf(handle_)); }

std::size_t PlainFile::ReadAt(std::uint64_t offset, void* into, std::size_t count, std::string* reason) {
  if (offset >= size_) return 0;
  if (count > size_ - offset) count = std::size_t(size_ - offset);
  std::size_t done = 0;
  while (done < count) {
    const std::uint64_t at = offset + done;
    OVERLAPPED place{};
    place.Offset = DWORD(at);
    place.OffsetHigh = DWORD(at >> 32);
    const DWORD want = DWORD(std::min<std::size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(HandleOf(handle_), static_cast<char*>(into) + done, want, &got, &place)) {
      if (reason && GetLastError() != ERROR_HANDLE_EOF) *reason = std::strerror(EIO);
      break;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace platform
