// Opening, creating, closing, the header and info table, overlap repair and compaction.
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/File.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/pak/Pak.h"

#include <cstring>
#include <vector>

namespace ZP
{
namespace
{
const uint8_t kPaks[4] = {'P', 'A', 'K', 'S'};
const uint8_t kFils[4] = {'F', 'I', 'L', 'S'};
const uint8_t kFilz[4] = {'F', 'I', 'L', 'Z'};
const uint8_t kFile[4] = {'F', 'I', 'L', 'E'};
const uint8_t kZphs[4] = {'Z', 'P', 'H', 'S'};

uint32_t sPakHeader::*const kHeaderFields[10] = {
    &sPakHeader::reserved0,  &sPakHeader::Version,    &sPakHeader::reserved8, &sPakHeader::RecordCount,
    &sPakHeader::FileCount,  &sPakHeader::FreeCount,  &sPakHeader::DataEnd,   &sPakHeader::reserved28,
    &sPakHeader::HeaderSign, &sPakHeader::reserved36,
};
} // namespace

CPak::CPak() : m_file(GetFileFactory()->Create()) {}

CPak::~CPak()
{
    Close();
}

bool CPak::IsOpen() const
{
    return m_file && m_file->IsOpened();
}

bool CPak::SeekTo(uint64_t position)
{
    return position <= 0xFFFFFFFFULL && m_file->Seek(static_cast<uint32_t>(position)) == position;
}

bool CPak::ReadAt(uint64_t position, void* buffer, uint32_t size)
{
    return SeekTo(position) && m_file->Read(buffer, size) == size;
}

bool CPak::WriteU32(uint32_t value)
{
    return m_file->WriteUInt32(value) == 4;
}

void CPak::Reset()
{
    Clear();
    m_header = sPakHeader();
    m_tableEnd = 0;
    m_base = 0;
    m_damage = sPakDamage();
    m_leftOut.Clear();
}

uint32_t CPak::FindBase()
{
    uint32_t saved = m_file->GetPosition();
    uint64_t size = m_file->GetSize();
    uint32_t base = 0;
    if (size > 0)
    {
        for (uint64_t k = 0;; ++k)
        {
            uint8_t marker[4];
            if (ReadAt(k * kStep, marker, 4) && std::memcmp(marker, kPaks, 4) == 0)
            {
                base = static_cast<uint32_t>(k * kStep);
                break;
            }
            if ((k + 1) * kStep > size)
            {
                uint64_t fresh = k * kStep + 2 * kStep;
                base = fresh > 0xFFFFFFFFULL ? 0 : static_cast<uint32_t>(fresh);
                break;
            }
        }
    }
    m_file->Seek(saved);
    return base;
}

bool CPak::ReadHeader()
{
    uint8_t raw[44];
    if (!ReadAt(m_base, raw, sizeof(raw)) || std::memcmp(raw, kPaks, 4) != 0) return false;
    for (size_t i = 0; i < 10; ++i)
        m_header.*kHeaderFields[i] = ReadU32(raw + 4 + i * 4);
    return std::memcmp(raw + 4 + 32, kZphs, 4) == 0;
}

bool CPak::WriteHeader()
{
    m_header.Version = kPakVersion;
    std::memcpy(&m_header.HeaderSign, kZphs, 4);
    uint8_t raw[44];
    std::memcpy(raw, kPaks, 4);
    for (size_t i = 0; i < 10; ++i)
        ZP::WriteU32(raw + 4 + i * 4, m_header.*kHeaderFields[i]);
    std::memcpy(raw + 4 + 32, kZphs, 4);
    return SeekTo(m_base) && m_file->Write(raw, sizeof(raw)) == sizeof(raw);
}

int CPak::Create(const std::wstring& path)
{
    Clear();
    if (path.empty()) return kErrorInvalidString;
    CreateParentFolders(path);
    m_file->Close();
    // A pak of its own replaces the file; one placed behind other content keeps that content.
    int r = m_file->Open(path.c_str(), m_base == 0 ? kModeCreate : kModeReadWrite, 0);
    if (r != 1)
    {
        ZP_LOG_ERROR(kErrorFileCreate, "CPak::Create");
        return kErrorFileCreate;
    }
    m_writable = true;
    m_header = sPakHeader();
    m_header.Version = kPakVersion;
    m_header.DataEnd = m_base + kDataOffset;
    m_tableEnd = m_base + kTableOffset;
    WriteHeader();
    m_path = path;
    return 1;
}

int CPak::Open(const std::wstring& path, bool writable, bool rebuildDamaged)
{
    Reset();
    if (path.empty()) return kErrorInvalidString;
    m_writable = writable;
    int r = m_file->Open(path.c_str(), writable ? kModeReadWrite : kModeRead, 0);
    if (r != 1)
    {
        if (!writable) return r;
        return Create(path);
    }
    m_path = path;
    const uint64_t fileSize = m_file->GetSize();
    m_base = FindBase();
    const bool header = ReadHeader();
    // An empty file, or a pak created with nothing added yet, has no table: that is not damage.
    m_damage.notAPak = fileSize > 0 && !header;
    if (ReadInfoTable(writable))
    {
        if (m_damage.dropped == 0 || !writable || rebuildDamaged)
        {
            RepairOverlaps(true, nullptr);
            return 1;
        }
    }
    else
    {
        Clear();
        // Records read before the table broke off say nothing more than that it did.
        m_damage.dropped = 0;
        m_leftOut.Clear();
        const bool stored = header && (m_header.DataEnd > m_base + kDataOffset || m_header.RecordCount > 0);
        uint8_t marker[4] = {0, 0, 0, 0};
        const bool written = ReadAt(static_cast<uint64_t>(m_base) + kTableOffset, marker, 4) &&
                             (marker[0] | marker[1] | marker[2] | marker[3]) != 0;
        m_damage.tableUnreadable = stored || written;
        if (!writable) return 1;
        if (!m_damage.Any()) return Create(path); // nothing added yet: the table comes with the first record
    }
    if (!writable) return 1;
    if (!rebuildDamaged)
    {
        LogWarnF(L"damaged pak left as it is : %s", path.c_str());
        ZP_LOG_ERROR(kErrorPakBroken, "CPak::Open");
        m_file->Close();
        Clear();
        return kErrorPakBroken;
    }
    LogWarnF(L"damaged pak table, recreating : %s", path.c_str());
    return Create(path);
}

bool CPak::ReadInfoTable(bool scanGaps)
{
    Clear();
    m_leftOut.Clear();
    m_damage.dropped = 0;
    const uint64_t fileSize = m_file->GetSize();
    const uint64_t tableStart = static_cast<uint64_t>(m_base) + kTableOffset;
    const uint64_t dataStart = static_cast<uint64_t>(m_base) + kDataOffset;
    uint8_t head[12];
    if (!ReadAt(tableStart, head, sizeof(head)) || std::memcmp(head, kFils, 4) != 0) return false;
    const uint32_t count = ReadU32(head + 8);
    // The table must lie between its start and the data area, and inside the file; a count that
    // claims more is damage, not a reason to read (or allocate) more.
    const uint64_t recordsStart = tableStart + sizeof(head);
    const uint64_t limit = (fileSize < dataStart ? fileSize : dataStart);
    if (recordsStart > limit || static_cast<uint64_t>(count) * kRecordWithNameBytes > limit - recordsStart)
        return false;
    std::vector<uint8_t> table(static_cast<size_t>(count) * kRecordWithNameBytes + 4);
    uint64_t readable = limit - recordsStart;
    uint32_t toRead = static_cast<uint32_t>(table.size() < readable ? table.size() : readable);
    if (!SeekTo(recordsStart) || m_file->Read(table.data(), toRead) != toRead) return false;

    Reserve(count);
    uint64_t position = recordsStart;
    auto parse = [&](const uint8_t* bytes) -> bool
    {
        auto* record = new CFileInfo;
        record->ReadRecord(bytes);
        record->ReadName(bytes + kRecordBytes);
        record->base.InfoPos = static_cast<uint32_t>(position);
        record->FillDateTimeIfEmpty();
        bool valid = record->IsValid();
        bool inside = static_cast<uint64_t>(record->base.FilePos) + record->base.size <= fileSize;
        if (!valid || !inside || !Add(record))
        {
            // A record that is not one, or whose data the file no longer holds, is lost data; an
            // equal record indexed twice loses nothing.
            if (!valid || !inside)
            {
                ++m_damage.dropped;
                if (valid) m_leftOut.AddCopy(record);
            }
            delete record;
            return valid;
        }
        if (record->base.deleted == 1) m_free.push_back(record);
        return true;
    };
    for (uint32_t i = 0; i < count; ++i)
    {
        if (CStopper::IsStopRequested())
        {
            Clear();
            return false;
        }
        parse(table.data() + static_cast<size_t>(i) * kRecordWithNameBytes);
        position += kRecordWithNameBytes;
    }
    uint8_t marker[4];
    if (!ReadAt(position, marker, 4))
    {
        Clear();
        return false;
    }
    // A record written just before its count (a run cut between the two writes) follows the last
    // counted one; keep reading records while they are sound, up to the closing marker.
    while (std::memcmp(marker, kFile, 4) != 0)
    {
        uint8_t extra[kRecordWithNameBytes];
        if (position + kRecordWithNameBytes + 4 > limit || !ReadAt(position, extra, sizeof(extra)) ||
            ReadU32(extra + 68) != FILEINFO_SIGN)
        {
            Clear();
            return false;
        }
        parse(extra);
        position += kRecordWithNameBytes;
        if (!ReadAt(position, marker, 4))
        {
            Clear();
            return false;
        }
    }
    m_tableEnd = static_cast<uint32_t>(position);
    if (scanGaps) ScanGaps(m_base, m_tableEnd);
    return true;
}

bool CPak::WriteRecord(CFileInfo* record)
{
    if (!record || !IsOpen()) return false;
    const uint32_t tableStart = m_base + kTableOffset;
    const uint32_t firstRecord = tableStart + 12;
    if (record->base.InfoPos < firstRecord)
        record->base.InfoPos = firstRecord > m_tableEnd ? firstRecord : m_tableEnd;
    // The record goes first and the count last, so a run cut in between leaves a table that
    // still reads (see ReadInfoTable).
    uint8_t bytes[kRecordWithNameBytes];
    record->WriteRecord(bytes);
    record->WriteName(bytes + kRecordBytes);
    if (!SeekTo(record->base.InfoPos) || m_file->Write(bytes, sizeof(bytes)) != sizeof(bytes)) return false;
    uint32_t end = record->base.InfoPos + static_cast<uint32_t>(kRecordWithNameBytes);
    if (end > m_tableEnd)
    {
        m_tableEnd = end;
        if (m_file->Write(kFile, 4) != 4) return false;
    }
    return SeekTo(tableStart) && m_file->Write(kFils, 4) == 4 && m_file->Write(kFilz, 4) == 4 &&
           WriteU32(static_cast<uint32_t>(Count()));
}

bool CPak::WriteInfoTable()
{
    if (!IsOpen()) return false;
    const uint32_t tableStart = m_base + kTableOffset;
    std::vector<uint8_t> table;
    table.reserve(12 + Count() * kRecordWithNameBytes + 4);
    table.insert(table.end(), kFils, kFils + 4);
    table.insert(table.end(), kFilz, kFilz + 4);
    uint8_t word[4];
    ZP::WriteU32(word, static_cast<uint32_t>(Count()));
    table.insert(table.end(), word, word + 4);
    uint32_t position = tableStart + 12;
    uint8_t bytes[kRecordWithNameBytes];
    for (CFileInfo* r : m_all)
    {
        if (!r) continue;
        r->base.InfoPos = position;
        r->WriteRecord(bytes);
        r->WriteName(bytes + kRecordBytes);
        table.insert(table.end(), bytes, bytes + sizeof(bytes));
        position += static_cast<uint32_t>(kRecordWithNameBytes);
    }
    table.insert(table.end(), kFile, kFile + 4);
    m_tableEnd = position;
    return SeekTo(tableStart) &&
           m_file->Write(table.data(), static_cast<uint32_t>(table.size())) == table.size();
}

void CPak::MarkAndCollect(bool addToFree, CFileInfo* record, vFileInfo* output)
{
    record->base.deleted = 1;
    if (!m_writable)
    {
        ++m_damage.overlapping;
        m_leftOut.AddCopy(record);
    }
    else if (addToFree)
        m_free.push_back(record);
    // The output gets copies: compaction deletes the free records themselves.
    if (output)
    {
        auto* copy = new CFileInfo;
        copy->CopyFrom(*record);
        output->Add(copy);
    }
}

bool CPak::RepairOverlaps(bool addToFree, vFileInfo* output)
{
    m_all.Sort(kSortByPosition);
    if (output) output->Clear();
    uint64_t furthest = 0;
    CFileInfo* owner = nullptr;
    bool any = false;
    std::vector<CFileInfo*> ordered = m_all.Raw();
    for (CFileInfo* r : ordered)
    {
        if (!r || r->base.deleted == 1 || r->base.Loc != kLocPak) continue;
        uint64_t end = static_cast<uint64_t>(r->base.FilePos) + r->base.size;
        if (owner && r->base.FilePos < furthest)
        {
            any = true;
            MarkAndCollect(addToFree, r, output);
            if (owner->base.deleted != 1) MarkAndCollect(addToFree, owner, output);
        }
        if (end > furthest || !owner)
        {
            furthest = end;
            owner = r;
        }
    }
    if (!any) return true;
    if (!m_writable)
    {
        // Inspecting never writes: the overlapping records are only read around.
        LogWarnF(L"overlapping records left out : %s", m_path.c_str());
        return true;
    }
    LogWarnF(L"overlapping records dropped : %s", m_path.c_str());
    if (Reopen(true)) Compact();
    return true;
}

bool CPak::Reopen(bool rebuild)
{
    uint32_t tableEnd = m_tableEnd;
    uint32_t dataEnd = m_header.DataEnd;
    uint32_t position = m_file->GetPosition();
    m_file->Close();
    if (m_file->Open(m_path.c_str(), rebuild ? kModeReadWrite : kModeRead, 0) != 1) return false;
    m_writable = rebuild;
    if (rebuild)
    {
        WriteInfoTable();
        WriteHeader();
        ScanGaps(m_base, m_tableEnd);
    }
    m_tableEnd = tableEnd > m_tableEnd ? tableEnd : m_tableEnd;
    m_header.DataEnd = dataEnd;
    m_file->Seek(position);
    return true;
}

bool CPak::Compact()
{
    if (m_free.empty() || !IsOpen()) return true;
    DropFreeRecords(true);
    m_all.Sort(kSortByPosition);
    uint64_t writePos = static_cast<uint64_t>(m_base) + kDataOffset;
    std::vector<char> chunk(kMoveChunk);
    for (CFileInfo* r : m_all)
    {
        if (CStopper::IsStopRequested()) return false;
        if (!r || r->base.deleted == 1 || r->base.Loc != kLocPak) continue;
        if (writePos < r->base.FilePos)
        {
            uint32_t from = r->base.FilePos;
            uint32_t to = static_cast<uint32_t>(writePos);
            for (uint32_t done = 0; done < r->base.size;)
            {
                uint32_t n = r->base.size - done < kMoveChunk ? r->base.size - done : kMoveChunk;
                if (!ReadAt(from + done, chunk.data(), n) || !SeekTo(to + done) ||
                    m_file->Write(chunk.data(), n) != n)
                    return false;
                done += n;
            }
            r->base.FilePos = to;
        }
        uint64_t end = static_cast<uint64_t>(r->base.FilePos) + r->base.size;
        if (end > writePos) writePos = end;
    }
    m_file->Truncate(static_cast<uint32_t>(writePos));
    m_header.DataEnd = static_cast<uint32_t>(writePos);
    m_header.FreeCount = 0;
    WriteInfoTable();
    WriteHeader();
    return true;
}

void CPak::Close()
{
    if (IsOpen())
    {
        if (m_writable)
        {
            if (m_header.Version < kPakVersion) WriteInfoTable();
            WriteHeader();
        }
        m_file->Close();
    }
    Clear();
}

} // namespace ZP
