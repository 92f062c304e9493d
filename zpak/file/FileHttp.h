#pragma once
// An HTTP(S) resource behind the file interface: read-only, with seeks done as new requests
// carrying a Range header.
#include "zpak/file/FileBase.h"

#include <memory>

namespace platform::net
{
class HttpSession;
class HttpRequest;
} // namespace platform::net

namespace ZP
{

class CFileHttp : public CFileBase
{
public:
    CFileHttp();
    ~CFileHttp() override;

    void Close() override;
    // Content-Length of the current response; 0 when there is none.
    uint32_t GetSize() override;
    // Tries direct access, then the configured (proxy from the environment) access, then that once
    // more. 1; 0 for an empty URL or a mode other than 0; 14048 when no access reaches the server;
    // 14049 for a URL no access can fetch (malformed, foreign scheme); 14054 / 14053 / 14052 for
    // status 404 / 403 / 400; 14051 for any other error status; 14066 for 4 GiB or more.
    int Open(const wchar_t* url, int mode, int value) override;
    // Up to count bytes of what has arrived, waiting for at least one; 0 at the end or on failure.
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void*, uint32_t) override { return 0; }
    // Moves by a new request from that position. Only a 206 answer starting exactly there moves to
    // it; a server that ignores the range answers 200 from the start, and the file is then at
    // position 0. The configured access is tried first, then direct. Returns the position; 0 (file
    // unchanged) when the new request fails.
    uint32_t Seek(uint32_t position) override;

    bool QueryDataAvailable(uint32_t* count);
    // Content-Length of the current response; -1 when it has none or nothing is open.
    int64_t GetContentLength();
    platform::net::HttpSession* GetSession() const { return m_session.get(); }
    const char* GetAnswerBuffer() const { return m_answer; }
    // The internet error number of the last failed request or read of the current resource (0 when
    // none). The stall limit of the reads is the transfer limits' (ResumableCopy.h).
    int GetLastInternetError() const { return m_lastInternetError; }

protected:
    void ReleaseHandle() override;

private:
    platform::net::HttpRequest* Request() const;
    int StatusResult(int status);

    std::unique_ptr<platform::net::HttpSession> m_session;
    char m_answer[2048] = {};
    std::wstring m_url;
    int m_lastInternetError = 0;
};

} // namespace ZP
