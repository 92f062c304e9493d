#pragma once
// One interface over a local file and an HTTP resource. Sizes and positions are 32-bit: a file of
// 4 GiB or more is refused with 14066 when it is opened. Every operation of every file object in
// the process holds one shared lock for its whole duration (network reads included), so two
// downloads on different threads alternate read by read.
#include "zpak/common/CriticalSection.h"
#include "zpak/message/ResultCodes.h"

#include <cstdint>
#include <string>

namespace ZP
{

// Open modes.
constexpr int kModeRead = 0;      // existing file, read only
constexpr int kModeReadWrite = 1; // existing file, read and write (missing folders are created)
constexpr int kModeCreate = 2;    // always created empty, read and write (missing folders are created)
constexpr int kModeNone = 3;

// Kinds of handle.
constexpr int kKindLocal = 0;
constexpr int kKindHttp = 2;

// Memory handed across the library boundary (downloads, whole-file reads) is released with this.
char* AllocBuffer(size_t size);
void FreeBuffer(void* buffer);

class IFileBase
{
public:
    virtual ~IFileBase() = default;
    virtual bool HasFreeSpace(const wchar_t* path, uint32_t sizeLow, uint32_t sizeHigh) = 0;
    virtual void ResetState() = 0;
    virtual void Close() = 0;
    virtual uint32_t GetSize() = 0;
    virtual int Open(const wchar_t* name, int mode, int value) = 0;
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    virtual int Reopen(uint32_t position) = 0;
    virtual uint32_t ReadUInt32() = 0;
    virtual uint32_t WriteUInt32(uint32_t value) = 0;
    virtual uint32_t Seek(uint32_t position) = 0;
    virtual uint32_t SeekFrom(int64_t offset, int origin) = 0;
    virtual bool Truncate(uint32_t position) = 0;
    virtual void SetHandle(int kind, void* handle) = 0;
    virtual uint32_t FindUInt32(uint32_t stride, uint32_t value) = 0;
    virtual bool IsAtEnd() = 0;
    virtual uint32_t GetPosition() = 0;
    virtual bool IsOpened() = 0;
    virtual void* GetHandle() = 0;
    virtual int GetKind() = 0;
};

class CFileBase : public IFileBase
{
public:
    CFileBase();
    ~CFileBase() override;

    bool HasFreeSpace(const wchar_t* path, uint32_t sizeLow, uint32_t sizeHigh) override;
    void ResetState() override;
    void Close() override;
    int Reopen(uint32_t position) override;
    uint32_t ReadUInt32() override;
    uint32_t WriteUInt32(uint32_t value) override;
    uint32_t SeekFrom(int64_t offset, int origin) override;
    bool Truncate(uint32_t position) override;
    // Takes ownership of the handle (a platform object of the kind given).
    void SetHandle(int kind, void* handle) override;
    uint32_t FindUInt32(uint32_t stride, uint32_t value) override;
    bool IsAtEnd() override;
    uint32_t GetPosition() override;
    bool IsOpened() override;
    void* GetHandle() override;
    int GetKind() override;

    const std::wstring& GetName() const { return m_name; }
    int GetMode() const { return m_mode; }
    int GetValue() const { return m_value; }

    // The process-wide lock every file operation holds.
    static CCriticalSection& SharedLock();

protected:
    // Ends the file at the current position (the kind's own truncation).
    virtual bool SetEndOfFile() { return false; }
    // Releases the handle stored by SetHandle.
    virtual void ReleaseHandle();

    void* m_handle = nullptr;
    uint32_t m_position = 0;
    bool m_opened = false;
    int m_kind = 0;
    int m_mode = kModeNone;
    int m_value = 0;
    std::wstring m_name;
};

class CFileBaseFactory
{
public:
    virtual IFileBase* Create() { return nullptr; }
    virtual ~CFileBaseFactory() = default;
};

class CFileFactory : public CFileBaseFactory
{
public:
    IFileBase* Create() override;
};

class CFileHttpFactory : public CFileBaseFactory
{
public:
    IFileBase* Create() override;
};

CFileFactory* GetFileFactory();
CFileHttpFactory* GetFileHttpFactory();

} // namespace ZP
