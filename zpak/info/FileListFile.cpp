// ".info" list files and the list version record.
#include "platform/text/TextCodec.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/FileBase.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/log/ZpakLog.h"

#include <cstring>
#include <vector>

namespace ZP
{
namespace
{
const uint8_t kMagicStart[4] = {'F', 'I', 'L', 'S'};
const uint8_t kMagicTable[4] = {'F', 'I', 'L', 'Z'};
const uint8_t kMagicEnd[4] = {'F', 'I', 'L', 'E'};

bool WriteAll(IFileBase* file, const void* data, uint32_t size)
{
    return size == 0 || file->Write(data, size) == size;
}

bool WriteU32To(IFileBase* file, uint32_t v)
{
    uint8_t b[4];
    WriteU32(b, v);
    return WriteAll(file, b, 4);
}

std::vector<uint8_t> Utf16Bytes(const std::u16string& s, uint32_t units)
{
    std::vector<uint8_t> out(static_cast<size_t>(units) * 2, 0);
    for (size_t i = 0; i < units && i < s.size(); ++i)
    {
        out[i * 2] = static_cast<uint8_t>(s[i]);
        out[i * 2 + 1] = static_cast<uint8_t>(s[i] >> 8);
    }
    return out;
}

// Reads a header string of units UTF-16 units; fails when the file cannot hold it.
bool ReadString(IFileBase* file, uint32_t units, std::u16string& out)
{
    uint64_t bytes = static_cast<uint64_t>(units) * 2;
    if (bytes > static_cast<uint64_t>(file->GetSize() - file->GetPosition())) return false;
    std::vector<uint8_t> raw(static_cast<size_t>(bytes));
    if (file->Read(raw.data(), static_cast<uint32_t>(bytes)) != bytes) return false;
    out.assign(units, u'\0');
    for (size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(raw[i * 2] | (raw[i * 2 + 1] << 8));
    return true;
}

int CloseWith(IFileBase* file, int code, const char* where)
{
    file->Close();
    if (code != 1) ZP_LOG_ERROR(code, where);
    return code;
}
} // namespace

int CFileInfoUtil::SaveFileList(IFileBase* file, sFileListSaveLoad* header)
{
    static const char* const kWhere = "CFileInfoUtil::SaveFileList";
    if (!file || !header || !header->list)
        return ZP_LOG_ERROR(kErrorInvalidPointer, kWhere), kErrorInvalidPointer;
    if (!file->IsOpened()) return ZP_LOG_ERROR(kErrorNotOpen, kWhere), kErrorNotOpen;
    const sFileListStringSize& s = header->sizes;
    file->Seek(0);
    bool ok = WriteAll(file, kMagicStart, 4) && WriteU32To(file, s.reserved) && WriteU32To(file, s.len1) &&
              WriteU32To(file, s.len2) && WriteU32To(file, s.len3);
    if (ok && s.len1)
    {
        std::vector<uint8_t> b = Utf16Bytes(header->string1, s.len1);
        ok = WriteAll(file, b.data(), static_cast<uint32_t>(b.size()));
    }
    if (ok && s.len2)
    {
        std::vector<uint8_t> b = Utf16Bytes(header->string2, s.len2);
        ok = WriteAll(file, b.data(), static_cast<uint32_t>(b.size()));
    }
    const vFileInfo& list = *header->list;
    ok = ok && WriteAll(file, kMagicTable, 4) && WriteU32To(file, static_cast<uint32_t>(list.Count()));
    sNotifyHooks& hooks = GetNotifyHooks();
    Notify(hooks.listStart, static_cast<uint32_t>(list.Count()));
    uint8_t record[kRecordWithNameBytes];
    uint64_t bytes = 0;
    uint32_t index = 0;
    for (const CFileInfo* r : list)
    {
        if (!ok) break;
        ++index;
        if (!r) continue;
        r->WriteRecord(record);
        r->WriteName(record + kRecordBytes);
        ok = WriteAll(file, record, sizeof(record));
        bytes += sizeof(record);
        Notify(hooks.recordName, r->Name().c_str());
        Notify(hooks.listByteCount, bytes, bytes);
        Notify(hooks.listIndexProgress, static_cast<uint32_t>(list.Count()), index);
    }
    uint32_t headerLength = 4 + 16 + 2 * s.len1 + 2 * s.len2 + 4;
    ok = ok && WriteU32To(file, headerLength) && WriteAll(file, kMagicEnd, 4);
    Notify(hooks.listEnd);
    if (!ok) return ZP_LOG_ERROR(kErrorFileWrite, kWhere), kErrorFileWrite;
    return 1;
}

int CFileInfoUtil::LoadFileList(IFileBase* file, sFileListSaveLoad* header)
{
    static const char* const kWhere = "CFileInfoUtil::LoadFileList";
    if (!file || !header || !header->list)
        return ZP_LOG_ERROR(kErrorInvalidPointer, kWhere), kErrorInvalidPointer;
    if (!file->IsOpened()) return ZP_LOG_ERROR(kErrorNotOpen, kWhere), kErrorNotOpen;
    vFileInfo& list = *header->list;
    list.Clear();
    file->Seek(0);
    uint8_t word[4];
    if (file->Read(word, 4) != 4 || std::memcmp(word, kMagicStart, 4) != 0)
        return CloseWith(file, kErrorInvalidData, kWhere);
    uint8_t block[16];
    if (file->Read(block, 16) != 16) return CloseWith(file, kErrorInvalidData, kWhere);
    sFileListStringSize& s = header->sizes;
    s.reserved = ReadU32(block);
    s.len1 = ReadU32(block + 4);
    s.len2 = ReadU32(block + 8);
    s.len3 = ReadU32(block + 12);
    if ((s.len1 && !ReadString(file, s.len1, header->string1)) ||
        (s.len2 && !ReadString(file, s.len2, header->string2)))
        return CloseWith(file, kErrorInvalidData, kWhere);
    if (s.len3)
    {
        uint64_t skip = static_cast<uint64_t>(s.len3) * 2 + file->GetPosition();
        if (skip > file->GetSize()) return CloseWith(file, kErrorInvalidData, kWhere);
        file->Seek(static_cast<uint32_t>(skip));
    }
    // The table magic is not checked: lists with any value there are in use.
    if (file->Read(word, 4) != 4) return CloseWith(file, kErrorInvalidData, kWhere);
    uint32_t count = file->ReadUInt32();
    sNotifyHooks& hooks = GetNotifyHooks();
    Notify(hooks.listStart, count);
    uint8_t record[kRecordBytes];
    uint8_t name[kNameBytes];
    uint64_t bytes = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        if (CStopper::IsStopRequested()) return CloseWith(file, kErrorStopped, kWhere);
        // A count larger than the file holds ends at the data's end: nothing is read or kept
        // for records that are not there.
        if (file->Read(record, kRecordBytes) != kRecordBytes) break;
        auto* r = new CFileInfo;
        r->ReadRecord(record);
        r->FillDateTimeIfEmpty();
        std::memset(name, 0, sizeof(name));
        uint32_t got = file->Read(name, kNameBytes);
        if (got == 0)
        {
            delete r;
            break;
        }
        if (!r->ReadName(name))
        {
            // A name that fills the whole field was longer than a record holds: taken cut, it
            // would name another file.
            LogWarnF(L"name longer than %d characters : %s...", static_cast<int>(kNameUnits - 1),
                     r->Name().c_str());
            delete r;
            list.Clear();
            return CloseWith(file, kErrorNameTooLong, kWhere);
        }
        list.Add(r);
        bytes += kRecordBytes + got;
        Notify(hooks.recordName, r->Name().c_str());
        Notify(hooks.listByteCount, bytes, bytes);
        Notify(hooks.listIndexProgress, count, i + 1);
    }
    Notify(hooks.listEnd);
    file->ReadUInt32(); // header length, not used
    bool closed = file->Read(word, 4) == 4 && std::memcmp(word, kMagicEnd, 4) == 0;
    return CloseWith(file, closed ? 1 : kErrorInvalidData, kWhere);
}

int CFileInfoUtil::WriteVersionRecord(IFileBase* file, const sListVersion* record, uint32_t* written)
{
    if (!file || !record || !written)
        return ZP_LOG_ERROR(kErrorInvalidPointer, "CFileInfoUtil::WriteVersionRecord"), kErrorInvalidPointer;
    uint8_t raw[kVersionRecordBytes] = {};
    WriteU32(raw, record->version);
    std::u16string units = platform::text::WideToUtf16(record->listPath);
    for (size_t i = 0; i < units.size() && i < kNameUnits - 1; ++i)
    {
        raw[16 + i * 2] = static_cast<uint8_t>(units[i]);
        raw[16 + i * 2 + 1] = static_cast<uint8_t>(units[i] >> 8);
    }
    file->Seek(0);
    *written = file->Write(raw, sizeof(raw));
    return 1;
}

int CFileInfoUtil::ReadVersionRecord(IFileBase* file, sListVersion* record, uint32_t* read)
{
    if (!file || !record || !read)
        return ZP_LOG_ERROR(kErrorInvalidPointer, "CFileInfoUtil::ReadVersionRecord"), kErrorInvalidPointer;
    uint8_t raw[kVersionRecordBytes] = {};
    file->Seek(0);
    *read = file->Read(raw, sizeof(raw));
    record->version = ReadU32(raw);
    std::u16string units;
    for (size_t i = 0; i < kNameUnits - 1; ++i)
    {
        char16_t u = static_cast<char16_t>(raw[16 + i * 2] | (raw[16 + i * 2 + 1] << 8));
        if (u == 0) break;
        units.push_back(u);
    }
    record->listPath = platform::text::Utf16ToWide(units);
    return 1;
}

} // namespace ZP
