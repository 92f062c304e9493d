#include "launcher/info/HttpDownloader.h"

#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"
#include "zpak/log/ZpakLog.h"

#include <vector>

namespace
{
using ZP::kErrorDownload;
using ZP::kErrorMemory;
using ZP::kErrorStopped;

int Fail(int code, const char* function)
{
    ZP_LOG_ERROR(code, function);
    return code;
}

ZP::CFileHttp* AsHttp(ZP::IFileBase* f) { return static_cast<ZP::CFileHttp*>(f); }

// The code of a download that ended before its size: the network's own when there is one.
int ShortBodyCode(ZP::IFileBase* http)
{
    int net = AsHttp(http)->GetLastInternetError();
    return net != 0 ? net : kErrorDownload;
}
} // namespace

IHttpDownloader::IHttpDownloader()
    : m_http(ZP::GetFileHttpFactory()->Create()), m_local(ZP::GetFileFactory()->Create())
{
}

IHttpDownloader::~IHttpDownloader() = default;

int IHttpDownloader::DownloadFileToMemory(const wchar_t* url, char** outBuffer, uint32_t* outSize)
{
    static const char* const kWhere = "IHttpDownloader::DownloadFileToMemory";
    if (!outBuffer)
        return Fail(ZP::kErrorInvalidPointer, kWhere);
    int r = CheckOutBuffer(*outBuffer, outSize);
    if (r != 1)
        return Fail(r, kWhere);
    if ((r = CheckFileName(url)) != 1)
        return Fail(r, kWhere);
    if (!m_http)
        return Fail(ZP::kErrorInvalidPointer, kWhere);

    r = m_http->Open(url, ZP::kModeRead, 0);
    if (r != 1)
    {
        std::wstring escaped;
        if (ZP::EscapeUrl(url, escaped) != 1 || escaped.size() >= 512)
            return Fail(r, kWhere);
        r = m_http->Open(escaped.c_str(), ZP::kModeRead, 0);
        if (r != 1)
            return Fail(r, kWhere);
    }
    uint32_t size = m_http->GetSize();
    if (size == 0)
    {
        *outSize = 0;
        return Fail(ZP::kErrorDataSize, kWhere);
    }
    char* buffer = ZP::AllocBuffer(size);
    if (!buffer)
        return Fail(kErrorMemory, kWhere);
    // A read hands out what has arrived; keep reading until the announced size or the end.
    uint32_t done = 0;
    while (done < size)
    {
        uint32_t n = m_http->Read(buffer + done, size - done);
        if (n == 0)
            break;
        done += n;
    }
    *outSize = done;
    if (done != size)
    {
        ZP::FreeBuffer(buffer);
        *outBuffer = nullptr;
        return Fail(ZP::kErrorDataSize, kWhere);
    }
    *outBuffer = buffer;
    m_http->Close();
    return 1;
}

int IHttpDownloader::WriteDataToLocalFile(const wchar_t* path, const char* data, uint32_t size, uint32_t* outWritten)
{
    static const char* const kWhere = "IHttpDownloader::WriteDataToLocalFile";
    if (!m_local)
        return Fail(ZP::kErrorInvalidPointer, kWhere);
    if (!m_local->HasFreeSpace(path, size, 0))
        return Fail(ZP::kErrorDiskFull, kWhere);
    int r = m_local->Open(path, ZP::kModeCreate, 0);
    if (r != 1)
        return Fail(r, kWhere);
    uint32_t written = m_local->Write(data, size);
    if (outWritten)
        *outWritten = written;
    if (written == 0 || written != size)
        return Fail(ZP::kErrorFileWrite, kWhere);
    m_local->Close();
    return 1;
}

int IHttpDownloader::DownloadFileToLocalFile(const wchar_t* url, const wchar_t* path, uint32_t* outWritten)
{
    static const char* const kWhere = "IHttpDownloader::DownloadFileToLocalFile";
    int r = CheckFileName(url);
    if (r == 1)
        r = CheckFileName(path);
    if (r != 1)
        return Fail(r, kWhere);
    if (!outWritten)
        return Fail(ZP::kErrorInvalidPointer, kWhere);
    char* buffer = nullptr;
    uint32_t size = 0;
    r = DownloadFileToMemory(url, &buffer, &size);
    if (r != 1)
    {
        *outWritten = size;
        return r;
    }
    r = WriteDataToLocalFile(path, buffer, size, outWritten);
    ZP::FreeBuffer(buffer);
    return r;
}

int IHttpDownloader::DownloadDirectFileToLocalFile(const wchar_t* url, const wchar_t* path, uint32_t* progress)
{
    static const char* const kWhere = "IHttpDownloader::DownloadDirectFileToLocalFile";
    if (!progress)
        return Fail(ZP::kErrorDataSize, kWhere);
    int r = CheckFileName(url);
    if (r == 1)
        r = CheckFileName(path);
    if (r != 1)
        return Fail(r, kWhere);
    if (!m_http || !m_local)
        return Fail(ZP::kErrorInvalidPointer, kWhere);

    bool resume = ZP::FileExists(path);
    r = m_local->Open(path, resume ? ZP::kModeReadWrite : ZP::kModeCreate, 0);
    if (r != 1)
        return Fail(r, kWhere);
    uint32_t start = resume ? m_local->GetSize() : 0;

    r = m_http->Open(url, ZP::kModeRead, 0);
    if (r != 1)
    {
        m_local->Close();
        return Fail(r, kWhere);
    }
    // Without a length there is no telling a complete copy from a cut one.
    if (AsHttp(m_http.get())->GetContentLength() < 0)
    {
        m_http->Close();
        m_local->Close();
        return Fail(ZP::kErrorDataSize, kWhere);
    }
    uint32_t remote = m_http->GetSize();
    r = CopyBody(path, start, remote);
    m_http->Close();
    m_local->Close();
    return r == 1 ? 1 : Fail(r, kWhere);
}

int IHttpDownloader::CopyBody(const wchar_t* path, uint32_t start, uint32_t remote)
{
    if (start == remote)
        return 1;
    // A local file longer than the remote one cannot be a prefix of it: start over.
    if (start > remote)
    {
        if (!m_local->Truncate(0))
            return ZP::kErrorFileWrite;
        start = 0;
    }
    if (!m_local->HasFreeSpace(path, remote - start, 0))
        return ZP::kErrorDiskFull;
    if (start > 0)
    {
        uint32_t landed = m_http->Seek(start);
        if (landed != start)
        {
            if (!m_http->IsOpened() || m_http->GetPosition() != 0) return ShortBodyCode(m_http.get());
            // The server ignored the range and sends the whole file: never splice it onto the
            // partial copy.
            if (!m_local->Truncate(0))
                return ZP::kErrorFileWrite;
            start = 0;
        }
    }
    if (m_local->Seek(start) != start)
        return ZP::kErrorFileWrite;

    std::vector<char> block(kCopyBlock);
    uint32_t done = start;
    ZP::sNotifyHooks& hooks = ZP::GetNotifyHooks();
    while (done < remote)
    {
        if (ZP::CStopper::IsStopRequested())
            return kErrorStopped;
        uint32_t want = remote - done < kCopyBlock ? remote - done : kCopyBlock;
        // A read returns 0 only when the body ended early or the transfer failed (a stall ends
        // after the reader's time limit): the copy fails, and the partial file stays for a resume.
        uint32_t n = m_http->Read(block.data(), want);
        if (n == 0) return ShortBodyCode(m_http.get());
        if (m_local->Write(block.data(), n) != n)
            return ZP::kErrorFileWrite;
        done += n;
        ZP::Notify(hooks.byteProgress, static_cast<uint64_t>(remote), static_cast<uint64_t>(done));
    }
    return 1;
}

int IHttpDownloader::DownloadInfo(const char* where, const wchar_t* url, IInfoRecord* record)
{
    int r = CheckFile(url);
    if (r != 1)
        return Fail(r, where);
    if (!record)
        return Fail(ZP::kErrorInvalidPointer, where);
    char* buffer = nullptr;
    uint32_t size = 0;
    if ((r = DownloadFileToMemory(url, &buffer, &size)) != 1)
        return Fail(r, where);
    r = record->LoadInfoFromMemory(buffer, size);
    ZP::FreeBuffer(buffer);
    return r == 1 ? 1 : Fail(r, where);
}

int IGameInfoDownloader::DownloadGameInfo(const wchar_t* url, IInfoRecord* record)
{
    return DownloadInfo("IGameInfoDownloader::DownloadGameInfo", url, record);
}

int ILauncherInfoDownloader::DownloadLauncherInfo(const wchar_t* url, IInfoRecord* record)
{
    return DownloadInfo("ILauncherInfoDownloader::DownloadLauncherInfo", url, record);
}
