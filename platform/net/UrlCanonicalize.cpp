#include "platform/net/UrlCanonicalize.h"

#include <vector>

namespace platform::net
{
namespace
{

bool IsSchemeChar(wchar_t c, bool first)
{
    bool alpha = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    if (first) return alpha;
    return alpha || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

wchar_t Lower(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}

void AppendEscaped(std::wstring& out, unsigned byte)
{
    static const wchar_t kHex[] = L"0123456789abcdef";
    out.push_back(L'%');
    out.push_back(kHex[(byte >> 4) & 0xF]);
    out.push_back(kHex[byte & 0xF]);
}

// Characters that may not stand bare in a request line.
bool NeedsEscape(wchar_t c)
{
    if (c <= 0x20 || c >= 0x7F) return true;
    switch (c)
    {
    case L'"':
    case L'<':
    case L'>':
    case L'`':
    case L'{':
    case L'}':
    case L'|':
    case L'^':
        return true;
    default:
        return false;
    }
}

std::wstring ResolveDotSegments(std::wstring_view path)
{
    std::vector<std::wstring_view> segments;
    size_t start = 1; // path starts with "/"
    bool trailingSlash = false;
    while (start <= path.size())
    {
        size_t end = path.find(L'/', start);
        if (end == std::wstring_view::npos) end = path.size();
        std::wstring_view seg = path.substr(start, end - start);
        bool last = end == path.size();
        if (seg == L".")
            trailingSlash = last;
        else if (seg == L"..")
        {
            if (!segments.empty()) segments.pop_back();
            trailingSlash = last;
        }
        else
        {
            segments.push_back(seg);
            trailingSlash = false;
        }
        start = end + 1;
    }
    std::wstring out;
    for (size_t i = 0; i < segments.size(); ++i)
    {
        out.push_back(L'/');
        out.append(segments[i]);
    }
    if (out.empty() || trailingSlash) out.push_back(L'/');
    return out;
}

} // namespace

int CanonicalizeUrl(std::wstring_view url, std::wstring& out)
{
    size_t colon = url.find(L':');
    if (colon == std::wstring_view::npos || colon == 0) return kErrorInvalidUrl;
    for (size_t i = 0; i < colon; ++i)
        if (!IsSchemeChar(url[i], i == 0)) return kErrorInvalidUrl;
    std::wstring result;
    for (size_t i = 0; i < colon; ++i)
        result.push_back(Lower(url[i]));
    result.append(L"://");

    std::wstring_view rest = url.substr(colon + 1);
    if (rest.size() < 2 || (rest[0] != L'/' && rest[0] != L'\\') || (rest[1] != L'/' && rest[1] != L'\\'))
        return kErrorInvalidUrl;
    rest.remove_prefix(2);

    size_t hostEnd = rest.find_first_of(L"/\\?#");
    std::wstring_view authority = rest.substr(0, hostEnd);
    if (authority.empty()) return kErrorInvalidUrl;
    size_t at = authority.rfind(L'@');
    std::wstring_view userInfo =
        at == std::wstring_view::npos ? std::wstring_view() : authority.substr(0, at + 1);
    std::wstring_view hostPort = at == std::wstring_view::npos ? authority : authority.substr(at + 1);
    if (hostPort.empty() || hostPort[0] == L':') return kErrorInvalidUrl;
    size_t portColon = hostPort.rfind(L':');
    if (portColon != std::wstring_view::npos && hostPort.find(L']') == std::wstring_view::npos)
    {
        std::wstring_view port = hostPort.substr(portColon + 1);
        for (wchar_t c : port)
            if (c < L'0' || c > L'9') return kErrorInvalidUrl;
    }
    for (wchar_t c : hostPort)
        if (c <= 0x20 || c == L'%' || c == L'<' || c == L'>' || c == L'"') return kErrorInvalidUrl;
    result.append(userInfo);
    for (wchar_t c : hostPort)
        result.push_back(Lower(c));

    std::wstring_view tail = hostEnd == std::wstring_view::npos ? std::wstring_view() : rest.substr(hostEnd);
    size_t queryStart = tail.find_first_of(L"?#");
    std::wstring path(tail.substr(0, queryStart));
    std::wstring_view query =
        queryStart == std::wstring_view::npos ? std::wstring_view() : tail.substr(queryStart);
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    if (path.empty()) path = L"/";
    path = ResolveDotSegments(path);

    auto appendEncoded = [&result](std::wstring_view part)
    {
        for (wchar_t c : part)
        {
            if (!NeedsEscape(c))
            {
                result.push_back(c);
                continue;
            }
            if (c < 0x80)
            {
                AppendEscaped(result, static_cast<unsigned>(c));
                continue;
            }
            // Non-ASCII: escape its UTF-8 bytes.
            char32_t u = static_cast<char32_t>(c);
            unsigned char bytes[4];
            int n;
            if (u < 0x800)
                bytes[0] = 0xC0 | (u >> 6), bytes[1] = 0x80 | (u & 0x3F), n = 2;
            else if (u < 0x10000)
                bytes[0] = 0xE0 | (u >> 12), bytes[1] = 0x80 | ((u >> 6) & 0x3F),
                bytes[2] = 0x80 | (u & 0x3F), n = 3;
            else
                bytes[0] = 0xF0 | (u >> 18), bytes[1] = 0x80 | ((u >> 12) & 0x3F),
                bytes[2] = 0x80 | ((u >> 6) & 0x3F), bytes[3] = 0x80 | (u & 0x3F), n = 4;
            for (int i = 0; i < n; ++i)
                AppendEscaped(result, bytes[i]);
        }
    };
    appendEncoded(path);
    appendEncoded(query);
    out = std::move(result);
    return 1;
}

} // namespace platform::net
