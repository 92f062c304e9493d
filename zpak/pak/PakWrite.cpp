// Adding file data and records, deleting records.
#include "zpak/common/CommonFunction.h"
#include "zpak/common/PathSafety.h"
#include "zpak/file/FileBase.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/pak/Pak.h"

#include <algorithm>

namespace ZP
{

bool CPak::CheckDiskSpace(uint64_t bytes)
{
    return HasFreeSpace(m_path, bytes);
}

CFileInfo* CPak::TakeFreeSlot(const CFileInfo* record, uint32_t minimumSize)
{
    CFileInfo* slot = FindFree(minimumSize, m_tableEnd);
    if (!slot) return nullptr;
    // The slot is filed under its old name; it is taken out and filed again under the new one.
    m_free.erase(std::find(m_free.begin(), m_free.end(), slot));
    uint32_t infoPos = slot->base.InfoPos;
    uint32_t filePos = slot->base.FilePos;
    uint32_t size = slot->base.size;
    Remove(slot, false);
    *slot = CFileInfo();
    slot->base.InfoPos = infoPos;
    slot->base.FilePos = filePos;
    slot->base.size = size;
    (void)record;
    return slot;
}

CFileInfo* CPak::NewRecord(const CFileInfo* record)
{
    (void)record;
    auto* fresh = new CFileInfo;
    fresh->base.FilePos = m_header.DataEnd;
    return fresh;
}

CFileInfo* CPak::PrepareRecord(const CFileInfo* source, uint32_t neededSize, bool& appended)
{
    appended = false;
    if (!source) return nullptr;
    CFileInfo* record = Find(source->Name(), kFindFullName);
    if (record)
    {
        // Data longer than the old slot would overwrite its neighbour: the old slot is freed and
        // the data goes elsewhere, unless the slot is the last one and can simply grow.
        bool last = static_cast<uint64_t>(record->base.FilePos) + record->base.size >= m_header.DataEnd;
        if (neededSize > record->base.size && !last)
        {
            record->base.deleted = 1;
            m_free.push_back(record);
            WriteRecord(record);
            m_header.FreeCount++;
            if (m_header.FileCount > 0) m_header.FileCount--;
            record = nullptr;
        }
    }
    bool reused = record != nullptr;
    if (!record)
    {
        record = TakeFreeSlot(source, neededSize);
        if (!record)
        {
            record = NewRecord(source);
            appended = true;
        }
    }
    const std::wstring& name = source->Name();
    record->SetName(name);
    record->base.NameLen = name.empty() ? 0 : static_cast<uint32_t>(name.size() + 1);
    if (appended) record->base.FilePos = m_header.DataEnd;
    if (record->base.FilePos == 0) record->base.FilePos = m_file->GetPosition();
    const sFileInfoBase& s = source->base;
    record->base.zip = s.zip;
    record->base.unzipsize = s.unzipsize;
    record->base.enc = s.enc;
    record->base.EncSize = s.EncSize;
    record->base.OrgSize = s.OrgSize;
    record->base.FileTime = s.FileTime;
    record->base.Date = s.Date;
    record->base.Time = s.Time;
    record->FillDateTimeIfEmpty();
    record->base.Loc = kLocPak;
    record->base.deleted = 0;
    // A slot taken from the free list is filed again under its new name (reused records keep theirs).
    if (!reused && !appended && !Add(record))
    {
        delete record;
        return nullptr;
    }
    return record;
}

int CPak::TransferData(IFileBase* source, IFileBase* destination, const CFileInfo* sourceRecord,
                       CFileInfo* pakRecord, bool transport, uint32_t& written)
{
    CFileInfo working;
    working.CopyFrom(*sourceRecord);
    if (sourceRecord->IsSpecial(true))
        written = transport
                      ? CFileInfoUtil::DownloadRaw(source, destination, &working)
                      : CFileInfoUtil::StoreCoded(source, destination, sourceRecord->base.size, pakRecord);
    else
        written = transport
                      ? CFileInfoUtil::DownloadDecode(source, destination, &working)
                      : CFileInfoUtil::CopyPlain(source, destination, sourceRecord->base.size, pakRecord);
    if (written == 0 && sourceRecord->base.size != 0)
    {
        source->Close();
        return kErrorDownload;
    }
    if (transport && sourceRecord->HasCrc())
    {
        pakRecord->base.OrgCrc = sourceRecord->base.OrgCrc;
        pakRecord->base.ZipCrc = sourceRecord->base.ZipCrc;
        pakRecord->base.OrgSum = sourceRecord->base.OrgSum;
        pakRecord->base.ZipSum = sourceRecord->base.ZipSum;
        pakRecord->base.CrcSign = sourceRecord->base.CrcSign;
    }
    return 1;
}

int CPak::AddFileData(IFileBase* source, const CFileInfo* sourceRecord, bool transport)
{
    if (!sourceRecord || sourceRecord->base.Loc != kLocPak || sourceRecord->base.deleted != 0 || !source ||
        !source->IsOpened() || !IsOpen())
        return 0;
    // A server record that promises content it does not carry can never be read back.
    if (transport && sourceRecord->base.size == 0 && sourceRecord->base.OrgSize != 0)
    {
        LogWarnF(L"%s - %d : %s", GetMessageText(kErrorDataSize), kErrorDataSize,
                 sourceRecord->Name().c_str());
        return kErrorDataSize;
    }
    uint32_t needed = sourceRecord->base.OrgSize > sourceRecord->base.size ? sourceRecord->base.OrgSize
                                                                           : sourceRecord->base.size;
    if (!CheckDiskSpace(needed))
    {
        LogWarnF(L"%s - %d", GetMessageText(kErrorNoDiskSpace), kErrorNoDiskSpace);
        return kErrorNoDiskSpace;
    }
    uint32_t savedPosition = m_file->GetPosition();
    bool appended = false;
    CFileInfo* record = PrepareRecord(sourceRecord, needed, appended);
    if (!record)
    {
        LogWarnF(L"%s - %d", GetMessageText(kErrorNoRecord), kErrorNoRecord);
        return kErrorNoRecord;
    }
    m_file->Seek(record->base.FilePos);
    const uint32_t oldSize = appended ? 0 : record->base.size;
    uint32_t written = 0;
    int r = TransferData(source, m_file.get(), sourceRecord, record, transport, written);
    if (r != 1)
    {
        LogWarnF(L"%s - %d", GetMessageText(r), r);
        if (appended) delete record;
        return r;
    }
    record->base.size = written;
    if (appended)
    {
        m_header.DataEnd += written;
        if (Add(record))
        {
            m_header.RecordCount++;
            m_header.FileCount++;
        }
        else
        {
            delete record;
            record = nullptr;
        }
    }
    else
    {
        if (oldSize > written && oldSize - written > kMinimumGap && TableBelowFreeLimit())
        {
            if (CFileInfo* tail = MakeFreeRecord(record->base.FilePos + written, oldSize - written))
            {
                m_header.RecordCount++;
                m_header.FreeCount++;
                WriteRecord(tail);
            }
        }
        m_header.FileCount++;
        if (m_header.FreeCount > 0) m_header.FreeCount--;
        uint32_t position = m_file->GetPosition();
        if (position > m_header.DataEnd) m_header.DataEnd = position;
    }
    source->Close();
    WriteHeader();
    if (record) WriteRecord(record);
    // What arrived from a server is read back before it counts as stored: data that does not match
    // its record, or cannot be decoded, is freed again instead of staying as a file nobody can read.
    int checked = transport && record ? CheckRecord(*record, true) : 1;
    if (checked != 1)
    {
        LogWarnF(L"%s - %d : %s", GetMessageText(checked), checked, record->Name().c_str());
        DeleteRecord(std::wstring(), record);
    }
    m_file->Seek(savedPosition);
    return checked;
}

bool CPak::AddRecord(CFileInfo* record, bool write)
{
    if (!record) return false;
    record->base.FilePos = 0;
    record->base.size = 0;
    uint32_t position = m_file->GetPosition();
    if (!Add(record)) return false;
    if (write) WriteRecord(record);
    m_file->Seek(position);
    return true;
}

int CPak::DeleteRecord(const std::wstring& gameFolder, CFileInfo* record)
{
    if (!record) return kErrorInvalidPointer;
    uint32_t position = m_file->GetPosition();
    record->base.deleted = 1;
    if (record->base.Loc == kLocPak)
    {
        WriteRecord(record);
        if (std::find(m_free.begin(), m_free.end(), record) == m_free.end()) m_free.push_back(record);
    }
    else
    {
        // The file on disk goes with its record, unless another record of this pak names the same
        // file (an update written before a run was cut short): that one owns it now.
        if (record->base.Loc == kLocLoose && CountIndexed(record->Name()) <= 1)
        {
            std::wstring path = PathInside(gameFolder, record->Name());
            if (path.empty())
                ZP_LOG_ERROR(kErrorInvalidFileName, "CPak::DeleteRecord");
            else
                DeleteFile(path);
        }
        Remove(record, true);
    }
    m_header.FreeCount++;
    if (m_header.FileCount > 0) m_header.FileCount--;
    m_file->Seek(position);
    return 1;
}

int CPak::DeleteRecords(const std::wstring& gameFolder, vFileInfo& list)
{
    for (CFileInfo* wanted : list)
    {
        if (!wanted) continue;
        LogF(L"삭제 파일 : %s", wanted->Name().c_str());
        // The list may hold copies: act on this pak's own record.
        if (CFileInfo* mine = FindIndexed(wanted->Name(), wanted->base.InfoPos))
            DeleteRecord(gameFolder, mine);
    }
    return 1;
}

int CPak::MarkDeletedByPath(const wchar_t* name)
{
    if (!name) return kErrorInvalidPointer;
    CFileInfo* record = Find(name, kFindFullName);
    if (!record) return kErrorFileSearch;
    MarkDeleted(record);
    return 1;
}

uint64_t CPak::DataSize(bool storedOnly) const
{
    uint64_t total = kDataOffset;
    for (const CFileInfo* r : m_all)
        if (r && r->base.deleted != 1 && r->base.Loc == kLocPak)
            total +=
                storedOnly ? r->base.size : (r->base.size > r->base.OrgSize ? r->base.size : r->base.OrgSize);
    return total;
}

} // namespace ZP
