// UTF-8 inside the program, UTF-16 at the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's text for a Win32 error code, without the line end.
std::string SystemMessage(unsigned long error);

}  // namespace platform::win32
