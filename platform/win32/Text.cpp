#include "platform/win32/Text.h"

#include <windows.h>

namespace platform::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(std::size_t(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(std::size_t(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), narrow.data(), length, nullptr, nullptr);
  return narrow;
}

std::string SystemMessage(unsigned long error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : L"Error " + std::to_wstring(error);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return Narrow(text);
}

}  // namespace platform::win32
