#pragma once
// Text conversions between the launcher's wide text and the byte encodings it meets on disk and
// on the wire. Code page 65001 is UTF-8; code page 0 (the "ANSI" page) is CP949.
#include <string>
#include <string_view>

namespace platform::text
{

constexpr unsigned kCodePageAnsi = 0;
constexpr unsigned kCodePageKorean = 949;
constexpr unsigned kCodePageUtf8 = 65001;

// Characters the target code page cannot hold become '?'. Never fails.
std::string WideToMultiByte(std::wstring_view text, unsigned codePage);
// Invalid byte sequences become U+FFFD. Never fails.
std::wstring MultiByteToWide(std::string_view bytes, unsigned codePage);

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view bytes);

// UTF-16 code units as they are stored on disk (little-endian byte order is the caller's concern).
std::u16string WideToUtf16(std::wstring_view text);
std::wstring Utf16ToWide(std::u16string_view units);

// Locale-independent case mapping (the full Unicode tables, not the process locale).
wchar_t ToUpper(wchar_t c);
wchar_t ToLower(wchar_t c);
std::wstring ToUpper(std::wstring_view text);
// <0, 0, >0 like wcscmp, comparing upper-cased characters.
int CompareNoCase(std::wstring_view a, std::wstring_view b);

} // namespace platform::text
