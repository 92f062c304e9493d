#include "zpak/pak/HashTable.h"

#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"

#include <algorithm>

namespace ZP
{
namespace
{
bool ErasePointer(std::vector<CFileInfo*>& v, const CFileInfo* record)
{
    auto it = std::find(v.begin(), v.end(), record);
    if (it == v.end()) return false;
    v.erase(it);
    return true;
}
} // namespace

void CHashTable::Clear()
{
    m_byPath.Clear();
    m_byName.Clear();
    m_byDir.Clear();
    m_free.clear();
    m_all.Clear();
}

void CHashTable::Reserve(size_t records)
{
    m_byPath.Reserve(records);
    m_byName.Reserve(records);
    m_byDir.Reserve(records / 8 + 16);
    m_all.Raw().reserve(records);
}

bool CHashTable::ContainsEqual(const CFileInfo* record) const
{
    return record && m_byPath.ContainsEqual(record, record->base.PathKey);
}

bool CHashTable::Add(CFileInfo* record)
{
    if (!record || ContainsEqual(record)) return false;
    m_byPath.Add(record->base.PathKey, record);
    m_byName.Add(record->base.NameKey, record);
    m_byDir.Add(record->base.DirKey, record);
    m_all.Add(record);
    return true;
}

bool CHashTable::Remove(CFileInfo* record, bool deleteIt)
{
    if (!record) return false;
    // The exact pointer goes: an equal twin elsewhere must not lose its place instead.
    auto drop = [record](mapFileInfo& map, uint32_t key)
    {
        mapFileInfo::BucketMap& all = map.MutableBuckets();
        auto it = all.find(key);
        if (it == all.end()) return;
        ErasePointer(it->second, record);
        if (it->second.empty()) all.erase(it);
    };
    drop(m_byPath, record->base.PathKey);
    drop(m_byName, record->base.NameKey);
    drop(m_byDir, record->base.DirKey);
    ErasePointer(m_free, record);
    bool found = m_all.Remove(record);
    if (deleteIt) delete record;
    return found;
}

CFileInfo* CHashTable::Find(const std::wstring& name, int mode) const
{
    std::wstring normal = BackslashToSlash(name);
    if (mode == kFindFullName)
    {
        const auto* bucket = m_byPath.Bucket(NameKeyOf(normal));
        return bucket ? FindInRecords(*bucket, normal, mode) : nullptr;
    }
    if (mode == kFindFileName)
    {
        std::wstring file = GetFileNameWithExt(normal);
        const auto* bucket = m_byName.Bucket(NameKeyOf(file));
        return bucket ? FindInRecords(*bucket, file, mode) : nullptr;
    }
    return nullptr;
}

CFileInfo* CHashTable::FindIndexed(const std::wstring& name, uint32_t infoPos) const
{
    std::wstring normal = BackslashToSlash(name);
    CFileInfo* first = nullptr;
    if (const auto* bucket = m_byPath.Bucket(NameKeyOf(normal)))
        for (CFileInfo* r : *bucket)
            if (r && CompareNoCase(BackslashToSlash(r->Name()), normal) == 0)
            {
                if (infoPos != 0 && r->base.InfoPos == infoPos) return r;
                if (!first) first = r;
            }
    return first;
}

size_t CHashTable::CountIndexed(const std::wstring& name) const
{
    std::wstring normal = BackslashToSlash(name);
    size_t n = 0;
    if (const auto* bucket = m_byPath.Bucket(NameKeyOf(normal)))
        for (const CFileInfo* r : *bucket)
            if (r && CompareNoCase(BackslashToSlash(r->Name()), normal) == 0) ++n;
    return n;
}

void CHashTable::AddFree(CFileInfo* record)
{
    if (!record) return;
    record->base.deleted = 1;
    record->base.Loc = kLocPak;
    m_free.push_back(record);
}

bool CHashTable::RemoveFree(const CFileInfo* record)
{
    if (!record) return false;
    for (auto it = m_free.begin(); it != m_free.end(); ++it)
        if (*it == record || ((*it)->Equals(record) && (*it)->base.size == record->base.size))
        {
            m_free.erase(it);
            return true;
        }
    return false;
}

void CHashTable::DropFreeRecords(bool deleteThem)
{
    std::vector<CFileInfo*> free = m_free;
    for (CFileInfo* r : free)
        Remove(r, deleteThem);
    m_free.clear();
}

CFileInfo* CHashTable::MakeFreeRecord(uint32_t offset, uint32_t size)
{
    if (size < kMinimumFreeSize) return nullptr;
    auto* record = new CFileInfo;
    std::wstring stamp = TimeStamp(LocalNow());
    for (int i = 0; i < kFreeNameAttempts; ++i)
    {
        record->SetName(FormatWide(255, L"DeletedFile_%s_%d.tmp", stamp.c_str(), i));
        record->base.deleted = 1;
        record->base.FilePos = offset;
        record->base.Loc = kLocPak;
        record->base.size = size;
        record->base.OrgSize = size;
        if (Add(record))
        {
            AddFree(record);
            return record;
        }
    }
    delete record;
    return nullptr;
}

void CHashTable::ScanGaps(uint32_t base, uint32_t tableEnd)
{
    m_all.Sort(kSortByPosition);
    uint64_t expected = static_cast<uint64_t>(base) + kDataOffset;
    // Copy: new free records are appended to the list while it is walked.
    std::vector<CFileInfo*> ordered = m_all.Raw();
    for (CFileInfo* r : ordered)
    {
        if (!r || r->base.Loc != kLocPak) continue;
        if (tableEnd - base >= kFreeRecordTableLimit) break;
        if (r->base.FilePos > expected + kMinimumGap &&
            MakeFreeRecord(static_cast<uint32_t>(expected),
                           static_cast<uint32_t>(r->base.FilePos - expected)))
            tableEnd += static_cast<uint32_t>(kRecordWithNameBytes);
        uint64_t end = static_cast<uint64_t>(r->base.FilePos) + r->base.size;
        if (end > expected) expected = end;
    }
}

CFileInfo* CHashTable::FindFree(uint32_t minimumSize, uint32_t minimumPosition) const
{
    CFileInfo* best = nullptr;
    for (CFileInfo* r : m_free)
        if (r && r->base.deleted == 1 && r->base.Loc == kLocPak && r->base.size >= minimumSize &&
            r->base.FilePos > minimumPosition && (!best || r->base.size < best->base.size))
            best = r;
    return best;
}

size_t CHashTable::CountDeleted() const
{
    size_t n = 0;
    for (const CFileInfo* r : m_all)
        if (r && r->base.deleted == 1) ++n;
    return n;
}

void CHashTable::ListDir(const std::wstring& directory, std::vector<std::wstring>& names, bool clear) const
{
    if (clear) names.clear();
    const auto* bucket = m_byDir.Bucket(NameKeyOf(RemoveTrailingSeparator(BackslashToSlash(directory))));
    if (!bucket) return;
    for (const CFileInfo* r : *bucket)
        if (r && r->base.deleted == 0) names.push_back(r->Name());
}

void CHashTable::ListAll(std::vector<std::wstring>& names, bool clear) const
{
    if (clear) names.clear();
    for (const CFileInfo* r : m_all)
        if (r && r->base.deleted == 0) names.push_back(r->Name());
}

namespace
{
void AppendUtf8(const std::vector<std::wstring>& wide, std::vector<std::string>& names)
{
    for (const std::wstring& name : wide)
        names.push_back(platform::text::WideToUtf8(name));
}
} // namespace

void CHashTable::ListDirUtf8(const std::string& directory, std::vector<std::string>& names, bool clear) const
{
    if (clear) names.clear();
    std::vector<std::wstring> wide;
    ListDir(platform::text::Utf8ToWide(directory), wide, true);
    AppendUtf8(wide, names);
}

void CHashTable::ListAllUtf8(std::vector<std::string>& names, bool clear) const
{
    if (clear) names.clear();
    std::vector<std::wstring> wide;
    ListAll(wide, true);
    AppendUtf8(wide, names);
}

bool CHashTable::MarkDeleted(CFileInfo* record)
{
    if (!record || record->base.deleted == 1) return false;
    record->base.deleted = 1;
    return true;
}

bool CHashTable::MarkDeletedByName(const std::wstring& directory, const std::wstring& name)
{
    return MarkDeleted(Find(JoinPath(directory, name), kFindFullName));
}

} // namespace ZP
