#pragma once
// List files (".info"), the list version record, size totals and list reports, and the data
// transfer routines that move one file's bytes between file objects with integrity values.
#include "zpak/info/FileInfoList.h"
#include "zpak/message/ResultCodes.h"

#include <cstdint>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

namespace ZP
{

class IReportOpener;

class IFileBase;

struct sFileListStringSize
{
    uint32_t reserved = 0;
    uint32_t len1 = 0;
    uint32_t len2 = 0;
    uint32_t len3 = 0;
};

// One list file's header strings (kept, never interpreted) and the list they describe.
struct sFileListSaveLoad
{
    sFileListStringSize sizes;
    std::u16string string1;
    std::u16string string2;
    std::u16string string3;
    vFileInfo* list = nullptr;
};

constexpr size_t kVersionRecordBytes = 528;
constexpr uint32_t kDefaultListVersion = 1u << 24;

struct sListVersion
{
    uint32_t version = 0;
    std::wstring listPath; // relative path of the current list on the server
};

class CFileInfoUtil
{
public:
    static int SaveFileList(IFileBase* file, sFileListSaveLoad* header);
    static int LoadFileList(IFileBase* file, sFileListSaveLoad* header);
    static int WriteVersionRecord(IFileBase* file, const sListVersion* record, uint32_t* written);
    static int ReadVersionRecord(IFileBase* file, sListVersion* record, uint32_t* read);
    // 0 for an empty list, 1 otherwise, 14085 when stopped.
    static int SumSizes(const vFileInfo* list, uint64_t* plainTotal, uint64_t* storedTotal);
    static int SumSizes(std::span<const CFileInfo* const> records, uint64_t* plainTotal,
                        uint64_t* storedTotal);
    // Writes "<stem>_<date>_<time>.txt"; returns its path, empty when nothing was written. With the
    // open flag a report that was written whole goes to the opener (null: the shell's "open").
    static std::wstring WriteListReport(const std::wstring& stem, std::span<const CFileInfo* const> records,
                                        uint32_t elapsedMs, bool open, IReportOpener* opener = nullptr);
    static std::wstring WriteListReport(const std::wstring& stem, const vFileInfo* list, uint32_t elapsedMs,
                                        bool open, IReportOpener* opener = nullptr);

    // Transfer routines: bytes written to the destination, 0 on failure. Every one ends early when
    // the library's stop flag is raised. The two downloads take the data through CopyResumable: an
    // attempt cut short continues at the byte where it stopped.
    static uint32_t CopyPlain(IFileBase* source, IFileBase* destination, uint32_t size, CFileInfo* record);
    static uint32_t StoreCoded(IFileBase* source, IFileBase* destination, uint32_t size, CFileInfo* record);
    static uint32_t DownloadDecode(IFileBase* source, IFileBase* destination, CFileInfo* record);
    static uint32_t DownloadRaw(IFileBase* source, IFileBase* destination, CFileInfo* record);
    // Two lists are equal when their path maps hold the same number of records and every record of
    // the first has an equal record under the same key in the second.
    static bool ListsEqual(const vFileInfo& a, const vFileInfo& b);
    // Name sets keyed by the CRC-32 of the upper-cased, slash-normalised name.
    static std::unordered_set<uint32_t> BuildNameSet(const std::vector<std::wstring>& names);
    static bool InNameSet(const std::unordered_set<uint32_t>& set, const std::wstring& name);
    static bool InNameSetUtf8(const std::unordered_set<uint32_t>& set, const std::string& name);
    static bool NameListsEqual(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b);
    // Entries of folder whose names match pattern ("*" matches any run, case ignored).
    static bool ListMatching(const std::wstring& folder, const std::wstring& pattern,
                             std::vector<std::wstring>& names);

    static constexpr uint32_t kRawPiece = 100000;
};

} // namespace ZP
