#include "zpak/info/FileInfoList.h"

#include "zpak/common/CommonFunction.h"
#include "zpak/crc/Crc32.h"

#include <algorithm>

namespace ZP
{

uint32_t NameKeyOf(const std::wstring& name)
{
    return CCrc32::Get().HashString(BackslashToSlash(name));
}

CFileInfo* FindInRecords(const std::vector<CFileInfo*>& records, const std::wstring& name, int mode)
{
    if (mode != kFindFullName && mode != kFindFileName) return nullptr;
    for (CFileInfo* r : records)
    {
        if (!r || r->base.deleted != 0) continue;
        const std::wstring& candidate = r->Name();
        bool same = mode == kFindFullName ? CompareNoCase(candidate, name) == 0
                                          : CompareNoCase(GetFileNameWithExt(candidate), name) == 0;
        if (!same) continue;
        // Only records in a pak, or naming something that exists, count.
        if (r->base.Loc == kLocPak || FileExists(candidate)) return r;
    }
    return nullptr;
}

void vFileInfo::Clear()
{
    for (CFileInfo* r : m_items)
        delete r;
    m_items.clear();
}

void vFileInfo::AddCopy(const CFileInfo* record)
{
    auto* copy = new CFileInfo;
    copy->CopyFrom(*record);
    m_items.push_back(copy);
}

bool vFileInfo::ContainsEqual(const CFileInfo* record) const
{
    for (const CFileInfo* r : m_items)
        if (r && r->Equals(record)) return true;
    return false;
}

CFileInfo* vFileInfo::FindNormalized(const std::wstring& name, int mode) const
{
    return Find(BackslashToSlash(name), mode);
}

CFileInfo* vFileInfo::Find(const std::wstring& name, int mode) const
{
    return FindInRecords(m_items, name, mode);
}

void vFileInfo::BuildPathMap(mapFileInfo& map) const
{
    map.Clear();
    map.SetOwning(false);
    map.Reserve(m_items.size());
    for (CFileInfo* r : m_items)
        if (r) map.Add(NameKeyOf(r->Name()), r);
}

void vFileInfo::MergeFrom(vFileInfo& list)
{
    for (CFileInfo* other : list.m_items)
    {
        if (!other) continue;
        const CFileInfo* mine = Find(other->Name(), kFindFullName);
        if (!mine || mine == other) continue;
        uint32_t size = other->base.size;
        uint32_t orgSize = other->base.OrgSize;
        uint32_t fileTime = other->base.FileTime;
        other->CopyFrom(*mine);
        other->base.size = size;
        other->base.OrgSize = orgSize;
        other->base.FileTime = fileTime;
        other->FillDateTimeIfEmpty();
    }
}

void vFileInfo::RemoveCommon(const vFileInfo& list)
{
    auto keep = m_items.begin();
    for (auto it = m_items.begin(); it != m_items.end(); ++it)
    {
        if (*it && list.ContainsEqual(*it))
            delete *it;
        else
            *keep++ = *it;
    }
    m_items.erase(keep, m_items.end());
}

bool vFileInfo::Remove(const CFileInfo* record)
{
    auto it = std::find(m_items.begin(), m_items.end(), record);
    if (it == m_items.end()) return false;
    m_items.erase(it);
    return true;
}

void vFileInfo::Sort(int order)
{
    SortRecords(m_items, order);
}

void SortRecords(std::vector<CFileInfo*>& records, int order)
{
    if (order == kSortByName)
        std::stable_sort(records.begin(), records.end(),
                         [](const CFileInfo* a, const CFileInfo* b)
                         {
                             if (!a || !b) return a && !b;
                             return CompareNoCase(a->Name(), b->Name()) < 0;
                         });
    else if (order == kSortByPosition)
        std::stable_sort(records.begin(), records.end(),
                         [](const CFileInfo* a, const CFileInfo* b)
                         {
                             if (!a || !b) return a && !b;
                             if (a->base.FilePos != b->base.FilePos) return a->base.FilePos < b->base.FilePos;
                             return a->base.size < b->base.size;
                         });
}

size_t vFileInfo::CountLive(bool packedOnly) const
{
    size_t n = 0;
    for (const CFileInfo* r : m_items)
        if (r && r->base.deleted != 1 && (!packedOnly || r->base.Loc == kLocPak)) ++n;
    return n;
}

void mapFileInfo::Clear()
{
    if (m_owning)
        for (auto& [key, bucket] : m_buckets)
            for (CFileInfo* r : bucket)
                delete r;
    m_buckets.clear();
}

size_t mapFileInfo::Count() const
{
    size_t n = 0;
    for (const auto& [key, bucket] : m_buckets)
        n += bucket.size();
    return n;
}

const std::vector<CFileInfo*>* mapFileInfo::Bucket(uint32_t key) const
{
    auto it = m_buckets.find(key);
    return it == m_buckets.end() ? nullptr : &it->second;
}

bool mapFileInfo::ContainsEqual(const CFileInfo* record, uint32_t key) const
{
    if (const auto* bucket = Bucket(key))
        for (const CFileInfo* r : *bucket)
            if (r && r->Equals(record)) return true;
    return false;
}

bool mapFileInfo::RemoveEqual(const CFileInfo* record, uint32_t key)
{
    auto it = m_buckets.find(key);
    if (it == m_buckets.end()) return false;
    auto& bucket = it->second;
    for (auto r = bucket.begin(); r != bucket.end(); ++r)
        if (*r && (*r)->Equals(record))
        {
            bucket.erase(r);
            if (bucket.empty()) m_buckets.erase(it);
            return true;
        }
    return false;
}

size_t mapFileInfo::CountLive(bool packedOnly) const
{
    size_t n = 0;
    for (const auto& [key, bucket] : m_buckets)
        for (const CFileInfo* r : bucket)
            if (r && r->base.deleted != 1 && (!packedOnly || r->base.Loc == kLocPak)) ++n;
    return n;
}

CFileInfo* mapFileInfo::FindByName(const std::wstring& name, int mode) const
{
    const auto* bucket = Bucket(NameKeyOf(name));
    return bucket ? FindInRecords(*bucket, BackslashToSlash(name), mode) : nullptr;
}

} // namespace ZP
