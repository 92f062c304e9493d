#pragma once
// A local file behind the file interface.
#include "zpak/common/CommonFunction.h"
#include "zpak/file/FileBase.h"

#include <vector>

#include "platform/fs/FileSystem.h"

namespace ZP
{

// CreateRaw's access bits and dispositions, as the platform's file creation takes them.
constexpr uint32_t kAccessRead = 0x80000000u;
constexpr uint32_t kAccessWrite = 0x40000000u;
constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;
constexpr uint32_t kTruncateExisting = 5;

class CFile : public CFileBase
{
public:
    CFile() = default;
    ~CFile() override;

    void Close() override;
    uint32_t GetSize() override;
    // 1; 14005 for an empty path; 14014 when the file cannot be opened or created; 14066 for a
    // file of 4 GiB or more; 0 for an unknown mode.
    int Open(const wchar_t* path, int mode, int value) override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    uint32_t Seek(uint32_t position) override;

    // Reads the whole file into the object's buffer. With allocate, *outBuffer receives a copy the
    // caller releases with FreeBuffer; otherwise it points into the object's buffer.
    int ReadAll(char** outBuffer, bool allocate, uint32_t* outSize);
    int OpenUtf8(const char* path, int mode, int value);

    bool GetLastWriteSystemTime(sSystemTime& utc);
    bool GetLastWriteFileTime(FileTime& ft);
    bool GetLastWriteTime(time_t& t, bool throughLocal);
    bool SetLastWriteSystemTime(const sSystemTime& utc);
    bool SetLastWriteFileTime(FileTime ft);
    bool SetLastWriteTime(time_t t);

    void FreeReadAllBuffer();
    void Rewind() { Seek(0); }
    // Moves count bytes from one offset to another inside the file (overlap-safe).
    bool CopyWithin(uint32_t from, uint32_t to, uint32_t count);
    const char* GetReadAllBuffer() const { return m_all.empty() ? nullptr : m_all.data(); }
    uint32_t GetReadAllSize() const { return static_cast<uint32_t>(m_all.size()); }
    int CreateRaw(const wchar_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                  uint32_t attributes);

    static constexpr uint32_t kCopyBlock = 100000;

protected:
    bool SetEndOfFile() override;
    void ReleaseHandle() override;

private:
    platform::fs::File* Handle() const;
    // Opens the path the given way and makes it this object's file.
    int Adopt(platform::fs::eOpenMode how, const wchar_t* path, int mode, int value);

    std::vector<char> m_all;
};

} // namespace ZP
