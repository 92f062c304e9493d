#pragma once
// Record lists: vFileInfo (an ordered list owning its records) and mapFileInfo (records grouped
// under a 32-bit name key, in a hash map: nothing depends on the order of its keys).
#include "zpak/info/FileInfo.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace ZP
{

class CInfoBase
{
public:
    virtual ~CInfoBase() = default;
    virtual void Clear() = 0;
    virtual size_t Count() const = 0;
};

class mapFileInfo;

// Find modes and sort orders.
constexpr int kFindFullName = 0;
constexpr int kFindFileName = 1;
constexpr int kSortByName = 0;
constexpr int kSortByPosition = 1;

class vFileInfo : public CInfoBase
{
public:
    using Items = std::vector<CFileInfo*>;

    vFileInfo() = default;
    ~vFileInfo() override { Clear(); }
    vFileInfo(const vFileInfo&) = delete;
    vFileInfo& operator=(const vFileInfo&) = delete;

    void Clear() override;
    size_t Count() const override { return m_items.size(); }
    static bool IsValid(const CFileInfo* record) { return record && record->IsValid(); }
    bool ContainsEqual(const CFileInfo* record) const;
    CFileInfo* FindNormalized(const std::wstring& name, int mode) const;
    CFileInfo* Find(const std::wstring& name, int mode) const;
    // The map receives this list's pointers; it does not own them.
    void BuildPathMap(mapFileInfo& map) const;
    void MergeFrom(vFileInfo& list);
    void RemoveCommon(const vFileInfo& list);
    // Takes the pointer out without deleting the record.
    bool Remove(const CFileInfo* record);
    void Sort(int order);
    CFileInfo* At(size_t index) const { return index < m_items.size() ? m_items[index] : nullptr; }
    size_t CountLive(bool packedOnly) const;

    // Takes ownership.
    void Add(CFileInfo* record) { m_items.push_back(record); }
    // Appends a copy this list owns (so it can outlive the record it was made from).
    void AddCopy(const CFileInfo* record);
    // Gives up ownership of every record without deleting them.
    void ReleaseAll() { m_items.clear(); }
    Items& Raw() { return m_items; }
    const Items& Raw() const { return m_items; }
    Items::const_iterator begin() const { return m_items.begin(); }
    Items::const_iterator end() const { return m_items.end(); }

private:
    Items m_items;
};

// Sorts a list or a borrowed view of records (see vFileInfo::Sort).
void SortRecords(std::vector<CFileInfo*>& records, int order);
// Scans records in order for a live record named name (see vFileInfo::Find).
CFileInfo* FindInRecords(const std::vector<CFileInfo*>& records, const std::wstring& name, int mode);
// The key a name is filed under: CRC-32 of the upper-cased name with "/" separators.
uint32_t NameKeyOf(const std::wstring& name);

class mapFileInfo : public CInfoBase
{
public:
    explicit mapFileInfo(bool owning = true) : m_owning(owning) {}
    ~mapFileInfo() override { Clear(); }
    mapFileInfo(const mapFileInfo&) = delete;
    mapFileInfo& operator=(const mapFileInfo&) = delete;

    // Deletes the records only when the map owns them.
    void Clear() override;
    size_t Count() const override;
    bool ContainsEqual(const CFileInfo* record, uint32_t key) const;
    bool RemoveEqual(const CFileInfo* record, uint32_t key);
    size_t CountLive(bool packedOnly) const;
    CFileInfo* FindByName(const std::wstring& name, int mode) const;
    const std::vector<CFileInfo*>* Bucket(uint32_t key) const;

    using BucketMap = std::unordered_map<uint32_t, std::vector<CFileInfo*>>;
    void Reserve(size_t records) { m_buckets.reserve(records); }
    void Add(uint32_t key, CFileInfo* record) { m_buckets[key].push_back(record); }
    BucketMap& MutableBuckets() { return m_buckets; }
    void SetOwning(bool owning) { m_owning = owning; }
    bool IsOwning() const { return m_owning; }
    const BucketMap& Buckets() const { return m_buckets; }

private:
    BucketMap m_buckets;
    bool m_owning;
};

} // namespace ZP
