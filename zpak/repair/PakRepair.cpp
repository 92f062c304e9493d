#include "zpak/repair/PakRepair.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/PathSafety.h"
#include "zpak/common/SystemDir.h"
#include "zpak/file/File.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/pak/Pak.h"

#include <climits>

namespace ZP
{
namespace
{
constexpr unsigned kListCodePage = 949;
// Enough for every "_N" a second could plausibly need; past it something else is wrong.
constexpr int kBackupNameAttempts = 10000;

void AppendBrokenRecord(const CFileInfo* record, int code)
{
    AppendToRepairList(record, code);
}

// Record names come from pak tables. A line break in one would start a second list line naming a
// file of the writer's choice, so control characters never reach the list.
std::wstring ListSafeName(const std::wstring& name)
{
    std::wstring out = name;
    for (wchar_t& c : out)
        if (c < 0x20 || c == 0x7F) c = L'?';
    return out;
}

// Where a record's file-name part may be written in folder, or empty (logged) when it could leave it.
std::wstring FileNameInside(const std::wstring& folder, const CFileInfo* record, const char* where)
{
    std::wstring path = PathInside(folder, GetFileNameWithExt(record->Name()));
    if (path.empty())
    {
        LogWarnF(L"refused name : %s", ListSafeName(record->Name()).c_str());
        ZP_LOG_ERROR(kErrorInvalidFileName, where);
    }
    return path;
}
} // namespace

CPakRepair::CPakRepair() = default;

CPakRepair& CPakRepair::Get()
{
    // Never destroyed: the hook may still fire from a thread that outlives static destruction.
    static CPakRepair* instance = []
    {
        auto* created = new CPakRepair;
        InstallBrokenFileHook();
        return created;
    }();
    return *instance;
}

void CPakRepair::InstallBrokenFileHook()
{
    GetNotifyHooks().brokenFile = AppendBrokenRecord;
}

int CPakRepair::SetFolder(int kind, const std::wstring& subFolder)
{
    std::wstring system;
    std::wstring folder = subFolder;
    if (CSystemDir::Get().GetFolder(kind, system))
        folder = subFolder.empty() ? system : JoinPath(system, subFolder);
    std::lock_guard<std::mutex> guard(m_lock);
    m_folder = folder;
    UpdatePathLocked();
    return 1;
}

int CPakRepair::SetFileName(const std::wstring& name)
{
    if (name.empty())
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepair::SetFileName");
        return kErrorInvalidPointer;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_fileName = name;
    UpdatePathLocked();
    return 1;
}

void CPakRepair::UpdatePath()
{
    std::lock_guard<std::mutex> guard(m_lock);
    UpdatePathLocked();
}

void CPakRepair::UpdatePathLocked()
{
    m_path = m_folder.empty() ? m_fileName : JoinPath(m_folder, m_fileName);
}

std::wstring CPakRepair::Folder() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_folder;
}

std::wstring CPakRepair::FileName() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_fileName;
}

std::wstring CPakRepair::Path() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}

int CPakRepair::CreateIfMissing()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (FileExists(m_path)) return 1;
    if (!m_folder.empty()) CreateFolderTree(m_folder);
    platform::fs::File file;
    if (!file.Open(m_path, platform::fs::eOpenMode::Append))
    {
        ZP_LOG_ERROR(kErrorFileOpen, "CPakRepair::CreateIfMissing");
        return kErrorFileOpen;
    }
    return 1;
}

int CPakRepair::AppendLine(const std::wstring& text)
{
    std::string bytes = WideToMultiByte(text, kListCodePage);
    bytes += "\r\n";
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_folder.empty()) CreateFolderTree(m_folder);
    platform::fs::File file;
    if (!file.Open(m_path, platform::fs::eOpenMode::Append))
    {
        ZP_LOG_ERROR(kErrorFileOpen, "CPakRepair::AppendLine");
        return kErrorFileOpen;
    }
    if (!file.WriteAll(bytes.data(), bytes.size()))
    {
        ZP_LOG_ERROR(kErrorFileWrite, "CPakRepair::AppendLine");
        return kErrorFileWrite;
    }
    return 1;
}

std::wstring CPakRepair::FreeBackupName(const std::wstring& folder)
{
    std::wstring stamp = TimeStamp(LocalNow());
    std::wstring candidate = JoinPath(folder, stamp + L".info");
    for (int i = 1; i <= kBackupNameAttempts && FileExists(candidate); ++i)
        candidate = JoinPath(folder, FormatWide(255, L"%s_%d.info", stamp.c_str(), i));
    return FileExists(candidate) ? std::wstring() : candidate;
}

int CPakRepair::MoveToBackup(const CFileInfo* record, const std::wstring& folder, std::wstring* outputPath)
{
    if (!record)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepair::MoveToBackup");
        return kErrorInvalidPointer;
    }
    std::wstring source = FileNameInside(folder, record, "CPakRepair::MoveToBackup");
    if (source.empty()) return kErrorInvalidFileName;
    if (!FileExists(source) || FolderExists(source))
    {
        ZP_LOG_ERROR(kErrorFileMissing, "CPakRepair::MoveToBackup");
        return kErrorFileMissing;
    }
    // Two threads picking the same free name would have one backup replace the other.
    static std::mutex namingLock;
    std::lock_guard<std::mutex> guard(namingLock);
    std::wstring target = FreeBackupName(folder);
    if (target.empty() || !RenameFile(target, source) || !FileExists(target))
    {
        ZP_LOG_ERROR(kErrorFileOpen, "CPakRepair::MoveToBackup");
        return kErrorFileOpen;
    }
    if (outputPath) *outputPath = target;
    return 1;
}

int CPakRepair::AppendTrailer(const CFileInfo* record, const std::wstring& path, int code)
{
    if (!record)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepair::AppendTrailer");
        return kErrorInvalidPointer;
    }
    if (!FileExists(path))
    {
        ZP_LOG_ERROR(kErrorFileMissing, "CPakRepair::AppendTrailer");
        return kErrorFileMissing;
    }
    CFile file;
    int r = file.Open(path.c_str(), kModeReadWrite, 0);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CPakRepair::AppendTrailer");
        return r;
    }
    uint32_t offset = file.GetSize();
    if (offset > UINT32_MAX - kTrailerBytes)
    {
        ZP_LOG_ERROR(kErrorFileSize, "CPakRepair::AppendTrailer");
        return kErrorFileSize;
    }
    uint8_t trailer[kTrailerBytes];
    record->WriteRecord(trailer);
    record->WriteName(trailer + kRecordBytes);
    WriteU32(trailer + kRecordWithNameBytes, static_cast<uint32_t>(code));
    WriteU32(trailer + kRecordWithNameBytes + 4, offset);
    if (file.Seek(offset) != offset || file.Write(trailer, sizeof trailer) != sizeof trailer)
    {
        ZP_LOG_ERROR(kErrorFileWrite, "CPakRepair::AppendTrailer");
        return kErrorFileWrite;
    }
    return 1;
}

int CPakRepair::ReadTrailer(CFileInfo* record, const std::wstring& path, int* code)
{
    if (!record || !code)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepair::ReadTrailer");
        return kErrorInvalidPointer;
    }
    if (!FileExists(path))
    {
        ZP_LOG_ERROR(kErrorFileMissing, "CPakRepair::ReadTrailer");
        return kErrorFileMissing;
    }
    CFile file;
    int r = file.Open(path.c_str(), kModeRead, 0);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CPakRepair::ReadTrailer");
        return r;
    }
    uint32_t size = file.GetSize();
    uint8_t trailer[kTrailerBytes];
    // The trailer is the file's last bytes, and its offset field must say exactly where it starts.
    bool wellFormed = size >= kTrailerBytes && file.Seek(size - kTrailerBytes) == size - kTrailerBytes &&
                      file.Read(trailer, sizeof trailer) == sizeof trailer &&
                      ReadU32(trailer + kRecordWithNameBytes + 4) == size - kTrailerBytes;
    if (!wellFormed)
    {
        ZP_LOG_ERROR(kErrorInvalidData, "CPakRepair::ReadTrailer");
        return kErrorInvalidData;
    }
    record->ReadRecord(trailer);
    record->ReadName(trailer + kRecordBytes);
    *code = static_cast<int>(ReadU32(trailer + kRecordWithNameBytes));
    return 1;
}

int CPakRepair::SaveRecordBackup(CPak* pak, const CFileInfo* record, int code)
{
    if (!pak || !record)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepair::SaveRecordBackup");
        return kErrorInvalidPointer;
    }
    std::wstring folder = Folder();
    std::wstring extracted = FileNameInside(folder, record, "CPakRepair::SaveRecordBackup");
    if (extracted.empty()) return kErrorInvalidFileName;
    // A record named like the list or an earlier backup must not overwrite it on the way.
    if (FileExists(extracted) || FolderExists(extracted))
    {
        ZP_LOG_ERROR(kErrorFileCreate, "CPakRepair::SaveRecordBackup");
        return kErrorFileCreate;
    }
    if (!folder.empty()) CreateFolderTree(folder);
    if (!pak->ExtractRaw(record, folder, false))
    {
        DeleteFile(extracted);
        ZP_LOG_ERROR(kErrorFileWrite, "CPakRepair::SaveRecordBackup");
        return kErrorFileWrite;
    }
    std::wstring backup;
    int r = MoveToBackup(record, folder, &backup);
    if (r != 1)
    {
        DeleteFile(extracted);
        return r;
    }
    return AppendTrailer(record, backup, code);
}

int CPakRepair::OnDamagedFile(IPakEntryFile* file, int code, bool backup)
{
    const CFileInfo* record = file ? file->EntryRecord() : nullptr;
    if (!record)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepair::OnDamagedFile");
        return kErrorInvalidPointer;
    }
    int r = AppendToRepairList(record, code);
    if (r != 1 || !backup || record->base.Loc != kLocPak) return r;
    return SaveRecordBackup(file->EntryPak(), record, code);
}

int AppendToRepairList(const CFileInfo* record, int code)
{
    if (!record)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "AppendToRepairList");
        return kErrorInvalidPointer;
    }
    std::wstring name = ListSafeName(record->Name());
    std::wstring line = FormatWide(4095, L"%s [FilePos : %u] [FileSize : %u] [%d : %s] [%s]", name.c_str(),
                                   record->base.FilePos, record->base.size, code, GetMessageText(code),
                                   TimeStamp(LocalNow()).c_str());
    return CPakRepair::Get().AppendLine(line);
}

} // namespace ZP
