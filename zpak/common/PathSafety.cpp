#include "zpak/common/PathSafety.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/CommonFunction.h"

namespace ZP
{

bool IsSafeRelativeName(std::wstring_view name)
{
    if (name.empty() || name.find(L'\0') != std::wstring_view::npos) return false;
    if (name[0] == L'/' || name[0] == L'\\') return false;
    if (name.size() >= 2 && name[1] == L':') return false;
    size_t start = 0;
    while (start <= name.size())
    {
        size_t end = name.find_first_of(L"/\\", start);
        if (end == std::wstring_view::npos) end = name.size();
        std::wstring_view part = name.substr(start, end - start);
        if (part == L"..") return false;
        start = end + 1;
    }
    return true;
}

std::wstring PathInside(std::wstring_view folder, std::wstring_view name)
{
    if (!IsSafeRelativeName(name)) return std::wstring();
    std::wstring relative = BackslashToSlash(name);
    std::wstring base = RemoveTrailingSeparator(BackslashToSlash(folder));
    std::wstring walk = base;
    size_t start = 0;
    while (start < relative.size())
    {
        size_t end = relative.find(L'/', start);
        if (end == std::wstring::npos) end = relative.size();
        if (end > start)
        {
            walk = JoinPath(walk, relative.substr(start, end - start));
            if (platform::fs::IsSymlink(walk)) return std::wstring();
        }
        start = end + 1;
    }
    return JoinPath(base, relative);
}

} // namespace ZP
