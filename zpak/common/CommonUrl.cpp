// URL escaping of the utility object.
#include "zpak/common/CommonFunction.h"

#include "platform/net/UrlCanonicalize.h"

namespace ZP
{

int ZP_CommonFunction::EscapeUrl(std::wstring_view url, std::wstring& out)
{
    if (url.empty()) return kErrorInvalidString;
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring escaped;
    for (unsigned char b : EncodeUtf8(url))
    {
        // Kept bare: space to '"', '$' to '>', '@' to '~'. Control bytes, '#', '?' and every byte
        // of 127 and more are escaped.
        bool keep = (b >= 0x20 && b <= 0x22) || (b >= 0x24 && b <= 0x3E) || (b >= 0x40 && b <= 0x7E);
        if (keep)
            escaped.push_back(static_cast<wchar_t>(b));
        else
        {
            escaped.push_back(L'%');
            escaped.push_back(kHex[b >> 4]);
            escaped.push_back(kHex[b & 0xF]);
        }
    }
    std::wstring canonical;
    int r = platform::net::CanonicalizeUrl(escaped, canonical);
    if (r != 1) return r;
    out = std::move(canonical);
    return kResultOk;
}

} // namespace ZP
