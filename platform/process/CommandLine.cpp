#include "platform/process/CommandLine.h"

#include "platform/text/TextCodec.h"

#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>

namespace platform::process
{
namespace
{
std::mutex g_lock;
std::optional<std::vector<std::wstring>> g_override;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}
} // namespace

std::vector<std::wstring> SplitArguments(std::wstring_view text)
{
    std::vector<std::wstring> out;
    std::wstring current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    while (i < text.size())
    {
        wchar_t c = text[i];
        if (!quoted && IsBlank(c))
        {
            if (inArgument) out.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == L'\\')
        {
            size_t run = 0;
            while (i < text.size() && text[i] == L'\\')
            {
                ++run;
                ++i;
            }
            if (i < text.size() && text[i] == L'"')
            {
                current.append(run / 2, L'\\');
                if (run % 2 == 1)
                {
                    current.push_back(L'"');
                    ++i;
                }
            }
            else
            {
                current.append(run, L'\\');
            }
            continue;
        }
        if (c == L'"')
            quoted = !quoted;
        else
            current.push_back(c);
        ++i;
    }
    if (inArgument) out.push_back(std::move(current));
    return out;
}

std::vector<std::wstring> OwnArguments()
{
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_override) return *g_override;
    }
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::wstring> out;
    size_t start = 0;
    while (start < bytes.size())
    {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        out.push_back(text::Utf8ToWide(std::string_view(bytes).substr(start, end - start)));
        start = end + 1;
    }
    return out;
}

void SetOwnArguments(std::vector<std::wstring> arguments)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_override = std::move(arguments);
}

} // namespace platform::process
