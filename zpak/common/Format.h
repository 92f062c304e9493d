#pragma once
// printf-style formatting with the launcher's conventions: in a wide format "%s" and "%c" take
// wide arguments ("%hs"/"%hc" or "%S"/"%C" take narrow ones), in a narrow format they take narrow
// ones. The result is cut to the given number of characters, never written past it.
#include <cstdarg>
#include <string>

namespace ZP
{

std::wstring FormatWideV(size_t maxChars, const wchar_t* format, va_list args);
std::wstring FormatWide(size_t maxChars, const wchar_t* format, ...);
std::string FormatNarrowV(size_t maxChars, const char* format, va_list args);
std::string FormatNarrow(size_t maxChars, const char* format, ...);

} // namespace ZP
