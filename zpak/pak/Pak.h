#pragma once
// One pak archive: a header, an info table of file records and a data area, possibly inside a
// larger file at a 1 MiB boundary. Supports in-place updates (appends, free-space reuse, deletes)
// and compaction.
#include "zpak/pak/HashTable.h"
#include "zpak/message/ResultCodes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ZP
{

class IFileBase;

constexpr uint32_t kPakVersion = 0x02040100; // 2.4.1.0

struct sPakHeader
{
    uint32_t reserved0 = 0;
    uint32_t Version = 0;
    uint32_t reserved8 = 0;
    uint32_t RecordCount = 0;
    uint32_t FileCount = 0;
    uint32_t FreeCount = 0;
    uint32_t DataEnd = 0;
    uint32_t reserved28 = 0;
    uint32_t HeaderSign = 0;
    uint32_t reserved36 = 0;
};

class CPak : public CHashTable
{
public:
    CPak();
    ~CPak() override;

    void Reset();
    int Open(const std::wstring& path, bool writable);
    bool Reopen(bool rebuild);
    int OpenAndExtract(const std::wstring& path, const std::wstring& targetFolder);
    void Close();
    bool Compact();
    uint32_t FindBase();
    bool WriteHeader();
    bool ReadHeader();
    bool WriteInfoTable();
    bool ReadInfoTable(bool scanGaps);
    // Marks records whose data overlap as deleted; with any, rebuilds and compacts the pak.
    bool RepairOverlaps(bool addToFree, vFileInfo* output);
    int AddFileData(IFileBase* source, const CFileInfo* sourceRecord, bool transport);
    bool AddRecord(CFileInfo* record, bool write);
    int VerifyStored(const CFileInfo* record);
    // keep: *buffer receives a new buffer (FreeBuffer); else the bytes are copied into *buffer,
    // which must hold OrgSize bytes.
    int ReadFileData(const CFileInfo* record, bool keep, char** buffer, uint32_t* length);
    bool CopyLooseFile(const CFileInfo* record, const std::wstring& targetFolder);
    bool ExtractFile(const CFileInfo* record, const std::wstring& targetFolder);
    bool ExtractRaw(const CFileInfo* record, const std::wstring& targetFolder, bool keepPath);
    bool ExtractAll(const std::wstring& targetFolder);
    // Copies of this pak's records that the list does not hold (or whose loose file is stale).
    int CompareWithList(const std::wstring& gameFolder, const vFileInfo& list, vFileInfo& output);
    int DeleteRecord(const std::wstring& gameFolder, CFileInfo* record);
    int DeleteRecords(const std::wstring& gameFolder, vFileInfo& list);
    // Copies of the list's records this pak lacks (or whose loose file is missing or stale).
    int CheckAgainstList(const std::wstring& gameFolder, const vFileInfo& list, vFileInfo& output);
    int Synchronise(const std::wstring& gameFolder, const vFileInfo& list, vFileInfo& output);
    int MarkDeletedByPath(const wchar_t* name);
    CFileInfo* FindByPath(const std::wstring& name) const { return Find(name, kFindFullName); }
    uint64_t DataSize(bool storedOnly) const;
    int Create(const std::wstring& path);
    void MarkAndCollect(bool addToFree, CFileInfo* record, vFileInfo* output);
    bool CheckDiskSpace(uint64_t bytes);
    CFileInfo* TakeFreeSlot(const CFileInfo* record, uint32_t minimumSize);
    CFileInfo* NewRecord(const CFileInfo* record);
    CFileInfo* PrepareRecord(const CFileInfo* source, uint32_t neededSize, bool& appended);
    int TransferData(IFileBase* source, IFileBase* destination, const CFileInfo* sourceRecord, CFileInfo* pakRecord,
                     bool transport, uint32_t& written);
    bool WriteRecord(CFileInfo* record);

    bool IsOpen() const;
    bool IsWritable() const { return m_writable; }
    uint32_t Base() const { return m_base; }
    uint32_t TableEnd() const { return m_tableEnd; }
    const sPakHeader& Header() const { return m_header; }
    const std::wstring& Path() const { return m_path; }
    IFileBase* File() const { return m_file.get(); }

    static constexpr uint32_t kStep = 1048576;
    static constexpr uint32_t kMoveChunk = 100000;

private:
    // Every index and free record keeps pointing at live memory through these helpers.
    bool SeekTo(uint64_t position);
    bool ReadAt(uint64_t position, void* buffer, uint32_t size);
    bool WriteU32(uint32_t value);
    bool ExtractStreamed(const CFileInfo* record, const std::wstring& target);
    bool TableBelowFreeLimit() const { return m_tableEnd - m_base < kFreeRecordTableLimit; }

    std::unique_ptr<IFileBase> m_file;
    sPakHeader m_header;
    uint32_t m_tableEnd = 0;
    uint32_t m_base = 0;
    bool m_writable = false;
    std::wstring m_path;
};

} // namespace ZP
