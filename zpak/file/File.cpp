#include "zpak/file/File.h"

#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "platform/time/Calendar.h"

#include <cstring>
#include <new>

namespace ZP
{
namespace fs = platform::fs;

namespace
{
constexpr uint64_t kTicksPerSecond = 10000000ULL;

FileTime ToFileTime(const fs::sTimeSpec& t)
{
    return static_cast<uint64_t>(t.seconds + static_cast<int64_t>(kFileTimeEpochOffsetSeconds)) *
               kTicksPerSecond +
           t.nanoseconds / 100;
}

fs::sTimeSpec FromFileTime(FileTime ft)
{
    fs::sTimeSpec t;
    t.seconds =
        static_cast<int64_t>(ft / kTicksPerSecond) - static_cast<int64_t>(kFileTimeEpochOffsetSeconds);
    t.nanoseconds = static_cast<uint32_t>((ft % kTicksPerSecond) * 100);
    return t;
}
} // namespace

CFile::~CFile()
{
    Close();
}

fs::File* CFile::Handle() const
{
    return static_cast<fs::File*>(m_handle);
}

void CFile::ReleaseHandle()
{
    delete Handle();
    m_handle = nullptr;
}

void CFile::Close()
{
    CCriticalSectionMgr guard(&SharedLock());
    ReleaseHandle();
    ResetState();
}

int CFile::Adopt(fs::eOpenMode how, const wchar_t* path, int mode, int value)
{
    Close();
    auto* file = new (std::nothrow) fs::File;
    if (!file || !file->Open(path, how))
    {
        delete file;
        return kErrorFileOpen;
    }
    if (file->Size() > static_cast<int64_t>(0xFFFFFFFFLL))
    {
        delete file;
        return kErrorFileSize;
    }
    SetHandle(kKindLocal, file);
    m_mode = mode;
    m_value = value;
    m_name = path;
    return 1;
}

int CFile::Open(const wchar_t* path, int mode, int value)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!path || !*path) return kErrorInvalidFileName;
    fs::eOpenMode how;
    switch (mode)
    {
    case kModeRead:
        how = fs::eOpenMode::Read;
        break;
    case kModeReadWrite:
        CreateParentFolders(path);
        how = fs::eOpenMode::ReadWrite;
        break;
    case kModeCreate:
        CreateParentFolders(path);
        how = fs::eOpenMode::CreateAlways; // readable too: transfers verify what they wrote
        break;
    default:
        return 0;
    }
    return Adopt(how, path, mode, value);
}

int CFile::OpenUtf8(const char* path, int mode, int value)
{
    if (!path || !*path) return kErrorInvalidFileName;
    std::wstring wide = platform::text::Utf8ToWide(path);
    return Open(wide.c_str(), mode, value);
}

int CFile::CreateRaw(const wchar_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                     uint32_t attributes)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!path || !*path) return kErrorInvalidFileName;
    bool write = (access & kAccessWrite) != 0;
    fs::eOpenMode how;
    switch (disposition)
    {
    case kCreateNew:
        how = fs::eOpenMode::CreateNew;
        break;
    case kCreateAlways:
        how = fs::eOpenMode::CreateAlways;
        break;
    case kOpenExisting:
        how = write ? fs::eOpenMode::ReadWrite : fs::eOpenMode::Read;
        break;
    case kOpenAlways:
        how = fs::eOpenMode::OpenAlways;
        break;
    case kTruncateExisting:
        if (!fs::IsRegularFile(path)) return kErrorFileOpen;
        how = fs::eOpenMode::CreateAlways;
        break;
    default:
        return 0;
    }
    int r = Adopt(how, path, write ? kModeReadWrite : kModeRead, 0);
    if (r == 1 && (attributes & fs::kAttrReadOnly)) fs::SetReadOnly(path, true);
    return r;
}

uint32_t CFile::GetSize()
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Handle()) return 0;
    int64_t size = Handle()->Size();
    return size < 0 ? 0 : static_cast<uint32_t>(size > 0xFFFFFFFFLL ? 0xFFFFFFFFLL : size);
}

uint32_t CFile::Read(void* buffer, uint32_t count)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Handle() || !buffer || count == 0) return 0;
    char* p = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (done < count)
    {
        int64_t n = Handle()->Read(p + done, count - done);
        if (n <= 0) break;
        done += static_cast<uint32_t>(n);
    }
    m_position += done;
    return done;
}

uint32_t CFile::Write(const void* buffer, uint32_t count)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Handle() || !buffer || count == 0) return 0;
    // The position is 32-bit: refuse to grow a file past 4 GiB rather than wrap.
    if (static_cast<uint64_t>(m_position) + count > 0xFFFFFFFFULL) return 0;
    const char* p = static_cast<const char*>(buffer);
    uint32_t done = 0;
    while (done < count)
    {
        int64_t n = Handle()->Write(p + done, count - done);
        if (n <= 0) break;
        done += static_cast<uint32_t>(n);
    }
    m_position += done;
    return done;
}

uint32_t CFile::Seek(uint32_t position)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Handle()) return 0;
    if (Handle()->Seek(position, fs::eSeekOrigin::Begin)) m_position = position;
    return m_position;
}

bool CFile::SetEndOfFile()
{
    return Handle() && Handle()->Truncate(m_position);
}

int CFile::ReadAll(char** outBuffer, bool allocate, uint32_t* outSize)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!outBuffer || !outSize) return kErrorInvalidPointer;
    if (!Handle()) return kErrorNotOpen;
    uint32_t size = GetSize();
    m_all.assign(size, 0);
    Seek(0);
    if (size > 0 && Read(m_all.data(), size) != size)
    {
        m_all.clear();
        return kErrorFileRead;
    }
    *outSize = size;
    if (allocate)
    {
        char* copy = AllocBuffer(size);
        if (!copy) return kErrorMemory;
        if (size) std::memcpy(copy, m_all.data(), size);
        *outBuffer = copy;
    }
    else
        *outBuffer = m_all.empty() ? nullptr : m_all.data();
    return 1;
}

void CFile::FreeReadAllBuffer()
{
    m_all.clear();
    m_all.shrink_to_fit();
}

bool CFile::CopyWithin(uint32_t from, uint32_t to, uint32_t count)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Handle()) return false;
    if (from == to || count == 0) return true;
    std::vector<char> block(count < kCopyBlock ? count : kCopyBlock);
    // Moving towards the end copies from the tail backwards so overlapping data is not overwritten
    // before it is read.
    bool backwards = to > from;
    uint32_t done = 0;
    while (done < count)
    {
        uint32_t n = count - done < kCopyBlock ? count - done : kCopyBlock;
        uint32_t offset = backwards ? count - done - n : done;
        if (Seek(from + offset) != from + offset || Read(block.data(), n) != n) return false;
        if (Seek(to + offset) != to + offset || Write(block.data(), n) != n) return false;
        done += n;
    }
    return true;
}

bool CFile::GetLastWriteFileTime(FileTime& ft)
{
    CCriticalSectionMgr guard(&SharedLock());
    fs::sFileStat st;
    if (!Handle() || !Handle()->GetStat(st)) return false;
    ft = ToFileTime(st.lastWrite);
    return true;
}

bool CFile::GetLastWriteSystemTime(sSystemTime& utc)
{
    FileTime ft;
    if (!GetLastWriteFileTime(ft)) return false;
    return UtcTime(static_cast<time_t>(FromFileTime(ft).seconds),
                   static_cast<uint16_t>((ft % kTicksPerSecond) / 10000), utc);
}

bool CFile::GetLastWriteTime(time_t& t, bool throughLocal)
{
    FileTime ft;
    if (!GetLastWriteFileTime(ft)) return false;
    if (!throughLocal)
    {
        t = static_cast<time_t>(FromFileTime(ft).seconds);
        return true;
    }
    return FileTimeToTime(ft, true, t);
}

bool CFile::SetLastWriteFileTime(FileTime ft)
{
    CCriticalSectionMgr guard(&SharedLock());
    return Handle() && Handle()->SetLastWriteTime(FromFileTime(ft));
}

bool CFile::SetLastWriteSystemTime(const sSystemTime& utc)
{
    platform::time::sCalendar fields;
    fields.year = utc.year;
    fields.month = utc.month;
    fields.day = utc.day;
    fields.hour = utc.hour;
    fields.minute = utc.minute;
    fields.second = utc.second;
    time_t seconds = 0;
    if (utc.year < 1601 || !platform::time::UtcCalendarToTime(fields, seconds)) return false;
    return SetLastWriteFileTime(TimeToFileTime(seconds) + static_cast<uint64_t>(utc.milliseconds) * 10000);
}

bool CFile::SetLastWriteTime(time_t t)
{
    return SetLastWriteFileTime(TimeToFileTime(t));
}

} // namespace ZP
