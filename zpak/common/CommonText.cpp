// Text, number and version families of the utility object, and the object's accessor.
#include "zpak/common/CommonFunction.h"

#include "platform/text/TextCodec.h"
#include "zpak/common/Format.h"

#include <atomic>

namespace ZP
{

namespace
{
std::atomic<ZP_CommonFunction*> g_replacement{nullptr};

ZP_CommonFunction* BuiltIn()
{
    static ZP_CommonFunction instance;
    return &instance;
}
} // namespace

ZP_CommonFunction* GetCommonFunction()
{
    ZP_CommonFunction* r = g_replacement.load(std::memory_order_acquire);
    return r ? r : BuiltIn();
}

ZP_CommonFunction* SetCommonFunction(ZP_CommonFunction* replacement)
{
    ZP_CommonFunction* previous = g_replacement.exchange(replacement);
    return previous ? previous : BuiltIn();
}

std::string ZP_CommonFunction::WideToMultiByte(std::wstring_view text, unsigned codePage)
{
    return platform::text::WideToMultiByte(text, codePage);
}

std::wstring ZP_CommonFunction::MultiByteToWide(std::string_view bytes, unsigned codePage)
{
    return platform::text::MultiByteToWide(bytes, codePage);
}

std::string ZP_CommonFunction::EncodeUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t u : platform::text::WideToUtf16(text))
    {
        if (u <= 127)
            out.push_back(static_cast<char>(u));
        else if (u <= 2047)
        {
            out.push_back(static_cast<char>(0xC0 + u / 64));
            out.push_back(static_cast<char>(0x80 + u % 64));
        }
        else
        {
            out.push_back(static_cast<char>(0xE0 + u / 4096));
            out.push_back(static_cast<char>(0x80 + (u / 64) % 64));
            out.push_back(static_cast<char>(0x80 + u % 64));
        }
    }
    return out;
}

int ZP_CommonFunction::CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    return platform::text::CompareNoCase(a, b);
}

std::wstring ZP_CommonFunction::MakeUpper(std::wstring_view text)
{
    return platform::text::ToUpper(text);
}

std::wstring ZP_CommonFunction::NumberText(int64_t value)
{
    std::wstring digits = NumberText(static_cast<uint64_t>(value < 0 ? -(value + 1) + 1ULL : value));
    return value < 0 ? L"-" + digits : digits;
}

std::wstring ZP_CommonFunction::NumberText(uint64_t value)
{
    std::wstring plain = std::to_wstring(value);
    std::wstring out;
    size_t n = plain.size();
    for (size_t i = 0; i < n; ++i)
    {
        out.push_back(plain[i]);
        size_t left = n - i - 1;
        if (left > 0 && left % 3 == 0) out.push_back(L',');
    }
    return out;
}

std::wstring ZP_CommonFunction::VersionToText(uint32_t version)
{
    return FormatWide(255, L"%d.%d.%d.%d", (version >> 24) & 0xFF, (version >> 16) & 0xFF,
                      (version >> 8) & 0xFF, version & 0xFF);
}

uint32_t ZP_CommonFunction::TextToVersion(std::wstring_view text)
{
    uint32_t parts[4] = {0, 0, 0, 0};
    size_t index = 0;
    size_t i = 0;
    while (index < 4 && i < text.size())
    {
        if (text[i] < L'0' || text[i] > L'9') break;
        uint64_t value = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9')
        {
            value = value * 10 + static_cast<uint64_t>(text[i] - L'0');
            if (value > 0xFFFF)
                value = 0xFFFF; // large enough to be refused below, small enough not to overflow
            ++i;
        }
        if (value >= 256) return 0;
        parts[index++] = static_cast<uint32_t>(value);
        if (i < text.size() && text[i] == L'.')
            ++i;
        else
            break;
    }
    return (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
}

std::wstring ZP_CommonFunction::ByteSizeText(uint64_t bytes)
{
    if (bytes < 1024) return FormatWide(63, L"%llu bytes", static_cast<unsigned long long>(bytes));
    static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
    double value = static_cast<double>(bytes) / 1024.0;
    size_t unit = 0;
    while (value >= 1000.0 && unit + 1 < sizeof(kUnits) / sizeof(kUnits[0]))
    {
        value /= 1024.0;
        ++unit;
    }
    // Three significant digits, cut rather than rounded, as the shell shows sizes.
    if (value < 10.0)
        return FormatWide(63, L"%.2f %ls", static_cast<double>(static_cast<uint64_t>(value * 100.0)) / 100.0,
                          kUnits[unit]);
    if (value < 100.0)
        return FormatWide(63, L"%.1f %ls", static_cast<double>(static_cast<uint64_t>(value * 10.0)) / 10.0,
                          kUnits[unit]);
    return FormatWide(63, L"%llu %ls", static_cast<unsigned long long>(value), kUnits[unit]);
}

} // namespace ZP
