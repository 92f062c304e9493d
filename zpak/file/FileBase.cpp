#include "zpak/file/FileBase.h"

#include "zpak/common/CommonFunction.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"

#include <new>

namespace ZP
{

char* AllocBuffer(size_t size)
{
    return new (std::nothrow) char[size ? size : 1];
}
void FreeBuffer(void* buffer)
{
    delete[] static_cast<char*>(buffer);
}

// The lock lives until exit rather than dying with the last file object: a file object destroyed
// during static teardown must still find it.
CCriticalSection& CFileBase::SharedLock()
{
    static CCriticalSection* lock = new CCriticalSection;
    return *lock;
}

CFileBase::CFileBase()
{
    SharedLock();
}

// Each kind closes its own handle in its destructor: the base cannot reach the override here.
CFileBase::~CFileBase() = default;

bool CFileBase::HasFreeSpace(const wchar_t* path, uint32_t sizeLow, uint32_t sizeHigh)
{
    CCriticalSectionMgr guard(&SharedLock());
    uint64_t size = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
    return ZP::HasFreeSpace(path ? std::wstring_view(path) : std::wstring_view(), size);
}

void CFileBase::ResetState()
{
    CCriticalSectionMgr guard(&SharedLock());
    m_handle = nullptr;
    m_position = 0;
    m_opened = false;
    m_kind = 0;
}

void CFileBase::ReleaseHandle() {}

void CFileBase::Close()
{
    CCriticalSectionMgr guard(&SharedLock());
    ReleaseHandle();
    ResetState();
}

int CFileBase::Reopen(uint32_t position)
{
    CCriticalSectionMgr guard(&SharedLock());
    std::wstring name = m_name;
    int mode = m_mode == kModeCreate ? kModeReadWrite : m_mode;
    int value = m_value;
    Close();
    int r = Open(name.c_str(), mode, value);
    if (r != 1) return r;
    Seek(position);
    return 1;
}

uint32_t CFileBase::ReadUInt32()
{
    CCriticalSectionMgr guard(&SharedLock());
    unsigned char b[4];
    if (Read(b, 4) != 4) return 0;
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint32_t CFileBase::WriteUInt32(uint32_t value)
{
    CCriticalSectionMgr guard(&SharedLock());
    unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                          static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return Write(b, 4);
}

uint32_t CFileBase::SeekFrom(int64_t offset, int origin)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!m_opened) return 0;
    int64_t target;
    switch (origin)
    {
    case 0:
        target = offset;
        break;
    case 1:
        target = static_cast<int64_t>(m_position) + offset;
        break;
    case 2:
        target = static_cast<int64_t>(GetSize()) - offset;
        break;
    default:
        return 0;
    }
    if (target < 0 || target > 0xFFFFFFFFLL) return 0;
    return Seek(static_cast<uint32_t>(target));
}

bool CFileBase::Truncate(uint32_t position)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!m_opened) return false;
    Seek(position);
    return m_position == position && SetEndOfFile();
}

void CFileBase::SetHandle(int kind, void* handle)
{
    CCriticalSectionMgr guard(&SharedLock());
    Close();
    m_kind = kind;
    m_handle = handle;
    m_position = 0;
    m_opened = true;
}

uint32_t CFileBase::FindUInt32(uint32_t stride, uint32_t value)
{
    CCriticalSectionMgr guard(&SharedLock());
    uint32_t size = GetSize();
    if (size == 0 || stride == 0) return 0;
    uint32_t saved = m_position;
    uint64_t pos = 0;
    uint64_t found = 0;
    bool hit = false;
    for (; pos <= size; pos += stride)
    {
        Seek(static_cast<uint32_t>(pos));
        if (ReadUInt32() == value)
        {
            found = pos;
            hit = true;
            break;
        }
    }
    Seek(saved);
    if (!hit) found = pos + stride;
    return found > 0xFFFFFFFFULL ? 0xFFFFFFFFu : static_cast<uint32_t>(found);
}

bool CFileBase::IsAtEnd()
{
    CCriticalSectionMgr guard(&SharedLock());
    return m_position == GetSize();
}

uint32_t CFileBase::GetPosition()
{
    CCriticalSectionMgr guard(&SharedLock());
    return m_position;
}

bool CFileBase::IsOpened()
{
    CCriticalSectionMgr guard(&SharedLock());
    return m_opened;
}

void* CFileBase::GetHandle()
{
    CCriticalSectionMgr guard(&SharedLock());
    return m_handle;
}

int CFileBase::GetKind()
{
    CCriticalSectionMgr guard(&SharedLock());
    return m_kind;
}

IFileBase* CFileFactory::Create()
{
    return new (std::nothrow) CFile;
}
IFileBase* CFileHttpFactory::Create()
{
    return new (std::nothrow) CFileHttp;
}

CFileFactory* GetFileFactory()
{
    static CFileFactory factory;
    return &factory;
}

CFileHttpFactory* GetFileHttpFactory()
{
    static CFileHttpFactory factory;
    return &factory;
}

} // namespace ZP
