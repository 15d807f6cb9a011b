// The record's atomic replace and the program and game folders on Windows, with UTF-16
// paths throughout: a temporary file beside the target, FlushFileBuffers,
// then MoveFileExW over the old file with MOVEFILE_WRITE_THROUGH so the
// rename itself has reached the disk when it returns.
#include "platform/Files.h"

#include <windows.h>

#include <algorithm>

#include "platform/Errors.h"
#include "platform/win32/Text.h"

namespace platform {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, DWORD error) {
  throw IoError(std::string(what) + " \"" + path + "\". " + win32::SystemMessage(error));
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
  const std::wstring temp = target + L".tmp";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  if (error == 0 &&
      !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
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

std::string FindRecordFolder(const std::string& gameFolder) {
  const bool separated = !gameFolder.empty() && (gameFolder.back() == '\\' || gameFolder.back() == '/');
  return gameFolder + (separated ? "dat\\" : "\\dat\\");
}

}  // namespace platform
