#pragma once
// The in-memory index of one pak: every record in info-table order (the owner), the same records
// keyed by path, file name and folder, and the free records.
#include "zpak/info/FileInfoList.h"

#include <string>
#include <vector>

namespace ZP
{

class CHashTable
{
public:
    CHashTable() = default;
    virtual ~CHashTable() { Clear(); }
    CHashTable(const CHashTable&) = delete;
    CHashTable& operator=(const CHashTable&) = delete;

    virtual void Clear();
    bool ContainsEqual(const CFileInfo* record) const;
    // Indexes the record unless an equal one is there; the index then owns it.
    bool Add(CFileInfo* record);
    size_t Count() const { return m_all.Count(); }
    vFileInfo& AllRecords() { return m_all; }
    const vFileInfo& AllRecords() const { return m_all; }
    // Takes this very record out of the maps, the list and the free list; deletes it when asked.
    bool Remove(CFileInfo* record, bool deleteIt);
    // Mode 0: full path; mode 1: file name. Live records only.
    CFileInfo* Find(const std::wstring& name, int mode) const;
    // The indexed record of that path whatever its state or location (no existence rule); with
    // several of that path, the one at infoPos when one is.
    CFileInfo* FindIndexed(const std::wstring& name, uint32_t infoPos = 0) const;
    // How many indexed records carry that path.
    size_t CountIndexed(const std::wstring& name) const;
    void AddFree(CFileInfo* record);
    size_t FreeListSize() const { return m_free.size(); }
    bool RemoveFree(const CFileInfo* record);
    void DropFreeRecords(bool deleteThem);
    // The new free record, or null when none could be made.
    CFileInfo* MakeFreeRecord(uint32_t offset, uint32_t size);
    // Makes free records for the holes of the data area (see the pak layout).
    void ScanGaps(uint32_t base, uint32_t tableEnd);
    CFileInfo* FindFree(uint32_t minimumSize, uint32_t minimumPosition) const;
    size_t CountDeleted() const;
    void ListDir(const std::wstring& directory, std::vector<std::wstring>& names, bool clear) const;
    void ListAll(std::vector<std::wstring>& names, bool clear) const;
    // The same with the directory and the names in UTF-8.
    void ListDirUtf8(const std::string& directory, std::vector<std::string>& names, bool clear) const;
    void ListAllUtf8(std::vector<std::string>& names, bool clear) const;
    void Sort(int order) { m_all.Sort(order); }
    bool MarkDeleted(CFileInfo* record);
    bool MarkDeletedByName(const std::wstring& directory, const std::wstring& name);

    const std::vector<CFileInfo*>& FreeRecords() const { return m_free; }
    // Sizes the maps and the list for a table of that many records.
    void Reserve(size_t records);

    static constexpr uint32_t kDataOffset = 15728640;
    static constexpr uint32_t kTableOffset = 512000;
    static constexpr uint32_t kFreeRecordTableLimit = 14680064;
    static constexpr uint32_t kMinimumGap = 10240;
    static constexpr uint32_t kMinimumFreeSize = 10;
    static constexpr int kFreeNameAttempts = 100;

protected:
    mapFileInfo m_byPath{false};
    mapFileInfo m_byName{false};
    mapFileInfo m_byDir{false};
    vFileInfo m_all;
    std::vector<CFileInfo*> m_free;
};

} // namespace ZP
