#pragma once
// Downloads over one HTTP file object and one local file object, with the argument checks and an
// error line for every failure.
#include "launcher/info/Checks.h"
#include "launcher/info/InfoRecord.h"

#include <cstdint>
#include <memory>

namespace ZP
{
class IFileBase;
}

class IHttpDownloader : public ICheckInvalidMemoryData, public ICheckInvalidFile
{
public:
    IHttpDownloader();
    ~IHttpDownloader() override;
    IHttpDownloader(const IHttpDownloader&) = delete;
    IHttpDownloader& operator=(const IHttpDownloader&) = delete;

    // The whole resource into a new buffer (release it with ZP::FreeBuffer). A URL that cannot be
    // opened as given is tried once more escaped. 14008 when the server sends no length or less.
    virtual int DownloadFileToMemory(const wchar_t* url, char** outBuffer, uint32_t* outSize);
    virtual int DownloadFileToLocalFile(const wchar_t* url, const wchar_t* path, uint32_t* outWritten);
    // Copies straight to disk, resuming a partial local file with a range request. progress must
    // not be null; the byte-progress hook reports the copy.
    virtual int DownloadDirectFileToLocalFile(const wchar_t* url, const wchar_t* path, uint32_t* progress);
    virtual int WriteDataToLocalFile(const wchar_t* path, const char* data, uint32_t size,
                                     uint32_t* outWritten);

    // Block size of the direct copy.
    static constexpr uint32_t kCopyBlock = 256 * 1024;

protected:
    // Checks the URL, downloads it and loads the record from it.
    int DownloadInfo(const char* where, const wchar_t* url, IInfoRecord* record);

    std::unique_ptr<ZP::IFileBase> m_http;
    std::unique_ptr<ZP::IFileBase> m_local;

private:
    int CopyBody(const wchar_t* path, uint32_t start, uint32_t remote);
};

class IGameInfoDownloader : public IHttpDownloader
{
public:
    virtual int DownloadGameInfo(const wchar_t* url, IInfoRecord* record);
};

class ILauncherInfoDownloader : public IHttpDownloader
{
public:
    virtual int DownloadLauncherInfo(const wchar_t* url, IInfoRecord* record);
};
