#include "zpak/common/Format.h"

#include <cstdio>
#include <cwchar>
#include <vector>

namespace ZP
{
namespace
{

// Rewrites the conversion letters whose argument width differs between the platform's wide printf
// and the launcher's convention.
std::wstring TranslateWideFormat(const wchar_t* format)
{
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p)
    {
        out.push_back(*p);
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%')
        {
            out.push_back(L'%');
            continue;
        }
        // flags, width, precision
        while (*p && std::wcschr(L"-+ #0123456789.*'", *p))
            out.push_back(*p++);
        if (!*p) break;
        // length modifiers
        bool narrow = false;
        bool wide = false;
        if (*p == L'h' && (p[1] == L's' || p[1] == L'c'))
            narrow = true, ++p;
        else if ((*p == L'l' || *p == L'w') && (p[1] == L's' || p[1] == L'c'))
            wide = true, ++p;
        else
            while (*p && std::wcschr(L"hlLqjztI0123456789", *p))
                out.push_back(*p++);
        if (!*p) break;
        wchar_t conv = *p;
        if (conv == L's' || conv == L'c')
        {
            if (!narrow) out.push_back(L'l');
            out.push_back(conv);
            (void)wide;
        }
        else if (conv == L'S' || conv == L'C')
            out.push_back(conv == L'S' ? L's' : L'c');
        else
            out.push_back(conv);
    }
    return out;
}

} // namespace

std::wstring FormatWideV(size_t maxChars, const wchar_t* format, va_list args)
{
    if (!format || maxChars == 0) return std::wstring();
    std::wstring translated = TranslateWideFormat(format);
    // glibc reports truncation as a failure, so retry with more room and cut afterwards.
    size_t room = maxChars + 1;
    for (int attempt = 0; attempt < 4; ++attempt)
    {
        std::vector<wchar_t> buffer(room);
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buffer.data(), buffer.size(), translated.c_str(), copy);
        va_end(copy);
        if (n >= 0)
        {
            size_t len = static_cast<size_t>(n) < maxChars ? static_cast<size_t>(n) : maxChars;
            return std::wstring(buffer.data(), len);
        }
        room *= 16;
    }
    return std::wstring();
}

std::wstring FormatWide(size_t maxChars, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring s = FormatWideV(maxChars, format, args);
    va_end(args);
    return s;
}

std::string FormatNarrowV(size_t maxChars, const char* format, va_list args)
{
    if (!format || maxChars == 0) return std::string();
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    size_t len = static_cast<size_t>(n) < maxChars ? static_cast<size_t>(n) : maxChars;
    return std::string(buffer.data(), len);
}

std::string FormatNarrow(size_t maxChars, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string s = FormatNarrowV(maxChars, format, args);
    va_end(args);
    return s;
}

} // namespace ZP
