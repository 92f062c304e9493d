#pragma once
// The shared utility layer of the pak library and the launcher: text, paths ("/" separators),
// folders, files, times, URL escaping and disk space. One process-wide object with virtual
// operations (so a test or a port can replace a family), reached through GetCommonFunction();
// the free functions below forward to it and are what the rest of the code calls.
#include "zpak/message/ResultCodes.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace ZP
{

// Calendar record of the platform (month 1-12, day of week 0 = Sunday).
struct sSystemTime
{
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// 100-ns intervals since 1601-01-01 (UTC unless said otherwise).
using FileTime = uint64_t;
constexpr uint64_t kFileTimeEpochOffsetSeconds = 11644473600ULL;

class ZP_CommonFunction
{
public:
    virtual ~ZP_CommonFunction() = default;

    // text conversion
    virtual std::string WideToMultiByte(std::wstring_view text, unsigned codePage);
    virtual std::wstring MultiByteToWide(std::string_view bytes, unsigned codePage);
    // UTF-16 to UTF-8 unit by unit (a surrogate pair gives two three-byte sequences).
    virtual std::string EncodeUtf8(std::wstring_view text);

    // compare, upper-case
    virtual int CompareNoCase(std::wstring_view a, std::wstring_view b);
    virtual std::wstring MakeUpper(std::wstring_view text);

    // path parts: drive ("" here), folder with trailing separator, name, extension with its dot
    virtual void SplitPath(std::wstring_view path, std::wstring* drive, std::wstring* folder,
                           std::wstring* name, std::wstring* extension);
    virtual std::wstring GetFileNameWithExt(std::wstring_view path);
    virtual std::wstring GetFileTitle(std::wstring_view path);
    virtual std::wstring GetExtension(std::wstring_view path);
    virtual std::wstring GetFolderPart(std::wstring_view path);
    virtual std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);
    virtual std::wstring DefaultFolder(std::wstring_view folder);

    // separators
    virtual std::wstring RemoveTrailingSeparator(std::wstring_view path);
    virtual std::wstring RemoveLeadingSeparator(std::wstring_view path, bool alsoTrailing);
    virtual std::wstring BackslashToSlash(std::wstring_view path, bool* foundBackslash);
    virtual std::wstring RemovePrefixFolder(std::wstring_view path, std::wstring_view prefix);

    // folder listing: full paths ("folder/name"), "." and ".." skipped
    virtual bool ListFolder(std::wstring_view folder, bool recursive, std::vector<std::wstring>& files,
                            std::vector<std::wstring>* folders);

    // numbers and versions
    virtual std::wstring NumberText(int64_t value);
    virtual std::wstring NumberText(uint64_t value);
    virtual std::wstring VersionToText(uint32_t version);
    virtual uint32_t TextToVersion(std::wstring_view text);

    // URL escaping: 1, 14002 for an empty URL, or the canonicaliser's error
    virtual int EscapeUrl(std::wstring_view url, std::wstring& out);

    // disk space and sizes
    virtual bool GetFreeSpace(std::wstring_view path, uint64_t& bytes);
    virtual bool HasFreeSpace(std::wstring_view path, uint64_t needed);
    virtual std::wstring ByteSizeText(uint64_t bytes);

    // time
    virtual FileTime TimeToFileTime(time_t t, bool toLocal);
    // 0 on failure (years before 1900 or an unrepresentable time)
    virtual bool FileTimeToTime(FileTime ft, bool fromLocal, time_t& out);
    virtual sSystemTime LocalTime(time_t t);
    virtual sSystemTime LocalNow();
    // The UTC calendar of t; false for a time the calendar cannot hold.
    virtual bool UtcTime(time_t t, uint16_t milliseconds, sSystemTime& out);
    virtual bool SystemTimeToTime(const sSystemTime& local, time_t& out);
    virtual std::wstring TimeStamp(const sSystemTime& t);      // "%04d%02d%02d_%02d%02d%02d"
    virtual std::wstring ShortTimeStamp(const sSystemTime& t); // "%02d%02d%02d_%02d%02d%02d"

    // existence, rename, delete
    virtual bool FileExists(std::wstring_view path);
    virtual bool RenameFile(std::wstring_view newName, std::wstring_view oldName);
    virtual bool DeleteFile(std::wstring_view path);
    virtual bool FolderExists(std::wstring_view path);
    virtual bool ParentFolderExists(std::wstring_view filePath);

    // folders
    virtual bool CreateFolderTree(std::wstring_view path);
    virtual bool CreateParentFolders(std::wstring_view filePath);
    virtual bool RemoveFolderTree(std::wstring_view path, bool deleteFiles);

    // attributes, copy (0xFFFFFFFF when the file is missing)
    virtual uint32_t GetAttributes(std::wstring_view path);
    virtual bool SetAttributes(std::wstring_view path, uint32_t attributes);
    virtual bool CopyFile(std::wstring_view from, std::wstring_view to, bool failIfExists);

    // whole-file helpers
    virtual bool ReadWholeFile(std::wstring_view path, std::string& out);
    virtual bool WriteWholeFile(std::wstring_view path, std::string_view data);
};

ZP_CommonFunction* GetCommonFunction();
// Replaces the process-wide object (tests); returns the previous one. Null restores the built-in.
ZP_CommonFunction* SetCommonFunction(ZP_CommonFunction* replacement);

constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// Free forms.
inline std::string WideToMultiByte(std::wstring_view t, unsigned cp)
{
    return GetCommonFunction()->WideToMultiByte(t, cp);
}
inline std::wstring MultiByteToWide(std::string_view b, unsigned cp)
{
    return GetCommonFunction()->MultiByteToWide(b, cp);
}
inline std::string EncodeUtf8(std::wstring_view t)
{
    return GetCommonFunction()->EncodeUtf8(t);
}
inline int CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    return GetCommonFunction()->CompareNoCase(a, b);
}
inline std::wstring MakeUpper(std::wstring_view t)
{
    return GetCommonFunction()->MakeUpper(t);
}
inline void SplitPath(std::wstring_view p, std::wstring* d, std::wstring* f, std::wstring* n, std::wstring* e)
{
    GetCommonFunction()->SplitPath(p, d, f, n, e);
}
inline std::wstring GetFileNameWithExt(std::wstring_view p)
{
    return GetCommonFunction()->GetFileNameWithExt(p);
}
inline std::wstring GetFileTitle(std::wstring_view p)
{
    return GetCommonFunction()->GetFileTitle(p);
}
inline std::wstring GetExtension(std::wstring_view p)
{
    return GetCommonFunction()->GetExtension(p);
}
inline std::wstring GetFolderPart(std::wstring_view p)
{
    return GetCommonFunction()->GetFolderPart(p);
}
inline std::wstring JoinPath(std::wstring_view f, std::wstring_view n)
{
    return GetCommonFunction()->JoinPath(f, n);
}
inline std::wstring DefaultFolder(std::wstring_view f)
{
    return GetCommonFunction()->DefaultFolder(f);
}
inline std::wstring RemoveTrailingSeparator(std::wstring_view p)
{
    return GetCommonFunction()->RemoveTrailingSeparator(p);
}
inline std::wstring RemoveLeadingSeparator(std::wstring_view p, bool alsoTrailing = false)
{
    return GetCommonFunction()->RemoveLeadingSeparator(p, alsoTrailing);
}
inline std::wstring BackslashToSlash(std::wstring_view p, bool* found = nullptr)
{
    return GetCommonFunction()->BackslashToSlash(p, found);
}
inline std::wstring RemovePrefixFolder(std::wstring_view p, std::wstring_view prefix)
{
    return GetCommonFunction()->RemovePrefixFolder(p, prefix);
}
inline bool ListFolder(std::wstring_view f, bool recursive, std::vector<std::wstring>& files,
                       std::vector<std::wstring>* folders = nullptr)
{
    return GetCommonFunction()->ListFolder(f, recursive, files, folders);
}
inline std::wstring NumberText(int64_t v)
{
    return GetCommonFunction()->NumberText(v);
}
inline std::wstring NumberTextUnsigned(uint64_t v)
{
    return GetCommonFunction()->NumberText(v);
}
inline std::wstring VersionToText(uint32_t v)
{
    return GetCommonFunction()->VersionToText(v);
}
inline uint32_t TextToVersion(std::wstring_view t)
{
    return GetCommonFunction()->TextToVersion(t);
}
inline int EscapeUrl(std::wstring_view url, std::wstring& out)
{
    return GetCommonFunction()->EscapeUrl(url, out);
}
inline bool GetFreeSpace(std::wstring_view p, uint64_t& b)
{
    return GetCommonFunction()->GetFreeSpace(p, b);
}
inline bool HasFreeSpace(std::wstring_view p, uint64_t n)
{
    return GetCommonFunction()->HasFreeSpace(p, n);
}
inline std::wstring ByteSizeText(uint64_t b)
{
    return GetCommonFunction()->ByteSizeText(b);
}
inline FileTime TimeToFileTime(time_t t, bool toLocal = false)
{
    return GetCommonFunction()->TimeToFileTime(t, toLocal);
}
inline bool FileTimeToTime(FileTime ft, bool fromLocal, time_t& out)
{
    return GetCommonFunction()->FileTimeToTime(ft, fromLocal, out);
}
inline sSystemTime LocalTime(time_t t)
{
    return GetCommonFunction()->LocalTime(t);
}
inline sSystemTime LocalNow()
{
    return GetCommonFunction()->LocalNow();
}
inline bool UtcTime(time_t t, uint16_t ms, sSystemTime& out)
{
    return GetCommonFunction()->UtcTime(t, ms, out);
}
inline bool SystemTimeToTime(const sSystemTime& t, time_t& out)
{
    return GetCommonFunction()->SystemTimeToTime(t, out);
}
inline std::wstring TimeStamp(const sSystemTime& t)
{
    return GetCommonFunction()->TimeStamp(t);
}
inline std::wstring ShortTimeStamp(const sSystemTime& t)
{
    return GetCommonFunction()->ShortTimeStamp(t);
}
inline bool FileExists(std::wstring_view p)
{
    return GetCommonFunction()->FileExists(p);
}
inline bool RenameFile(std::wstring_view newName, std::wstring_view oldName)
{
    return GetCommonFunction()->RenameFile(newName, oldName);
}
inline bool DeleteFile(std::wstring_view p)
{
    return GetCommonFunction()->DeleteFile(p);
}
inline bool FolderExists(std::wstring_view p)
{
    return GetCommonFunction()->FolderExists(p);
}
inline bool ParentFolderExists(std::wstring_view p)
{
    return GetCommonFunction()->ParentFolderExists(p);
}
inline bool CreateFolderTree(std::wstring_view p)
{
    return GetCommonFunction()->CreateFolderTree(p);
}
inline bool CreateParentFolders(std::wstring_view p)
{
    return GetCommonFunction()->CreateParentFolders(p);
}
inline bool RemoveFolderTree(std::wstring_view p, bool deleteFiles)
{
    return GetCommonFunction()->RemoveFolderTree(p, deleteFiles);
}
inline uint32_t GetAttributes(std::wstring_view p)
{
    return GetCommonFunction()->GetAttributes(p);
}
inline bool SetAttributes(std::wstring_view p, uint32_t a)
{
    return GetCommonFunction()->SetAttributes(p, a);
}
inline bool CopyFile(std::wstring_view from, std::wstring_view to, bool failIfExists)
{
    return GetCommonFunction()->CopyFile(from, to, failIfExists);
}
inline bool ReadWholeFile(std::wstring_view p, std::string& out)
{
    return GetCommonFunction()->ReadWholeFile(p, out);
}
inline bool WriteWholeFile(std::wstring_view p, std::string_view d)
{
    return GetCommonFunction()->WriteWholeFile(p, d);
}

} // namespace ZP
