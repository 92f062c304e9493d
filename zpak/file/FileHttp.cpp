#include "zpak/file/FileHttp.h"

#include "platform/net/HttpReader.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/Format.h"
#include "zpak/file/ResumableCopy.h"
#include "zpak/log/ZpakLog.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace ZP
{
namespace net = platform::net;

namespace
{
std::unique_ptr<net::HttpSession> NewSession(net::eAccessMode mode)
{
    auto session = std::make_unique<net::HttpSession>(mode, "CHttp Open");
    session->SetStallTimeout(GetTransferLimits().stall);
    return session;
}

// A URL no access can fetch: trying another way to the network would not help.
bool IsUrlFault(int internetError)
{
    return internetError == net::kInternetInvalidUrl || internetError == net::kInternetUnrecognizedScheme;
}

// One request for url through the accesses in order, the first that gets an answer; r is the
// last failure when none does.
template <size_t N>
std::unique_ptr<net::HttpRequest> OpenThrough(const net::eAccessMode (&order)[N], const std::string& url,
                                              int64_t rangeStart, std::unique_ptr<net::HttpSession>& session,
                                              int& r)
{
    r = net::kInternetInternalError;
    for (net::eAccessMode mode : order)
    {
        session = NewSession(mode);
        auto request = std::make_unique<net::HttpRequest>();
        r = request->Open(*session, url, rangeStart);
        if (r == net::kInternetOk) return request;
        if (IsUrlFault(r)) break;
    }
    session.reset();
    return nullptr;
}

// "bytes N-M/T" -> N; -1 when it is not that shape.
int64_t RangeStartOf(const std::string& contentRange)
{
    unsigned long long start = 0;
    if (std::sscanf(contentRange.c_str(), "bytes %llu-", &start) != 1) return -1;
    return static_cast<int64_t>(start);
}
} // namespace

CFileHttp::CFileHttp() = default;

CFileHttp::~CFileHttp()
{
    Close();
}

net::HttpRequest* CFileHttp::Request() const
{
    return static_cast<net::HttpRequest*>(m_handle);
}

void CFileHttp::ReleaseHandle()
{
    delete Request();
    m_handle = nullptr;
}

void CFileHttp::Close()
{
    CCriticalSectionMgr guard(&SharedLock());
    ReleaseHandle();
    m_session.reset();
    ResetState();
}

int CFileHttp::StatusResult(int status)
{
    std::snprintf(m_answer, sizeof(m_answer), "%d", status);
    switch (status)
    {
    case 404:
        return kErrorHttp404;
    case 403:
        return kErrorHttp403;
    case 400:
        return kErrorHttp400;
    default:
        // An error page is not the resource: never hand its body out as the file.
        return status >= 400 || status < 100 ? kErrorInternetQuery : 1;
    }
}

int CFileHttp::Open(const wchar_t* url, int mode, int value)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!url || !*url || mode != kModeRead) return 0;
    Close();
    // Direct access first, then the configured (proxy) access, and that once more: the second try
    // of the URL on its own.
    static constexpr net::eAccessMode kOrder[] = {net::eAccessMode::Direct, net::eAccessMode::Configured,
                                                  net::eAccessMode::Configured};
    std::unique_ptr<net::HttpSession> session;
    int r = 0;
    auto request = OpenThrough(kOrder, platform::text::WideToUtf8(url), -1, session, r);
    if (!request)
    {
        m_lastInternetError = r;
        ZP_LOG_ERROR(r, "CFileHttp::Open");
        Close();
        return IsUrlFault(r) ? kErrorUrlConnect : kErrorInternetSession;
    }
    m_lastInternetError = 0;
    m_url = url;
    int status = StatusResult(request->Status());
    if (status != 1) return status;
    int64_t length = request->ContentLength();
    if (length > static_cast<int64_t>(0xFFFFFFFFLL)) return kErrorFileSize;
    SetHandle(kKindHttp, request.release());
    m_session = std::move(session);
    m_mode = mode;
    m_value = value;
    m_name = url;
    return 1;
}

uint32_t CFileHttp::GetSize()
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Request()) return 0;
    int64_t length = Request()->ContentLength();
    return length < 0 || length > static_cast<int64_t>(0xFFFFFFFFLL) ? 0 : static_cast<uint32_t>(length);
}

uint32_t CFileHttp::Read(void* buffer, uint32_t count)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Request() || !buffer || count == 0) return 0;
    size_t got = 0;
    int r = Request()->Read(buffer, count, got);
    if (r != net::kInternetOk)
    {
        m_lastInternetError = r;
        return 0;
    }
    m_position += static_cast<uint32_t>(got);
    return static_cast<uint32_t>(got);
}

int64_t CFileHttp::GetContentLength()
{
    CCriticalSectionMgr guard(&SharedLock());
    return Request() ? Request()->ContentLength() : -1;
}

bool CFileHttp::QueryDataAvailable(uint32_t* count)
{
    CCriticalSectionMgr guard(&SharedLock());
    if (!Request() || !count) return false;
    size_t n = Request()->Available();
    *count = n > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(n);
    return true;
}

uint32_t CFileHttp::Seek(uint32_t position)
{
    CCriticalSectionMgr guard(&SharedLock());
    // A request whose transfer failed is spent: only a new one brings the bytes from there.
    if (position == m_position && Request() && m_lastInternetError == 0) return m_position;
    if (m_url.empty()) return 0;
    // The range request carries the URL in a 256-byte buffer: a longer URL is refused, not cut.
    std::string url = platform::text::WideToUtf8(m_url);
    if (url.size() >= 256)
    {
        LogWarnF(L"LastError : %d", kErrorBufferOverrun);
        return 0;
    }
    // The configured access first, then direct.
    static constexpr net::eAccessMode kOrder[] = {net::eAccessMode::Configured, net::eAccessMode::Direct};
    std::unique_ptr<net::HttpSession> session;
    int r = 0;
    auto request = OpenThrough(kOrder, url, position > 0 ? static_cast<int64_t>(position) : -1, session, r);
    int status = request ? request->Status() : 0;
    bool moved = false;
    uint32_t landed = 0;
    if (r == net::kInternetOk && position > 0 && status == 206 &&
        RangeStartOf(request->Header("Content-Range")) == static_cast<int64_t>(position))
    {
        moved = true;
        landed = position;
    }
    else if (r == net::kInternetOk && status == 200)
    {
        // Either position 0 was asked for, or the server ignored the range and sends everything.
        moved = true;
        landed = 0;
    }
    if (!moved)
    {
        m_lastInternetError = r != net::kInternetOk ? r : 0;
        LogWarnF(L"LastError : %d", r != net::kInternetOk ? r : status);
        return 0;
    }
    std::wstring url16 = m_url;
    int mode = m_mode;
    int value = m_value;
    SetHandle(kKindHttp, request.release());
    m_session = std::move(session);
    m_lastInternetError = 0;
    m_url = url16;
    m_name = url16;
    m_mode = mode;
    m_value = value;
    m_position = landed;
    return landed;
}

} // namespace ZP
