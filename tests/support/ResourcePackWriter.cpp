#include "tests/support/ResourcePackWriter.h"

#include "platform/fs/FileSystem.h"

#include <minizip/zip.h>

namespace testsupport
{

bool WriteResourcePack(const std::wstring& path, const ResourceEntries& entries, bool stored)
{
    std::string native = platform::fs::NativePath(path);
    zipFile zip = zipOpen(native.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return false;
    bool ok = true;
    int method = stored ? 0 : Z_DEFLATED;
    for (const auto& [name, data] : entries)
    {
        zip_fileinfo info{};
        ok = ok &&
             zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                 stored ? 0 : 9) == ZIP_OK &&
             zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

} // namespace testsupport
