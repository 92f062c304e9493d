// Reading, verifying and extracting stored files, and comparing a pak with a file list.
#include "platform/fs/FileSystem.h"
#include "zpak/codec/EncodeMgr.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/PathSafety.h"
#include "zpak/common/Stopper.h"
#include "zpak/crc/Crc32.h"
#include "zpak/file/File.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/pak/LooseFile.h"
#include "zpak/pak/Pak.h"

#include <memory>
#include <vector>

namespace ZP
{
namespace
{
struct sBufferDeleter
{
    void operator()(char* p) const { FreeBuffer(p); }
};
using BufferPtr = std::unique_ptr<char, sBufferDeleter>;

void ReportBroken(const CFileInfo* record, int code)
{
    Notify(GetNotifyHooks().brokenFile, record, code);
}

// Where a record may be written: inside the folder, or nowhere (logged).
std::wstring TargetFor(const std::wstring& folder, const std::wstring& name, const char* where)
{
    std::wstring target = PathInside(folder, name);
    if (target.empty())
    {
        LogWarnF(L"refused name : %s", name.c_str());
        ZP_LOG_ERROR(kErrorInvalidFileName, where);
    }
    return target;
}

} // namespace

int CPak::VerifyStored(const CFileInfo* record)
{
    if (!record) return kErrorInvalidPointer;
    const bool transformed = record->base.zip != 0 || record->base.enc != 0;
    const uint32_t expectedCrc = transformed ? record->base.ZipCrc : record->base.OrgCrc;
    const uint32_t expectedSum = transformed ? record->base.ZipSum : record->base.OrgSum;
    if (!record->HasCrc() || expectedCrc == 0 || expectedSum == 0) return kErrorNoCrc;
    int32_t sum = 0;
    uint32_t crc = 0;
    std::vector<char> piece(1 << 20);
    uint32_t done = 0;
    if (!SeekTo(record->base.FilePos)) return kErrorFileRead;
    while (done < record->base.size)
    {
        if (CStopper::IsStopRequested()) return kErrorStopped;
        uint32_t want = record->base.size - done < piece.size() ? record->base.size - done
                                                                : static_cast<uint32_t>(piece.size());
        uint32_t got = m_file->Read(piece.data(), want);
        if (got == 0) return kErrorCrcMismatch;
        crc = CCrc32::Get().Update(piece.data(), got, crc, &sum);
        done += got;
    }
    if (crc != expectedCrc) return kErrorCrcMismatch;
    if (static_cast<uint32_t>(sum) != expectedSum) return kErrorSumMismatch;
    return 1;
}

int CPak::CheckRecord(const CFileInfo& record, bool skipEncrypted)
{
    const sFileInfoBase& b = record.base;
    // A record without bytes has nothing that could be damaged, but it must describe an empty file.
    if (b.size == 0) return b.OrgSize == 0 ? 1 : kErrorDataSize;
    // Stored data never lies inside the header or the info table: the record itself is garbage.
    if (b.FilePos <= m_tableEnd) return kErrorPakBroken;
    const bool plain = b.zip == 0 && b.enc == 0;
    // What the record promises must be what a reader can produce: plain bytes are the file, and a
    // compressed file unpacks to its own size, small enough to decode in one buffer.
    if (plain ? b.size != b.OrgSize
              : (b.zip != 0 && b.unzipsize != b.OrgSize) ||
                    (b.size < kLargeFileBytes && b.OrgSize > kMaxDecodedBytes))
        return kErrorDataSize;
    int r = VerifyStored(&record);
    if (r == kErrorCrcMismatch || r == kErrorSumMismatch || r == kErrorStopped || r == kErrorFileRead)
        return r;
    if (plain || (skipEncrypted && b.enc != 0))
        return 1; // decoding would only repeat the check just made over the same bytes
    char* data = nullptr;
    uint32_t length = 0;
    r = ReadFileData(&record, true, &data, &length);
    if (r == 1)
    {
        FreeBuffer(data);
        return length == b.OrgSize ? 1 : kErrorDataSize;
    }
    // 14003: too large to decode in memory; its stored bytes were checked above.
    return r == kErrorInvalidPointer ? 1 : r;
}

int CPak::ReadFileData(const CFileInfo* record, bool keep, char** buffer, uint32_t* length)
{
    if (!record || !buffer || !length || record->base.size == 0 || record->base.size >= kLargeFileBytes)
        return kErrorInvalidPointer;
    if (record->HasCrc())
    {
        int verified = VerifyStored(record);
        if (verified != 1)
        {
            ReportBroken(record, kErrorCrcMismatch);
            return verified;
        }
    }
    BufferPtr data(AllocBuffer(record->base.size));
    if (!data || !ReadAt(record->base.FilePos, data.get(), record->base.size)) return kErrorFileRead;
    uint32_t current = record->base.size;
    if (record->base.enc != 0)
    {
        char* plain = nullptr;
        if (!Decrypt(static_cast<int>(record->base.enc & 0xFF), &plain, record->base.EncSize, data.get(),
                     current))
            return kErrorDecrypt;
        data.reset(plain);
        current = record->base.EncSize;
    }
    if (current > 0 && record->base.zip != 0)
    {
        char* plain = nullptr;
        if (!Decompress(static_cast<int>(record->base.zip & 0xFF), &plain, record->base.unzipsize, data.get(),
                        current))
        {
            ReportBroken(record, kErrorDecompress);
            return kErrorDecompress;
        }
        data.reset(plain);
        current = record->base.unzipsize;
    }
    if (current > 0 && record->HasCrc())
    {
        int32_t sum = 0;
        uint32_t crc = CCrc32::Get().Update(data.get(), current, 0, &sum);
        if (crc != record->base.OrgCrc || static_cast<uint32_t>(sum) != record->base.OrgSum)
        {
            ReportBroken(record, kErrorCrcMismatch);
            return kErrorCrcMismatch;
        }
    }
    *length = current;
    if (keep)
        *buffer = data.release();
    else
    {
        // The caller's buffer holds OrgSize bytes: never write more than that.
        if (current > record->base.OrgSize || !*buffer) return kErrorDataSize;
        std::copy(data.get(), data.get() + current, *buffer);
    }
    return 1;
}

bool CPak::ExtractRaw(const CFileInfo* record, const std::wstring& targetFolder, bool keepPath)
{
    if (!record) return false;
    std::wstring target = TargetFor(
        targetFolder, keepPath ? record->Name() : GetFileNameWithExt(record->Name()), "CPak::ExtractRaw");
    if (target.empty()) return false;
    CFile out;
    if (out.Open(target.c_str(), kModeCreate, 0) != 1) return false;
    std::vector<char> piece(kMoveChunk);
    uint32_t done = 0;
    if (!SeekTo(record->base.FilePos)) return false;
    while (done < record->base.size)
    {
        if (CStopper::IsStopRequested()) return false;
        uint32_t want = record->base.size - done < kMoveChunk ? record->base.size - done : kMoveChunk;
        uint32_t got = m_file->Read(piece.data(), want);
        if (got == 0 || out.Write(piece.data(), got) != got) break;
        done += got;
        Notify(GetNotifyHooks().byteProgress, static_cast<uint64_t>(record->base.size),
               static_cast<uint64_t>(done));
    }
    return done == record->base.size;
}

bool CPak::ExtractFile(const CFileInfo* record, const std::wstring& targetFolder)
{
    if (!record) return false;
    if (record->base.size == 0 && record->base.OrgSize != 0)
    {
        // No bytes were stored for content the record promises: an empty file would be a lie.
        ZP_LOG_ERROR(kErrorDataSize, "CPak::ExtractFile");
        return false;
    }
    std::wstring target = TargetFor(targetFolder, record->Name(), "CPak::ExtractFile");
    if (target.empty()) return false;
    const bool plain = record->base.zip == 0 && record->base.enc == 0;
    if (record->base.size == 0 || record->base.size >= kLargeFileBytes || plain)
    {
        // Stored as it is: streamed in one pass, checked against its values on the way, instead
        // of verified and then read again into one buffer.
        bool copied = plain ? ExtractStreamed(record, target) : ExtractRaw(record, targetFolder, true);
        CFile out;
        if (copied && out.Open(target.c_str(), kModeReadWrite, 0) == 1)
            out.SetLastWriteTime(static_cast<time_t>(record->base.FileTime));
        return copied;
    }
    char* data = nullptr;
    uint32_t length = 0;
    int r = ReadFileData(record, true, &data, &length);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CPak::ExtractFile");
        return false;
    }
    BufferPtr owned(data);
    CFile out;
    if (out.Open(target.c_str(), kModeCreate, 0) != 1) return false;
    bool ok = length == 0 || out.Write(owned.get(), length) == length;
    Notify(GetNotifyHooks().byteProgress, static_cast<uint64_t>(record->base.size),
           static_cast<uint64_t>(length));
    out.SetLastWriteTime(static_cast<time_t>(record->base.FileTime));
    return ok;
}

bool CPak::ExtractStreamed(const CFileInfo* record, const std::wstring& target)
{
    CFile out;
    if (out.Open(target.c_str(), kModeCreate, 0) != 1 || !SeekTo(record->base.FilePos)) return false;
    constexpr uint32_t kPiece = 1u << 20;
    std::vector<char> piece(record->base.size < kPiece ? record->base.size : kPiece);
    uint32_t crc = 0;
    int32_t sum = 0;
    uint32_t done = 0;
    while (done < record->base.size)
    {
        if (CStopper::IsStopRequested()) return false;
        uint32_t want = record->base.size - done < kPiece ? record->base.size - done : kPiece;
        uint32_t got = m_file->Read(piece.data(), want);
        if (got == 0 || out.Write(piece.data(), got) != got) return false;
        crc = CCrc32::Get().Update(piece.data(), got, crc, &sum);
        done += got;
        Notify(GetNotifyHooks().byteProgress, static_cast<uint64_t>(record->base.size),
               static_cast<uint64_t>(done));
    }
    if (record->HasCrc() && (crc != record->base.OrgCrc || static_cast<uint32_t>(sum) != record->base.OrgSum))
    {
        out.Close();
        DeleteFile(target);
        ReportBroken(record, kErrorCrcMismatch);
        ZP_LOG_ERROR(kErrorCrcMismatch, "CPak::ExtractFile");
        return false;
    }
    return true;
}

bool CPak::CopyLooseFile(const CFileInfo* record, const std::wstring& targetFolder)
{
    if (!record || record->base.Loc != kLocLoose || !IsSafeRelativeName(record->Name())) return false;
    std::wstring target = TargetFor(targetFolder, record->Name(), "CPak::CopyLooseFile");
    if (target.empty() || !FileExists(record->Name())) return false;
    CreateParentFolders(target);
    return CopyFile(record->Name(), target, true);
}

bool CPak::ExtractAll(const std::wstring& targetFolder)
{
    std::wstring folder = BackslashToSlash(targetFolder.empty() ? DefaultFolder(L"") : targetFolder);
    if (!FolderExists(folder)) CreateFolderTree(folder);
    sNotifyHooks& hooks = GetNotifyHooks();
    uint32_t count = static_cast<uint32_t>(Count());
    Notify(hooks.extractStart, count);
    uint32_t index = 0;
    std::vector<CFileInfo*> records = m_all.Raw();
    for (CFileInfo* r : records)
    {
        ++index;
        if (CStopper::IsStopRequested()) return false;
        if (!r || r->base.deleted != 0) continue;
        Notify(hooks.extractFileBegin, r->Name().c_str());
        bool ok = true;
        if (r->base.Loc == kLocPak)
            ok = ExtractFile(r, folder);
        else if (r->base.Loc == kLocLoose)
            ok = CopyLooseFile(r, folder);
        if (!ok)
        {
            LogWarnF(L"extract failed : %s", r->Name().c_str());
            // The caller learns what is wrong with the record, not only that extraction stopped.
            int code = r->base.Loc == kLocPak ? CheckRecord(*r, false) : kErrorFileMissing;
            m_extractError = code == 1 ? kErrorUnpack : code;
            return false;
        }
        Notify(hooks.extractFileEnd, r->Name().c_str(), static_cast<uint64_t>(r->base.OrgSize));
        Notify(hooks.extractProgress, count, index);
    }
    Notify(hooks.extractEnd);
    return true;
}

int CPak::OpenAndExtract(const std::wstring& path, const std::wstring& targetFolder)
{
    sNotifyHooks& hooks = GetNotifyHooks();
    Notify(hooks.statusText, L"팩 파일 열기.");
    if (Open(path, false) != 1 || !IsOpen())
    {
        Notify(hooks.failureText, L"팩 파일 열기 실패.");
        return kErrorFileOpen;
    }
    if (m_damage.Any())
    {
        // Extracting what happens to be readable would pass a partial game off as a whole one.
        Notify(hooks.failureText, L"팩 파일 열기 실패.");
        ZP_LOG_ERROR(kErrorPakBroken, "CPak::OpenAndExtract");
        Close();
        return kErrorPakBroken;
    }
    Notify(hooks.statusText, L"지정 위치에 팩 풀기 시작.");
    m_extractError = kErrorUnpack;
    if (!ExtractAll(targetFolder))
    {
        Notify(hooks.failureText, L"지정 위치에 팩 풀기 실패.");
        Close();
        return m_extractError;
    }
    Close();
    return 1;
}

int CPak::CompareWithList(const std::wstring& gameFolder, const vFileInfo& list, vFileInfo& output)
{
    mapFileInfo byPath;
    list.BuildPathMap(byPath);
    for (CFileInfo* r : m_all)
    {
        if (CStopper::IsStopRequested()) return kErrorStopped;
        if (!r || r->base.deleted == 1) continue;
        bool listed = byPath.ContainsEqual(r, NameKeyOf(r->Name()));
        if (!listed || (r->base.Loc == kLocLoose && !LooseFileIsCurrent(gameFolder, *r, false)))
            output.AddCopy(r);
    }
    return 1;
}

int CPak::CheckAgainstList(const std::wstring& gameFolder, const vFileInfo& list, vFileInfo& output)
{
    mapFileInfo byPath;
    m_all.BuildPathMap(byPath);
    for (CFileInfo* r : list)
    {
        if (CStopper::IsStopRequested()) return kErrorStopped;
        if (!r || r->base.Loc == kLocNoList || r->base.deleted != 0) continue;
        bool held = byPath.ContainsEqual(r, NameKeyOf(r->Name()));
        if (r->base.Loc == kLocPak ? !held : (!LooseFileIsCurrent(gameFolder, *r, true) || !held))
            output.AddCopy(r);
    }
    return 1;
}

int CPak::Synchronise(const std::wstring& gameFolder, const vFileInfo& list, vFileInfo& output)
{
    vFileInfo stale;
    int r = CompareWithList(gameFolder, list, stale);
    if (r == 1) r = DeleteRecords(gameFolder, stale);
    if (r == 1) r = CheckAgainstList(gameFolder, list, output);
    return r;
}

} // namespace ZP
