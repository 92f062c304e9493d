#include "zpak/scan/LocalFile.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Stopper.h"
#include "zpak/crc/Crc32.h"

namespace ZP
{
namespace
{
bool Passes(const std::unordered_set<uint32_t>& include, const std::unordered_set<uint32_t>& exclude,
            uint32_t key)
{
    if (exclude.count(key)) return false;
    return include.empty() || include.count(key) > 0;
}
} // namespace

void CLocalFile::Reset()
{
    m_paths.clear();
    m_attributes.clear();
    m_times.clear();
    m_sizes.clear();
    m_folders.clear();
    m_extensionCounts.clear();
    m_index.clear();
}

bool CLocalFile::Scan(const std::wstring& root, bool recurse, bool skipHidden, const sScanFilters* filters,
                      bool relative)
{
    Reset();
    std::wstring base = RemoveTrailingSeparator(BackslashToSlash(root.empty() ? DefaultFolder(L"") : root));
    if (!Walk(base, relative ? std::wstring() : base, recurse, skipHidden, filters)) return false;
    CCrc32& crc = CCrc32::Get();
    m_index.reserve(m_paths.size());
    for (uint32_t i = 0; i < m_paths.size(); ++i)
        m_index.emplace(crc.HashString(m_paths[i]), i);
    return true;
}

bool CLocalFile::Walk(const std::wstring& folder, const std::wstring& prefix, bool recurse, bool skipHidden,
                      const sScanFilters* filters)
{
    std::vector<platform::fs::sDirEntry> entries;
    if (!platform::fs::ListDirectory(folder, entries)) return false;
    CCrc32& crc = CCrc32::Get();
    for (const platform::fs::sDirEntry& e : entries)
    {
        if (CStopper::IsStopRequested()) return false;
        if (skipHidden && (e.stat.attributes & platform::fs::kAttrHidden)) continue;
        std::wstring full = JoinPath(folder, e.name);
        std::wstring shown = JoinPath(prefix, e.name);
        if (e.stat.isDirectory)
        {
            // Links to folders are not entered: a scan stays inside its root.
            if (!recurse || e.stat.isSymlink) continue;
            if (filters && !Passes(filters->includeFolders, filters->excludeFolders, crc.HashString(e.name)))
                continue;
            m_folders.push_back(shown);
            if (!Walk(full, shown, recurse, skipHidden, filters)) return false;
            continue;
        }
        std::wstring extension = GetExtension(e.name);
        if (filters &&
            (!Passes(filters->includeNames, filters->excludeNames, crc.HashString(e.name)) ||
             !Passes(filters->includeExtensions, filters->excludeExtensions, crc.HashString(extension))))
            continue;
        m_paths.push_back(shown);
        m_attributes.push_back(e.stat.attributes);
        m_times.push_back(e.stat.lastWrite.seconds);
        m_sizes.push_back(e.stat.size);
        m_extensionCounts[MakeUpper(extension)]++;
    }
    return true;
}

int CLocalFile::IndexOf(const std::wstring& path) const
{
    auto range = m_index.equal_range(CCrc32::Get().HashString(path));
    for (auto it = range.first; it != range.second; ++it)
        if (CompareNoCase(m_paths[it->second], path) == 0) return static_cast<int>(it->second);
    return -1;
}

} // namespace ZP
