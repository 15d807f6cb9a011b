// The record's atomic replace and the program and game folders on Windows, with UTF-16
// paths throughout: a new temporary file beside the target under a name of
// its own (CREATE_NEW, so no file or link there is reused and two copies of
// the game never share it), FlushFileBuffers, then MoveFileExW over the old
// file with MOVEFILE_WRITE_THROUGH so the rename itself has reached the disk
// when it returns.
#include "platform/Files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>

#include "platform/Errors.h"
#include "platform/win32/Text.h"

namespace platform {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, DWORD error) {
  throw IoError(std::string(what) + " \"" + path + "\". " + win32::SystemMessage(error));
}

// A name beside `target` that was free, and its file made for writing:
// random letters after ".tmp-" (from the system's randomness, mixed with the
// process and a count so two copies or two saves never draw alike), retried
// while the name is taken.
HANDLE CreateUniqueFile(const std::wstring& target, std::wstring& name) {
  static std::atomic<std::uint64_t> count{0};
  std::uint64_t seed = (std::uint64_t(GetCurrentProcessId()) << 32) ^ ++count;
  try {
    std::random_device device;
    seed ^= (std::uint64_t(device()) << 32) ^ device();
  } catch (const std::exception&) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    seed ^= std::uint64_t(now.QuadPart) * 0x9E3779B97F4A7C15ull;
  }
  std::mt19937_64 random(seed);
  static const wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<std::size_t> pick(0, 35);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + L".tmp-";
    for (int i = 0; i < 10; ++i) name += kLetters[pick(random)];
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

// MoveFileExW over the record. Another copy of the game renaming over it at
// the same instant can hold it for a moment (access denied, sharing
// violation): those are retried a few times before they count. A folder in
// the record's place is refused at once.
bool MoveOver(const std::wstring& temp, const std::wstring& target) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (attempt == 50 || folder || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) {
      SetLastError(error);
      return false;
    }
    Sleep(10);
  }
}

}  // namespace

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(win32::Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::wstring target = win32::Widen(path);
  // A read-only record stays as it is, as it would if it were rewritten in place.
  if (IsReadOnlyFile(path)) Fail("Cannot create file", path, ERROR_ACCESS_DENIED);
  std::wstring temp;
  HANDLE file = CreateUniqueFile(target, temp);
  if (file == INVALID_HANDLE_VALUE) Fail("Cannot create file", path, GetLastError());
  DWORD error = 0;
  while (!bytes.empty() && error == 0) {
    DWORD written = 0;
    const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) error = GetLastError();
    bytes.remove_prefix(written);
  }
  if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  if (error == 0 && !MoveOver(temp, target)) error = GetLastError();
  if (error != 0) {
    DeleteFileW(temp.c_str());
    Fail("Cannot write file", path, error);
  }
}

std::string ExecutableFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (length == 0) return ".\\";
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  const std::size_t slash = buffer.find_last_of(L"\\/");
  return slash == std::wstring::npos ? ".\\" : win32::Narrow(buffer.substr(0, slash + 1));
}

// A Windows game is one folder, unpacked anywhere the player may write: its
// data and its record stay in it.
std::string FindGameFolder(const std::string& programFolder) { return programFolder; }

std::string FindRecordFolder(const std::string& gameFolder, const std::string& /*programFolder*/) {
  const bool separated = !gameFolder.empty() && (gameFolder.back() == '\\' || gameFolder.back() == '/');
  return gameFolder + (separated ? "dat\\" : "\\dat\\");
}

}  // namespace platform
