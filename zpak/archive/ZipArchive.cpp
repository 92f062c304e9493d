#include "zpak/archive/ZipArchive.h"

#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/PathSafety.h"
#include "zpak/common/Stopper.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <vector>

namespace ZP
{
namespace
{
// Unix file type bits kept in the high half of an entry's external attributes by unix tools.
bool IsSymlinkEntry(const unz_file_info64& info)
{
    unsigned madeBy = (info.version >> 8) & 0xFF;
    unsigned mode = static_cast<unsigned>(info.external_fa >> 16);
    return madeBy == 3 && (mode & 0170000) == 0120000;
}
} // namespace

int ExtractZip(const std::wstring& archivePath, const std::wstring& targetFolder)
{
    static const char* const kWhere = "ZP::ExtractZip";
    std::string archive = platform::fs::NativePath(archivePath);
    unzFile zip = unzOpen64(archive.c_str());
    if (!zip) return ZP_LOG_ERROR(kErrorFileOpen, kWhere), kErrorFileOpen;
    int result = 1;
    int step = unzGoToFirstFile(zip);
    std::vector<char> piece(4096);
    while (step == UNZ_OK)
    {
        if (CStopper::IsStopRequested())
        {
            result = kErrorStopped;
            break;
        }
        char nameBytes[1024];
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip, &info, nameBytes, sizeof(nameBytes), nullptr, 0, nullptr, 0) !=
                UNZ_OK ||
            info.size_filename == 0 || info.size_filename >= sizeof(nameBytes))
        {
            result = kErrorInvalidData;
            break;
        }
        std::wstring name = platform::text::Utf8ToWide(std::string(nameBytes, info.size_filename));
        std::wstring target = IsSymlinkEntry(info) ? std::wstring() : PathInside(targetFolder, name);
        if (target.empty())
        {
            LogWarnF(L"refused archive entry : %s", name.c_str());
            result = kErrorInvalidData;
            break;
        }
        if (!name.empty() && (name.back() == L'/' || name.back() == L'\\'))
        {
            CreateFolderTree(target);
            step = unzGoToNextFile(zip);
            continue;
        }
        CreateParentFolders(target);
        platform::fs::File out;
        if (!out.Open(target, platform::fs::eOpenMode::CreateAlways))
        {
            result = kErrorFileCreate;
            break;
        }
        if (unzOpenCurrentFile(zip) != UNZ_OK)
        {
            result = kErrorInvalidData;
            break;
        }
        int got;
        while ((got = unzReadCurrentFile(zip, piece.data(), static_cast<unsigned>(piece.size()))) > 0)
            if (!out.WriteAll(piece.data(), static_cast<size_t>(got)))
            {
                got = -1;
                break;
            }
        // A bad CRC shows up when the entry is closed.
        if (unzCloseCurrentFile(zip) != UNZ_OK || got < 0)
        {
            result = kErrorInvalidData;
            break;
        }
        step = unzGoToNextFile(zip);
    }
    if (result == 1 && step != UNZ_END_OF_LIST_OF_FILE) result = kErrorInvalidData;
    unzClose(zip);
    if (result != 1) ZP_LOG_ERROR(result, kWhere);
    return result;
}

int WriteZip(const std::wstring& archivePath, const std::vector<sZipEntry>& entries)
{
    CreateParentFolders(archivePath);
    std::string archive = platform::fs::NativePath(archivePath);
    zipFile zip = zipOpen64(archive.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return kErrorFileCreate;
    int result = 1;
    for (const sZipEntry& entry : entries)
    {
        std::string data;
        if (!ReadWholeFile(entry.sourcePath, data))
        {
            result = kErrorFileRead;
            break;
        }
        zip_fileinfo info{};
        if (zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  9, data.size() >= 0xFFFFFFFFu) != ZIP_OK ||
            zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) != ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK)
        {
            result = kErrorFileWrite;
            break;
        }
    }
    if (zipClose(zip, nullptr) != ZIP_OK && result == 1) result = kErrorFileWrite;
    return result;
}

} // namespace ZP
