#pragma once
// The repair list: a CP949 text file (CR LF lines) naming pak records whose data turned out to be
// damaged, one "NAME [FilePos : N] [FileSize : N] [CODE : TEXT] [TIME]" line each. The next patch
// run marks every listed record deleted and the patcher fetches those files again. The list owner
// also keeps raw backups of damaged records with a trailer describing them.
#include "zpak/info/FileInfo.h"

#include <mutex>
#include <string>

namespace ZP
{

class CPak;

// A file object that reads one record out of a pak. The launcher makes none; a tool reading pak
// entries through the file interface would, and reports damage through CPakRepair::OnDamagedFile.
class IPakEntryFile
{
public:
    virtual ~IPakEntryFile() = default;
    virtual CPak* EntryPak() const = 0;
    virtual const CFileInfo* EntryRecord() const = 0;
};

class CPakRepair
{
public:
    // The process-wide owner, created on first use; creating it installs the broken-file hook.
    static CPakRepair& Get();
    // Points the library's broken-file hook at the repair list (creation does this once).
    static void InstallBrokenFileHook();

    virtual ~CPakRepair() = default;
    CPakRepair(const CPakRepair&) = delete;
    CPakRepair& operator=(const CPakRepair&) = delete;

    // The system folder of that kind (CSystemDir) + "/" + subFolder, or subFolder itself when the
    // kind names no system folder.
    virtual int SetFolder(int kind, const std::wstring& subFolder);
    // 14003 for an empty name.
    virtual int SetFileName(const std::wstring& name);
    virtual void UpdatePath();
    // Creates an empty list when there is none; 1 when the list exists afterwards, else 14014.
    virtual int CreateIfMissing();
    // Moves folder/<file name of the record> to a fresh "<local time>.info" in folder.
    // 14012 when the source is missing, 14005 for a record whose file name could leave the folder.
    virtual int MoveToBackup(const CFileInfo* record, const std::wstring& folder, std::wstring* outputPath);
    // Appends record, name, code and the trailer's own offset to an existing file.
    virtual int AppendTrailer(const CFileInfo* record, const std::wstring& path, int code);
    // 14004 when the file does not end in a well-formed trailer.
    virtual int ReadTrailer(CFileInfo* record, const std::wstring& path, int* code);
    // Raw stored bytes of a packed record, with its trailer, as a backup file in the repair folder.
    virtual int SaveRecordBackup(CPak* pak, const CFileInfo* record, int code);
    virtual int OnDamagedFile(IPakEntryFile* file, int code, bool backup);
    // Appends text + CR LF in CP949, opening and closing the list for this one line.
    virtual int AppendLine(const std::wstring& text);

    std::wstring Folder() const;
    std::wstring FileName() const;
    std::wstring Path() const;

    static constexpr size_t kTrailerBytes = kRecordWithNameBytes + 8;

protected:
    CPakRepair();

private:
    // A "<stamp>.info" (or "<stamp>_N.info") name not yet taken in folder; empty when none is free.
    static std::wstring FreeBackupName(const std::wstring& folder);
    void UpdatePathLocked();

    // The broken-file hook may append from any thread while the updater thread changes the folder.
    mutable std::mutex m_lock;
    std::wstring m_folder;
    std::wstring m_fileName = L"repair.info";
    std::wstring m_path = L"repair.info";
};

// Appends the record's line with the code and its message text to the repair list. 14003 for a
// null record, 14014 when the list cannot be opened.
int AppendToRepairList(const CFileInfo* record, int code);

} // namespace ZP
