#pragma once
// URL canonicalisation as a browser does it before sending a request: scheme and host lower-cased,
// "." and ".." path segments resolved, backslashes in the path turned into slashes, and the
// characters a request line cannot carry percent-encoded. Existing escapes are kept as they are.
#include <string>
#include <string_view>

namespace platform::net
{

constexpr int kErrorInvalidUrl = 12005;

// 1 on success; kErrorInvalidUrl when the text is not an absolute URL with a scheme and a host.
int CanonicalizeUrl(std::wstring_view url, std::wstring& out);

} // namespace platform::net
