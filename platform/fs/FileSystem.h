#pragma once
// Files, folders, times and disk space. Every path argument is wide text and may use "\\" or "/"
// as separators; the layer turns it into a native UTF-8 path.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::fs
{

// Attribute bits as the launcher stores and compares them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;

struct sTimeSpec
{
    int64_t seconds = 0; // since 1970-01-01 UTC
    uint32_t nanoseconds = 0;
};

struct sFileStat
{
    uint64_t size = 0;
    sTimeSpec lastWrite;
    sTimeSpec lastAccess;
    uint32_t attributes = 0;
    bool isDirectory = false;
    bool isSymlink = false; // set by ListDirectory: the entry itself is a symbolic link
};

struct sDirEntry
{
    std::wstring name;
    sFileStat stat;
};

std::string NativePath(std::wstring_view path);
std::wstring FromNativePath(std::string_view path);

bool Stat(std::wstring_view path, sFileStat& out);
// True when the path itself (not what it points to) is a symbolic link.
bool IsSymlink(std::wstring_view path);
bool Exists(std::wstring_view path);
bool IsDirectory(std::wstring_view path);
bool IsRegularFile(std::wstring_view path);

bool CreateOneDirectory(std::wstring_view path);
bool RemoveEmptyDirectory(std::wstring_view path);
// Makes a new folder below parent whose name starts with prefix and ends in random characters,
// readable only by this user; out receives its path. Never reuses an existing folder or link.
bool CreatePrivateDirectory(std::wstring_view parent, std::wstring_view prefix, std::wstring& out);
// Removes path with everything below it. A symbolic link is removed as a link, wherever it is
// (also path itself): its target is never entered. True when nothing is left at path.
bool RemoveTree(std::wstring_view path);
bool RemoveFile(std::wstring_view path);
bool RenameFile(std::wstring_view from, std::wstring_view to);
bool CopyOneFile(std::wstring_view from, std::wstring_view to, bool failIfExists);
bool SetReadOnly(std::wstring_view path, bool readOnly);
bool SetLastWriteTime(std::wstring_view path, const sTimeSpec& time);

// Entries of one folder, without "." and "..". False when the folder cannot be read.
bool ListDirectory(std::wstring_view path, std::vector<sDirEntry>& out);

// Bytes available to this user on the file system holding path (or its nearest existing parent).
bool FreeBytesAvailable(std::wstring_view path, uint64_t& bytes);

std::wstring CurrentDirectory();
bool SetCurrentDirectory(std::wstring_view path);
std::wstring ExecutablePath();
std::wstring TempDirectory();
std::wstring HomeDirectory();
std::wstring DesktopDirectory();
std::wstring ProgramFilesDirectory();

enum class eOpenMode
{
    Read,         // existing file, read only
    ReadWrite,    // existing file, read and write
    CreateAlways, // create or truncate, read and write
    OpenAlways,   // create when missing, read and write, keep content
    Append,       // create when missing, writes go to the end
    CreateNew,    // create, failing when the file exists, read and write
    WriteOnly,    // create or truncate, write only
};

enum class eSeekOrigin
{
    Begin,
    Current,
    End
};

// A plain file handle with 64-bit positions. Not copyable; closes on destruction.
class File
{
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    bool Open(std::wstring_view path, eOpenMode mode);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // Returns bytes transferred, or -1 on error. Read returns 0 at end of file.
    int64_t Read(void* buffer, size_t size);
    int64_t Write(const void* buffer, size_t size);
    bool WriteAll(const void* buffer, size_t size);
    bool Seek(int64_t offset, eSeekOrigin origin, int64_t* newPosition = nullptr);
    int64_t Tell() const;
    int64_t Size() const;
    bool Truncate(int64_t size);
    bool Flush();
    bool GetStat(sFileStat& out) const;
    bool SetLastWriteTime(const sTimeSpec& time);

private:
    int m_fd = -1;
};

} // namespace platform::fs
