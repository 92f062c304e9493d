#include "platform/process/Environment.h"

#include "platform/text/TextCodec.h"

#include <cstdlib>
#include <optional>

extern char** environ;

namespace platform::process
{
namespace
{
std::optional<std::string> Lookup(const std::string& name)
{
    if (const char* v = std::getenv(name.c_str())) return std::string(v);
    std::wstring wanted = text::Utf8ToWide(name);
    for (char** e = environ; e && *e; ++e)
    {
        std::string_view entry(*e);
        size_t eq = entry.find('=');
        if (eq == std::string_view::npos) continue;
        if (text::CompareNoCase(text::Utf8ToWide(entry.substr(0, eq)), wanted) == 0)
            return std::string(entry.substr(eq + 1));
    }
    return std::nullopt;
}
} // namespace

std::wstring ExpandEnvironmentText(std::wstring_view text)
{
    std::wstring out;
    size_t i = 0;
    while (i < text.size())
    {
        size_t open = text.find(L'%', i);
        if (open == std::wstring_view::npos) break;
        size_t close = text.find(L'%', open + 1);
        if (close == std::wstring_view::npos) break;
        out.append(text.substr(i, open - i));
        std::wstring_view name = text.substr(open + 1, close - open - 1);
        std::optional<std::string> value;
        if (!name.empty()) value = Lookup(text::WideToUtf8(name));
        if (value)
            out += text::Utf8ToWide(*value);
        else
            out.append(text.substr(open, close - open + 1));
        i = close + 1;
    }
    out.append(text.substr(i < text.size() ? i : text.size()));
    return out;
}

bool GetEnvironmentValue(const char* name, std::wstring& out)
{
    const char* value = name ? std::getenv(name) : nullptr;
    if (!value || !*value) return false;
    out = text::Utf8ToWide(value);
    return true;
}

} // namespace platform::process
