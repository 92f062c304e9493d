#pragma once
// Pull-style HTTP(S) downloads. The launcher's file objects ask for a URL, look at the status and
// headers, then read the body at their own pace; the transfer is pumped only while the caller waits
// in Open/Read/Available, and it is paused once a bounded amount is buffered, so a slow consumer
// of a huge file costs a fixed amount of memory.
//
// Results follow the launcher's convention: 1 means success, anything else is one of the internet
// error numbers below.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform::net
{

constexpr int kInternetOk = 1;
constexpr int kInternetTimeout = 12002;
constexpr int kInternetInternalError = 12004;
constexpr int kInternetInvalidUrl = 12005;
constexpr int kInternetUnrecognizedScheme = 12006;
constexpr int kInternetNameNotResolved = 12007;
constexpr int kInternetCannotConnect = 12029;
constexpr int kInternetConnectionAborted = 12030;
constexpr int kInternetConnectionReset = 12031;
constexpr int kInternetCertificateInvalid = 12038;

// The internet error number for a libcurl result code; 0 for CURLE_OK.
int InternetErrorFromCurl(int curlCode);

enum class eAccessMode
{
    Direct,     // never use a proxy, whatever the environment says
    Configured, // http_proxy / https_proxy / no_proxy from the environment
};

// Settings shared by the requests made through it. Several threads may open requests on one session
// at the same time; the timeouts may be changed at any moment and apply to requests opened later.
class HttpSession
{
public:
    explicit HttpSession(eAccessMode mode = eAccessMode::Configured, std::string userAgent = "Velmora");

    eAccessMode Mode() const { return m_mode; }
    const std::string& UserAgent() const { return m_userAgent; }

    // A transfer that receives nothing for this long (once connected) fails with kInternetTimeout.
    void SetStallTimeout(std::chrono::milliseconds timeout) { m_stallMs = timeout.count(); }
    std::chrono::milliseconds StallTimeout() const { return std::chrono::milliseconds(m_stallMs.load()); }

    // Name lookup, TCP connect and TLS handshake together.
    void SetConnectTimeout(std::chrono::milliseconds timeout) { m_connectMs = timeout.count(); }
    std::chrono::milliseconds ConnectTimeout() const { return std::chrono::milliseconds(m_connectMs.load()); }

private:
    eAccessMode m_mode;
    std::string m_userAgent;
    std::atomic<int64_t> m_stallMs{60'000};
    std::atomic<int64_t> m_connectMs{30'000};
};

// One GET. Thread contract: a request is used by one thread at a time, but it may be opened on one
// thread and read, closed or destroyed on another (a download handed to a worker), and it may
// outlive the thread that opened it. Different requests may run on different threads at once.
// Requests opened by one thread share that thread's kept-alive connections; the shared cache is
// locked inside and lives until the last request using it has ended.
class HttpRequest
{
public:
    HttpRequest();
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Sends the request (with "Range: bytes=N-" when rangeStart >= 0) and waits for the status
    // line and headers of the final response, redirects followed. An HTTP error status is still a
    // success here: the caller decides what a 404 means. Opening again closes the previous request.
    int Open(const HttpSession& session, const std::string& url, int64_t rangeStart = -1);

    // Valid after a successful Open.
    int Status() const;
    int64_t ContentLength() const;                   // -1 when the response has none (or is chunked)
    std::string Header(std::string_view name) const; // first value, name case-insensitive; "" if absent
    std::string FinalUrl() const;                    // after redirects

    // Copies up to max buffered body bytes, waiting for at least one unless the body has ended.
    // got == 0 with kInternetOk means the body is complete; a failed transfer reports its error
    // number once the bytes received before the failure have been read.
    int Read(void* buf, size_t max, size_t& got);

    // Body bytes that Read would return without waiting.
    size_t Available();

    void Close();
    bool IsOpen() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform::net
