#include "launcher/info/Checks.h"

#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"

#include <memory>
#include <string>

int ICheckInvalidMemoryData::CheckMemory(const void* data, uint32_t size)
{
    if (!data) return ZP::kErrorInvalidPointer;
    if (size == 0) return ZP::kErrorDataSize;
    return 1;
}

int ICheckInvalidMemoryData::CheckOutBuffer(const void* existing, const uint32_t* size)
{
    return (existing || !size) ? ZP::kErrorInvalidPointer : 1;
}

int ICheckInvalidFile::CheckFileName(const wchar_t* name)
{
    return (!name || !*name) ? ZP::kErrorInvalidFileName : 1;
}

int ICheckInvalidFile::CheckFile(const wchar_t* name)
{
    int r = CheckFileName(name);
    if (r != 1) return r;
    std::wstring lower(name);
    for (wchar_t& c : lower)
        c = platform::text::ToLower(c);
    bool http = lower.find(L"http://") != std::wstring::npos || lower.find(L"https://") != std::wstring::npos;
    return http ? CheckHttpFile(name) : CheckLocalFile(name);
}

int ICheckInvalidFile::CheckHttpFile(const wchar_t* url)
{
    std::unique_ptr<ZP::IFileBase> file(ZP::GetFileHttpFactory()->Create());
    if (!file) return ZP::kErrorInvalidPointer;
    int r = file->Open(url, ZP::kModeRead, 0);
    file->Close();
    return r;
}

int ICheckInvalidFile::CheckLocalFile(const wchar_t* path)
{
    if (!ZP::FileExists(path ? path : L"")) return ZP::kErrorFileMissing;
    std::unique_ptr<ZP::IFileBase> file(ZP::GetFileFactory()->Create());
    if (!file) return ZP::kErrorInvalidPointer;
    int r = file->Open(path, ZP::kModeRead, 0);
    file->Close();
    return r;
}
