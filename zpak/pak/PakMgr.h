#pragma once
// A pak set: the main pak plus its numbered volumes ("<main>.001", "<main>.002", ...), one merged
// index over all of them, and the comparison with a server list that drives a patch.
#include "zpak/pak/Pak.h"

#include <memory>
#include <string>
#include <vector>

namespace ZP
{

class CPakMgr
{
public:
    CPakMgr() = default;
    virtual ~CPakMgr() { CloseAll(); }
    CPakMgr(const CPakMgr&) = delete;
    CPakMgr& operator=(const CPakMgr&) = delete;

    void CloseAll();
    // rebuildDamaged: see CPak::Open; a damaged volume fails the whole set when it is false.
    int OpenSet(const std::wstring& path, bool writable, bool rebuildDamaged = true);
    int ReopenAll(bool rebuild);
    int Unpack(const std::wstring& path, const std::wstring& targetFolder);
    int AddFile(IFileBase* source, const CFileInfo* sourceRecord, bool download);
    bool AddLooseRecord(CFileInfo* record, bool write);
    CFileInfo* FindAny(const std::wstring& name, int mode) const;
    // Local records that are outdated go to output (copies); stray movie and release files are deleted.
    bool CompareWithServer(const std::wstring& gameFolder, const vFileInfo& serverList, vFileInfo& output);
    bool ApplyDeletions(const std::wstring& gameFolder, const vFileInfo& list);
    // Server records to download (copies).
    bool BuildDownloadList(const std::wstring& gameFolder, const vFileInfo& serverList, vFileInfo& output);
    bool Synchronise(const std::wstring& gameFolder, const vFileInfo& serverList, vFileInfo& downloads,
                     vFileInfo& deletions);
    int MarkDeletedAny(const std::wstring& name);
    CFileInfo* FindByPathAll(const std::wstring& name) const;
    int ListDirAll(const std::wstring& directory, std::vector<std::wstring>& names) const;
    int ListAllNames(std::vector<std::wstring>& names) const;
    // The same in UTF-8.
    int ListDirAllUtf8(const std::string& directory, std::vector<std::string>& names) const;
    int ListAllNamesUtf8(std::vector<std::string>& names) const;
    bool CompactAll(bool closeAfter);
    bool WriteAllTables();
    bool RepairOverlapsAll(bool addToFree, vFileInfo* output);
    CPak* VolumeAt(size_t index) const { return index < m_volumes.size() ? m_volumes[index].get() : nullptr; }
    uint64_t DataSizeAll(bool storedOnly, bool closeAfter);
    void CloseFiles();
    size_t CountDeletedAll() const;
    size_t CountAll() const;
    int RebuildIndex();

    size_t VolumeCount() const { return m_volumes.size(); }
    const vFileInfo& MergedIndex() const { return m_merged; }
    const std::wstring& MainPath() const { return m_path; }
    static std::wstring VolumeName(const std::wstring& mainPath, size_t number);

    static constexpr uint64_t kVolumeLimit = 1610612736; // 1.5 GiB

private:
    std::vector<std::unique_ptr<CPak>> m_volumes;
    vFileInfo m_merged; // borrows the volumes' records
    mapFileInfo m_mergedByPath{false};
    std::wstring m_path;
};

} // namespace ZP
