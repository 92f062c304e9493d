#include "launcher/info/HttpDownloader.h"

#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"
#include "zpak/file/ResumableCopy.h"
#include "zpak/log/ZpakLog.h"

namespace
{
using ZP::kErrorMemory;

int Fail(int code, const char* function)
{
    ZP_LOG_ERROR(code, function);
    return code;
}

ZP::CFileHttp* AsHttp(ZP::IFileBase* f)
{
    return static_cast<ZP::CFileHttp*>(f);
}

// The direct copy reports its bytes through the library's byte-progress hook of this run.
class CByteProgress : public ZP::ICopyListener
{
public:
    void OnPiece(uint32_t total, uint32_t done, uint32_t) override
    {
        ZP::Notify(ZP::GetNotifyHooks().byteProgress, static_cast<uint64_t>(total),
                   static_cast<uint64_t>(done));
    }
};
} // namespace

IHttpDownloader::IHttpDownloader()
    : m_http(ZP::GetFileHttpFactory()->Create()), m_local(ZP::GetFileFactory()->Create())
{
}

IHttpDownloader::~IHttpDownloader() = default;

int IHttpDownloader::DownloadFileToMemory(const wchar_t* url, char** outBuffer, uint32_t* outSize)
{
    static const char* const kWhere = "IHttpDownloader::DownloadFileToMemory";
    if (!outBuffer) return Fail(ZP::kErrorInvalidPointer, kWhere);
    int r = CheckOutBuffer(*outBuffer, outSize);
    if (r != 1) return Fail(r, kWhere);
    if ((r = CheckFileName(url)) != 1) return Fail(r, kWhere);
    if (!m_http) return Fail(ZP::kErrorInvalidPointer, kWhere);

    r = m_http->Open(url, ZP::kModeRead, 0);
    if (r != 1)
    {
        std::wstring escaped;
        if (ZP::EscapeUrl(url, escaped) != 1 || escaped.size() >= 512) return Fail(r, kWhere);
        r = m_http->Open(escaped.c_str(), ZP::kModeRead, 0);
        if (r != 1) return Fail(r, kWhere);
    }
    uint32_t size = m_http->GetSize();
    if (size == 0)
    {
        *outSize = 0;
        return Fail(ZP::kErrorDataSize, kWhere);
    }
    char* buffer = ZP::AllocBuffer(size);
    if (!buffer) return Fail(kErrorMemory, kWhere);
    // A read hands out what has arrived; keep reading until the announced size or the end.
    uint32_t done = 0;
    while (done < size)
    {
        uint32_t n = m_http->Read(buffer + done, size - done);
        if (n == 0) break;
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

int IHttpDownloader::WriteDataToLocalFile(const wchar_t* path, const char* data, uint32_t size,
                                          uint32_t* outWritten)
{
    static const char* const kWhere = "IHttpDownloader::WriteDataToLocalFile";
    if (!m_local) return Fail(ZP::kErrorInvalidPointer, kWhere);
    if (!m_local->HasFreeSpace(path, size, 0)) return Fail(ZP::kErrorDiskFull, kWhere);
    int r = m_local->Open(path, ZP::kModeCreate, 0);
    if (r != 1) return Fail(r, kWhere);
    uint32_t written = m_local->Write(data, size);
    if (outWritten) *outWritten = written;
    if (written == 0 || written != size) return Fail(ZP::kErrorFileWrite, kWhere);
    m_local->Close();
    return 1;
}

int IHttpDownloader::DownloadFileToLocalFile(const wchar_t* url, const wchar_t* path, uint32_t* outWritten)
{
    static const char* const kWhere = "IHttpDownloader::DownloadFileToLocalFile";
    int r = CheckFileName(url);
    if (r == 1) r = CheckFileName(path);
    if (r != 1) return Fail(r, kWhere);
    if (!outWritten) return Fail(ZP::kErrorInvalidPointer, kWhere);
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

int IHttpDownloader::DownloadDirectFileToLocalFile(const wchar_t* url, const wchar_t* path,
                                                   uint32_t* progress)
{
    static const char* const kWhere = "IHttpDownloader::DownloadDirectFileToLocalFile";
    if (!progress) return Fail(ZP::kErrorDataSize, kWhere);
    int r = CheckFileName(url);
    if (r == 1) r = CheckFileName(path);
    if (r != 1) return Fail(r, kWhere);
    if (!m_http || !m_local) return Fail(ZP::kErrorInvalidPointer, kWhere);

    bool resume = ZP::FileExists(path);
    r = m_local->Open(path, resume ? ZP::kModeReadWrite : ZP::kModeCreate, 0);
    if (r != 1) return Fail(r, kWhere);
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
    if (start < remote && !m_local->HasFreeSpace(path, remote - start, 0)) return ZP::kErrorDiskFull;
    if (start <= remote && m_local->Seek(start) != start) return ZP::kErrorFileWrite;
    ZP::CFileCopyTarget target(m_local.get(), 0, true);
    CByteProgress progress;
    return ZP::CopyResumable(m_http.get(), target, {.held = start, .total = remote, .block = kCopyBlock},
                             &progress);
}

int IHttpDownloader::DownloadInfo(const char* where, const wchar_t* url, IInfoRecord* record)
{
    int r = CheckFile(url);
    if (r != 1) return Fail(r, where);
    if (!record) return Fail(ZP::kErrorInvalidPointer, where);
    char* buffer = nullptr;
    uint32_t size = 0;
    if ((r = DownloadFileToMemory(url, &buffer, &size)) != 1) return Fail(r, where);
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
