#include "platform/net/HttpReader.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace platform::net
{
namespace
{

using Clock = std::chrono::steady_clock;

// The transfer is paused once this much body is waiting for the reader and resumed when the
// reader has taken half of it: enough to keep the socket busy, small enough for many requests.
constexpr size_t kPauseAt = size_t(1) << 20;
constexpr size_t kResumeAt = kPauseAt / 2;
constexpr size_t kChunkSize = 256 * 1024;
constexpr size_t kSpareChunks = 6;
// libcurl's largest receive buffer; fewer, larger socket reads matter on fast local links.
constexpr long kReceiveBufferSize = 512 * 1024;
constexpr long kMaxRedirects = 5;
constexpr int kMaxPollMs = 1000;

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// Body bytes between libcurl's callback and the reader, in large reusable blocks so that a
// download costs one copy in and one copy out, whatever sizes either side uses.
class ByteQueue
{
public:
    size_t Size() const { return m_size; }

    void Append(const char* p, size_t n)
    {
        m_size += n;
        if (!m_chunks.empty())
        {
            Chunk& tail = m_chunks.back();
            size_t k = std::min(n, tail.cap - tail.end);
            std::memcpy(tail.data.get() + tail.end, p, k);
            tail.end += k;
            p += k;
            n -= k;
        }
        if (n == 0) return;
        Chunk c = NewChunk(n);
        std::memcpy(c.data.get(), p, n);
        c.end = n;
        m_chunks.push_back(std::move(c));
    }

    size_t Take(char* out, size_t max)
    {
        size_t copied = 0;
        while (copied < max && !m_chunks.empty())
        {
            Chunk& head = m_chunks.front();
            size_t k = std::min(max - copied, head.end - head.begin);
            std::memcpy(out + copied, head.data.get() + head.begin, k);
            head.begin += k;
            copied += k;
            if (head.begin == head.end)
            {
                if (head.cap == kChunkSize && m_spare.size() < kSpareChunks)
                {
                    head.begin = head.end = 0;
                    m_spare.push_back(std::move(head));
                }
                m_chunks.pop_front();
            }
        }
        m_size -= copied;
        return copied;
    }

private:
    struct Chunk
    {
        std::unique_ptr<char[]> data;
        size_t cap = 0;
        size_t begin = 0;
        size_t end = 0;
    };

    Chunk NewChunk(size_t atLeast)
    {
        if (atLeast <= kChunkSize && !m_spare.empty())
        {
            Chunk c = std::move(m_spare.back());
            m_spare.pop_back();
            return c;
        }
        Chunk c;
        c.cap = std::max(atLeast, kChunkSize);
        c.data.reset(new char[c.cap]);
        return c;
    }

    std::deque<Chunk> m_chunks;
    std::vector<Chunk> m_spare;
    size_t m_size = 0;
};

// Parses the URL before libcurl sees it, so that a bad URL fails at once and a foreign scheme is
// told apart from garbage.
int CheckUrl(const std::string& url)
{
    CURLU* u = curl_url();
    if (!u) return kInternetInternalError;
    int result = kInternetOk;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    {
        result = kInternetInvalidUrl;
    }
    else
    {
        char* scheme = nullptr;
        if (curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK || !scheme)
            result = kInternetInvalidUrl;
        else if (!EqualsNoCase(scheme, "http") && !EqualsNoCase(scheme, "https"))
            result = kInternetUnrecognizedScheme;
        curl_free(scheme);
    }
    curl_url_cleanup(u);
    return result;
}

} // namespace

int InternetErrorFromCurl(int curlCode)
{
    switch (static_cast<CURLcode>(curlCode))
    {
    case CURLE_OK:
        return 0;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return kInternetUnrecognizedScheme;
    case CURLE_URL_MALFORMAT:
        return kInternetInvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return kInternetNameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return kInternetCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return kInternetTimeout;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_HTTP2_STREAM:
        return kInternetConnectionReset;
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return kInternetConnectionAborted;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return kInternetCertificateInvalid;
    case CURLE_OUT_OF_MEMORY:
    default:
        return kInternetInternalError;
    }
}

HttpSession::HttpSession(eAccessMode mode, std::string userAgent)
    : m_mode(mode), m_userAgent(std::move(userAgent))
{
}

// Kept-alive connections and name lookups shared by requests. A request takes the cache of the
// thread that opens it and holds a reference until it ends, so it may be read on another thread,
// and outlive the opening thread, while that thread opens new requests on the same cache: libcurl
// then reaches the shared data from two threads, so every part of it has its own lock.
class CConnectionCache
{
public:
    CConnectionCache()
    {
        CURLSH* share = curl_share_init();
        if (!share) return;
        bool ok = curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &CConnectionCache::Lock) == CURLSHE_OK &&
                  curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &CConnectionCache::Unlock) == CURLSHE_OK &&
                  curl_share_setopt(share, CURLSHOPT_USERDATA, static_cast<void*>(this)) == CURLSHE_OK &&
                  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) == CURLSHE_OK &&
                  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK;
        if (ok)
            m_share = share;
        else
            curl_share_cleanup(share);
    }
    // Runs once no request holds the cache any more, so the cleanup is never refused.
    ~CConnectionCache()
    {
        if (m_share) curl_share_cleanup(m_share);
    }
    CConnectionCache(const CConnectionCache&) = delete;
    CConnectionCache& operator=(const CConnectionCache&) = delete;

    CURLSH* Share() const { return m_share; }

    // The cache of the calling thread, made on its first request.
    static std::shared_ptr<CConnectionCache> OfThisThread()
    {
        thread_local std::shared_ptr<CConnectionCache> cache = std::make_shared<CConnectionCache>();
        return cache;
    }

private:
    std::mutex& LockFor(curl_lock_data data)
    {
        size_t index = static_cast<size_t>(data);
        return m_locks[index < kLockCount ? index : 0];
    }
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user)
    {
        static_cast<CConnectionCache*>(user)->LockFor(data).lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* user)
    {
        static_cast<CConnectionCache*>(user)->LockFor(data).unlock();
    }

    static constexpr size_t kLockCount = CURL_LOCK_DATA_LAST;
    CURLSH* m_share = nullptr;
    std::mutex m_locks[kLockCount];
};

struct HttpRequest::Impl
{
    // Declared first: released after the handles below, which are its users.
    std::shared_ptr<CConnectionCache> cache;
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* requestHeaders = nullptr;

    ByteQueue body;
    bool headersDone = false; // the final response's header block is complete
    bool finished = false;    // libcurl is done with the transfer; result says how it went
    bool paused = false;
    bool connected = false;
    int result = kInternetOk;

    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;

    Clock::time_point lastActivity;
    std::chrono::milliseconds stallTimeout{60'000};

    ~Impl()
    {
        if (multi && easy && !finished) curl_multi_remove_handle(multi, easy);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        curl_slist_free_all(requestHeaders);
    }

    void Touch() { lastActivity = Clock::now(); }

    const std::string* FindHeader(std::string_view name) const
    {
        for (const auto& [key, value] : headers)
            if (EqualsNoCase(key, name)) return &value;
        return nullptr;
    }

    // libcurl hands over every header block it sees: interim 1xx answers and redirects it is about
    // to follow come before the one the caller asked about.
    bool IsFinalHeaderBlock() const
    {
        if (status < 200) return false;
        if (status >= 300 && status < 400 && FindHeader("Location")) return false;
        return true;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        const size_t len = size * count;
        self->Touch();
        if (self->headersDone) return len; // trailers of a chunked body
        std::string_view line(data, len);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.remove_suffix(1);

        if (line.size() >= 5 && line.substr(0, 5) == "HTTP/")
        {
            self->headers.clear();
            self->status = 0;
            size_t sp = line.find(' ');
            if (sp != std::string_view::npos)
            {
                std::string_view code = Trim(line.substr(sp + 1));
                std::from_chars(code.data(), code.data() + code.size(), self->status);
            }
        }
        else if (line.empty())
        {
            if (self->IsFinalHeaderBlock()) self->headersDone = true;
        }
        else if ((line.front() == ' ' || line.front() == '\t') && !self->headers.empty())
        {
            self->headers.back().second.append(" ").append(Trim(line));
        }
        else if (size_t colon = line.find(':'); colon != std::string_view::npos)
        {
            self->headers.emplace_back(std::string(Trim(line.substr(0, colon))),
                                       std::string(Trim(line.substr(colon + 1))));
        }
        return len;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        const size_t len = size * count;
        if (self->body.Size() >= kPauseAt)
        {
            // libcurl keeps these bytes and offers them again once the transfer is resumed.
            self->paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        self->body.Append(data, len);
        self->headersDone = true;
        self->Touch();
        return len;
    }

    static int OnConnected(void* user, char*, char*, int, int)
    {
        auto* self = static_cast<Impl*>(user);
        self->connected = true;
        self->Touch();
        return CURL_PREREQFUNC_OK;
    }

    int Start(const HttpSession& session, const std::string& url, int64_t rangeStart)
    {
        if (int check = CheckUrl(url); check != kInternetOk) return check;
        multi = curl_multi_init();
        easy = curl_easy_init();
        if (!multi || !easy) return kInternetInternalError;

        stallTimeout = session.StallTimeout();
        bool ok = true;
        auto set = [&](CURLoption option, auto value)
        { ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK; };
        set(CURLOPT_URL, url.c_str());
        set(CURLOPT_PROTOCOLS_STR, "http,https");
        set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, kMaxRedirects);
        // Pausing a single HTTP/1.1 stream simply stops reading the socket; it is the
        // flow-control model this reader is built around.
        set(CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_CONNECTTIMEOUT_MS, long(session.ConnectTimeout().count()));
        set(CURLOPT_BUFFERSIZE, kReceiveBufferSize);
        set(CURLOPT_TCP_KEEPALIVE, 1L);
        set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        set(CURLOPT_USERAGENT, session.UserAgent().c_str());
        set(CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
        set(CURLOPT_HEADERDATA, static_cast<void*>(this));
        set(CURLOPT_WRITEFUNCTION, &Impl::OnBody);
        set(CURLOPT_WRITEDATA, static_cast<void*>(this));
        set(CURLOPT_PREREQFUNCTION, &Impl::OnConnected);
        set(CURLOPT_PREREQDATA, static_cast<void*>(this));
        if (session.Mode() == eAccessMode::Direct) set(CURLOPT_PROXY, "");
        cache = CConnectionCache::OfThisThread();
        if (cache && cache->Share()) set(CURLOPT_SHARE, cache->Share());
        if (rangeStart >= 0)
        {
            std::string range = "Range: bytes=" + std::to_string(rangeStart) + "-";
            requestHeaders = curl_slist_append(nullptr, range.c_str());
            if (!requestHeaders) return kInternetInternalError;
            set(CURLOPT_HTTPHEADER, requestHeaders);
        }
        if (!ok) return kInternetInternalError;
        if (curl_multi_add_handle(multi, easy) != CURLM_OK) return kInternetInternalError;
        Touch();
        return kInternetOk;
    }

    void Finish(int outcome)
    {
        if (finished) return;
        finished = true;
        paused = false;
        result = outcome;
        curl_multi_remove_handle(multi, easy);
    }

    void Perform()
    {
        if (finished) return;
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK)
        {
            Finish(kInternetInternalError);
            return;
        }
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &left))
        {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy)
            {
                CURLcode code = msg->data.result;
                Finish(code == CURLE_OK ? kInternetOk : InternetErrorFromCurl(code));
                break;
            }
        }
    }

    // The stall clock runs from the moment the connection is up; before that libcurl's connect
    // timeout is in charge. A paused transfer is waiting for the reader, not for the server.
    std::chrono::milliseconds UntilStall() const
    {
        auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastActivity);
        return stallTimeout - idle;
    }

    void CheckStall()
    {
        if (finished || paused || !connected) return;
        if (UntilStall().count() <= 0) Finish(kInternetTimeout);
    }

    template <class Pred> void PumpUntil(Pred done)
    {
        for (;;)
        {
            Perform();
            if (done() || finished) return;
            CheckStall();
            if (finished) return;
            int waitMs = kMaxPollMs;
            if (connected) waitMs = int(std::clamp<int64_t>(UntilStall().count(), 1, kMaxPollMs));
            curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
        }
    }

    void ResumeIfDrained()
    {
        if (!paused || finished || body.Size() > kResumeAt) return;
        paused = false;
        Touch();
        // May call OnBody right away with the bytes held back when the transfer was paused.
        CURLcode code = curl_easy_pause(easy, CURLPAUSE_CONT);
        if (code != CURLE_OK) Finish(InternetErrorFromCurl(code));
    }

    int64_t ContentLength() const
    {
        if (FindHeader("Transfer-Encoding")) return -1;
        const std::string* value = FindHeader("Content-Length");
        if (!value) return -1;
        int64_t n = -1;
        auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), n);
        if (ec != std::errc() || end != value->data() + value->size() || n < 0) return -1;
        return n;
    }
};

HttpRequest::HttpRequest() = default;
HttpRequest::~HttpRequest() = default;

int HttpRequest::Open(const HttpSession& session, const std::string& url, int64_t rangeStart)
{
    Close();
    InitCurlOnce();
    m_impl = std::make_unique<Impl>();
    Impl& impl = *m_impl;
    if (int started = impl.Start(session, url, rangeStart); started != kInternetOk)
    {
        Close();
        return started;
    }
    impl.PumpUntil([&] { return impl.headersDone; });
    if (!impl.headersDone)
    {
        if (impl.result != kInternetOk)
        {
            int failure = impl.result;
            Close();
            return failure;
        }
        // Completed without a final header block we recognised (e.g. a redirect that was not
        // followed): what was seen last is the answer.
        impl.headersDone = true;
    }
    return kInternetOk;
}

int HttpRequest::Status() const
{
    return m_impl ? m_impl->status : 0;
}

int64_t HttpRequest::ContentLength() const
{
    return m_impl ? m_impl->ContentLength() : -1;
}

std::string HttpRequest::Header(std::string_view name) const
{
    if (!m_impl) return {};
    const std::string* value = m_impl->FindHeader(name);
    return value ? *value : std::string();
}

std::string HttpRequest::FinalUrl() const
{
    if (!m_impl || !m_impl->easy) return {};
    char* url = nullptr;
    if (curl_easy_getinfo(m_impl->easy, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || !url) return {};
    return url;
}

int HttpRequest::Read(void* buf, size_t max, size_t& got)
{
    got = 0;
    if (!m_impl) return kInternetInternalError;
    if (max == 0) return kInternetOk;
    Impl& impl = *m_impl;
    // Collect what has already arrived so that large reads come back full.
    if (!impl.paused && impl.body.Size() < max) impl.Perform();
    if (impl.body.Size() == 0) impl.PumpUntil([&] { return impl.body.Size() > 0; });
    got = impl.body.Take(static_cast<char*>(buf), max);
    impl.ResumeIfDrained();
    if (got == 0) return impl.result;
    return kInternetOk;
}

size_t HttpRequest::Available()
{
    if (!m_impl) return 0;
    if (!m_impl->paused) m_impl->Perform();
    return m_impl->body.Size();
}

void HttpRequest::Close()
{
    m_impl.reset();
}

bool HttpRequest::IsOpen() const
{
    return m_impl != nullptr;
}

} // namespace platform::net
