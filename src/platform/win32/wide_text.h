// UTF-8 <-> UTF-16 for the Win32 "W" calls: the program keeps UTF-8 everywhere, Windows takes
// wide strings. Plain functions, any thread.
#pragma once

#include <string>
#include <string_view>

namespace kivo::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// The text of a Windows error number (FormatMessage), without the trailing line end.
std::string SystemErrorText(unsigned long error);

}  // namespace kivo::win32
