#pragma once
// One pak archive: a header, an info table of file records and a data area, possibly inside a
// larger file at a 1 MiB boundary. Supports in-place updates (appends, free-space reuse, deletes)
// and compaction.
#include "zpak/message/ResultCodes.h"
#include "zpak/pak/HashTable.h"

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

// What an open found wrong with a pak. A read-only open reads around all of it; a writable open
// repairs overlaps, and rebuilds the rest only when asked to (see Open).
struct sPakDamage
{
    bool notAPak = false;         // content without a readable pak header
    bool tableUnreadable = false; // the info table cannot be read to its end marker
    uint32_t dropped = 0;         // records left out: no record sign, or data past the end of the file
    uint32_t overlapping = 0;     // live records whose data overlap (left out of a read-only open)
    bool Any() const { return notAPak || tableUnreadable || dropped > 0 || overlapping > 0; }
};

class CPak : public CHashTable
{
public:
    CPak();
    ~CPak() override;

    void Reset();
    // rebuildDamaged (writable only): a pak whose table cannot be read, or that lost records, is
    // recreated empty, as the patcher wants for a pak it refills from the server; without it the
    // open fails with kErrorPakBroken and the file is left as it is.
    int Open(const std::wstring& path, bool writable, bool rebuildDamaged = true);
    bool Reopen(bool rebuild);
    // 1, or what stopped it: the open error, or the code of the record that could not be extracted.
    int OpenAndExtract(const std::wstring& path, const std::wstring& targetFolder);
    void Close();
    bool Compact();
    uint32_t FindBase();
    bool WriteHeader();
    bool ReadHeader();
    bool WriteInfoTable();
    bool ReadInfoTable(bool scanGaps);
    // Marks records whose data overlap as deleted; with any, rebuilds and compacts a writable pak.
    // A read-only pak is never written: the records are only left out of its index in memory.
    bool RepairOverlaps(bool addToFree, vFileInfo* output);
    int AddFileData(IFileBase* source, const CFileInfo* sourceRecord, bool transport);
    bool AddRecord(CFileInfo* record, bool write);
    int VerifyStored(const CFileInfo* record);
    // The verdict on one live packed record: 1 when its stored bytes match their check values and
    // decode to OrgSize bytes (a record without bytes must have OrgSize 0), or when it cannot be
    // judged (too large to decode, encrypted while skipEncrypted); else the code of what is wrong.
    int CheckRecord(const CFileInfo& record, bool skipEncrypted);
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
    int TransferData(IFileBase* source, IFileBase* destination, const CFileInfo* sourceRecord,
                     CFileInfo* pakRecord, bool transport, uint32_t& written);
    bool WriteRecord(CFileInfo* record);

    const sPakDamage& Damage() const { return m_damage; }
    // Copies of the records an open left out (dropped with a readable name, or overlapping).
    const vFileInfo& LeftOut() const { return m_leftOut; }

    bool IsOpen() const;
    bool IsWritable() const { return m_writable; }
    uint32_t Base() const { return m_base; }
    uint32_t TableEnd() const { return m_tableEnd; }
    const sPakHeader& Header() const { return m_header; }
    const std::wstring& Path() const { return m_path; }
    IFileBase* File() const { return m_file.get(); }

    static constexpr uint32_t kStep = 1048576;
    static constexpr uint32_t kMoveChunk = 100000;
    // Largest plain size a record may decode to in memory.
    static constexpr uint32_t kMaxDecodedBytes = 1u << 30;

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
    sPakDamage m_damage;
    vFileInfo m_leftOut;
    int m_extractError = 0; // why the last ExtractAll stopped
};

} // namespace ZP
