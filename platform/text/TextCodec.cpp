#include "platform/text/TextCodec.h"

#include <cerrno>
#include <clocale>
#include <cwctype>
#include <iconv.h>
#include <locale.h>
#include <mutex>

namespace platform::text
{
namespace
{

const char* IconvName(unsigned codePage)
{
    switch (codePage)
    {
    case kCodePageAnsi:
    case kCodePageKorean:
        return "CP949";
    case 1252:
        return "CP1252";
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 950:
        return "CP950";
    default:
        return nullptr;
    }
}

// iconv descriptors are not thread-safe; each thread keeps its own pair per code page.
struct sIconvPair
{
    unsigned codePage = ~0u;
    iconv_t toBytes = reinterpret_cast<iconv_t>(-1);
    iconv_t toWide = reinterpret_cast<iconv_t>(-1);
    void Close()
    {
        if (toBytes != reinterpret_cast<iconv_t>(-1)) iconv_close(toBytes);
        if (toWide != reinterpret_cast<iconv_t>(-1)) iconv_close(toWide);
        toBytes = toWide = reinterpret_cast<iconv_t>(-1);
    }
    ~sIconvPair() { Close(); }
};

sIconvPair& IconvFor(unsigned codePage)
{
    thread_local sIconvPair pair;
    if (pair.codePage != codePage)
    {
        pair.Close();
        pair.codePage = codePage;
        if (const char* name = IconvName(codePage))
        {
            pair.toBytes = iconv_open(name, "WCHAR_T");
            pair.toWide = iconv_open("WCHAR_T", name);
        }
    }
    return pair;
}

locale_t UnicodeLocale()
{
    static locale_t loc = []
    {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }();
    return loc;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
        out.push_back(static_cast<char>(c));
    else if (c < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else if (c < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text)
    {
        char32_t c = static_cast<char32_t>(wc);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n)
    {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80)
        {
            out.push_back(b);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (b == 0xC0 || b == 0xC1 || b >= 0xF5)
            extra = -1; // can only start an overlong or out-of-range form
        else if ((b & 0xE0) == 0xC0)
            extra = 1, c = b & 0x1F, min = 0x80;
        else if ((b & 0xF0) == 0xE0)
            extra = 2, c = b & 0x0F, min = 0x800;
        else if ((b & 0xF8) == 0xF0)
            extra = 3, c = b & 0x07, min = 0x10000;
        else
            extra = -1;
        if (extra < 0)
        {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra); ++j)
        {
            if (i + j >= n) break;
            unsigned char cb = static_cast<unsigned char>(bytes[i + j]);
            if ((cb & 0xC0) != 0x80) break;
            c = (c << 6) | (cb & 0x3F);
        }
        if (j <= static_cast<size_t>(extra) || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        {
            out.push_back(0xFFFD);
            i += j;
            continue;
        }
        out.push_back(static_cast<wchar_t>(c));
        i += extra + 1;
    }
    return out;
}

std::u16string WideToUtf16(std::wstring_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t wc : text)
    {
        char32_t c = static_cast<char32_t>(wc);
        if (c >= 0x10000 && c <= 0x10FFFF)
        {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        }
        else if (c > 0x10FFFF)
            out.push_back(0xFFFD);
        else
            out.push_back(static_cast<char16_t>(c));
    }
    return out;
}

std::wstring Utf16ToWide(std::u16string_view units)
{
    std::wstring out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i)
    {
        char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
        {
            out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
            ++i;
        }
        else
            out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}

std::string WideToMultiByte(std::wstring_view text, unsigned codePage)
{
    if (codePage == kCodePageUtf8) return WideToUtf8(text);
    sIconvPair& pair = IconvFor(codePage);
    std::string out;
    if (pair.toBytes == reinterpret_cast<iconv_t>(-1))
    {
        for (wchar_t c : text)
            out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return out;
    }
    iconv(pair.toBytes, nullptr, nullptr, nullptr, nullptr);
    out.resize(text.size() * 2 + 8);
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text.data()));
    size_t inLeft = text.size() * sizeof(wchar_t);
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0)
    {
        size_t r = iconv(pair.toBytes, &in, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG)
        {
            size_t used = static_cast<size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // Unmappable or invalid character: one '?' in its place, as the ANSI conversion does.
        if (outLeft == 0)
        {
            size_t used = static_cast<size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
        }
        *outPtr++ = '?';
        --outLeft;
        in += sizeof(wchar_t);
        inLeft -= sizeof(wchar_t);
    }
    out.resize(static_cast<size_t>(outPtr - out.data()));
    return out;
}

std::wstring MultiByteToWide(std::string_view bytes, unsigned codePage)
{
    if (codePage == kCodePageUtf8) return Utf8ToWide(bytes);
    sIconvPair& pair = IconvFor(codePage);
    std::wstring out;
    if (pair.toWide == reinterpret_cast<iconv_t>(-1))
    {
        for (char c : bytes)
            out.push_back(static_cast<unsigned char>(c) < 0x80 ? static_cast<wchar_t>(c) : 0xFFFD);
        return out;
    }
    iconv(pair.toWide, nullptr, nullptr, nullptr, nullptr);
    out.resize(bytes.size() + 1);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(wchar_t);
    while (inLeft > 0)
    {
        size_t r = iconv(pair.toWide, &in, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        size_t used = static_cast<size_t>(outPtr - reinterpret_cast<char*>(out.data())) / sizeof(wchar_t);
        if (errno == E2BIG || outLeft < sizeof(wchar_t))
        {
            out.resize(out.size() * 2);
            outPtr = reinterpret_cast<char*>(out.data() + used);
            outLeft = (out.size() - used) * sizeof(wchar_t);
            if (errno == E2BIG) continue;
        }
        // Invalid or truncated sequence: replace one byte and go on.
        out[used] = 0xFFFD;
        outPtr += sizeof(wchar_t);
        outLeft -= sizeof(wchar_t);
        ++in;
        --inLeft;
    }
    out.resize(static_cast<size_t>(outPtr - reinterpret_cast<char*>(out.data())) / sizeof(wchar_t));
    return out;
}

wchar_t ToUpper(wchar_t c)
{
    if (c < 0x80) return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
    return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), UnicodeLocale()));
}

wchar_t ToLower(wchar_t c)
{
    if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), UnicodeLocale()));
}

std::wstring ToUpper(std::wstring_view text)
{
    std::wstring out(text);
    for (wchar_t& c : out)
        c = ToUpper(c);
    return out;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
    {
        wchar_t ca = ToUpper(a[i]);
        wchar_t cb = ToUpper(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace platform::text
