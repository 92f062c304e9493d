// List comparison and name sets.
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/crc/Crc32.h"
#include "zpak/info/FileInfoUtil.h"

namespace ZP
{
namespace
{
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text)
{
    size_t p = 0, t = 0, star = std::wstring_view::npos, mark = 0;
    while (t < text.size())
    {
        if (p < pattern.size() && pattern[p] == L'*')
        {
            star = p++;
            mark = t;
        }
        else if (p < pattern.size() &&
                 platform::text::ToUpper(pattern[p]) == platform::text::ToUpper(text[t]))
            ++p, ++t;
        else if (star != std::wstring_view::npos)
        {
            p = star + 1;
            t = ++mark;
        }
        else
            return false;
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}
} // namespace

bool CFileInfoUtil::ListsEqual(const vFileInfo& a, const vFileInfo& b)
{
    mapFileInfo mapA, mapB;
    a.BuildPathMap(mapA);
    b.BuildPathMap(mapB);
    if (mapA.Count() != mapB.Count()) return false;
    for (const auto& [key, bucket] : mapA.Buckets())
        for (const CFileInfo* r : bucket)
            if (!mapB.ContainsEqual(r, key)) return false;
    return true;
}

std::unordered_set<uint32_t> CFileInfoUtil::BuildNameSet(const std::vector<std::wstring>& names)
{
    std::unordered_set<uint32_t> set;
    set.reserve(names.size());
    for (const std::wstring& n : names)
        set.insert(NameKeyOf(n));
    return set;
}

bool CFileInfoUtil::InNameSet(const std::unordered_set<uint32_t>& set, const std::wstring& name)
{
    return set.count(NameKeyOf(name)) > 0;
}

bool CFileInfoUtil::InNameSetUtf8(const std::unordered_set<uint32_t>& set, const std::string& name)
{
    return InNameSet(set, platform::text::Utf8ToWide(name));
}

bool CFileInfoUtil::NameListsEqual(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b)
{
    return BuildNameSet(a) == BuildNameSet(b);
}

bool CFileInfoUtil::ListMatching(const std::wstring& folder, const std::wstring& pattern,
                                 std::vector<std::wstring>& names)
{
    std::vector<platform::fs::sDirEntry> entries;
    if (!platform::fs::ListDirectory(DefaultFolder(folder), entries)) return false;
    for (const auto& e : entries)
        if (WildcardMatch(pattern, e.name)) names.push_back(e.name);
    return true;
}

} // namespace ZP
