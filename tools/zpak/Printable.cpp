#include "tools/zpak/Printable.h"

#include "platform/text/TextCodec.h"

#include <cstdio>

namespace zpak_cli
{

std::string PrintableName(const std::wstring& name)
{
    std::wstring escaped;
    escaped.reserve(name.size());
    for (wchar_t c : name)
    {
        if (c == L'\\')
            escaped += L"\\\\";
        else if (c == L'\n')
            escaped += L"\\n";
        else if (c == L'\t')
            escaped += L"\\t";
        else if (c == L'\r')
            escaped += L"\\r";
        else if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        {
            wchar_t hex[8];
            std::swprintf(hex, 8, L"\\x%02X", static_cast<unsigned>(c));
            escaped += hex;
        }
        else
            escaped += c;
    }
    return platform::text::WideToUtf8(escaped);
}

} // namespace zpak_cli
