#include "tests/support/TestHttpServer.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace testsupport
{

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;

namespace
{

constexpr size_t kSendBlock = 256 * 1024;

std::string PercentDecode(std::string_view s)
{
    auto hex = [](char c) -> int
    {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0)
        {
            out.push_back(char(hex(s[i + 1]) * 16 + hex(s[i + 2])));
            i += 2;
        }
        else
        {
            out.push_back(s[i]);
        }
    }
    return out;
}

// "/a/b?x=1" and "http://host:port/a/b?x=1" both name "/a/b".
std::string PathOfTarget(std::string_view target)
{
    if (size_t scheme = target.find("://"); scheme != std::string_view::npos && target.front() != '/')
    {
        size_t slash = target.find('/', scheme + 3);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    if (size_t q = target.find_first_of("?#"); q != std::string_view::npos) target = target.substr(0, q);
    return PercentDecode(target);
}

bool ParseNumber(std::string_view s, uint64_t& out)
{
    if (s.empty()) return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

enum class eRange
{
    Whole,         // no usable Range header: answer 200
    Part,          // answer 206 with [first, last]
    Unsatisfiable, // answer 416
};

// One range per request is all the launcher ever asks for; a list of ranges or a malformed header
// is answered with the whole body, as the protocol allows.
eRange ParseRange(std::string_view header, uint64_t total, uint64_t& first, uint64_t& last)
{
    constexpr std::string_view prefix = "bytes=";
    if (header.size() < prefix.size() || header.substr(0, prefix.size()) != prefix) return eRange::Whole;
    std::string_view bounds = header.substr(prefix.size());
    while (!bounds.empty() && bounds.front() == ' ')
        bounds.remove_prefix(1);
    while (!bounds.empty() && bounds.back() == ' ')
        bounds.remove_suffix(1);
    if (bounds.find(',') != std::string_view::npos) return eRange::Whole;
    size_t dash = bounds.find('-');
    if (dash == std::string_view::npos) return eRange::Whole;
    std::string_view from = bounds.substr(0, dash), to = bounds.substr(dash + 1);
    uint64_t a = 0, b = 0;
    if (from.empty())
    {
        if (!ParseNumber(to, b)) return eRange::Whole;
        if (b == 0 || total == 0) return eRange::Unsatisfiable;
        first = total - std::min(b, total);
        last = total - 1;
        return eRange::Part;
    }
    if (!ParseNumber(from, a)) return eRange::Whole;
    if (!to.empty() && (!ParseNumber(to, b) || b < a)) return eRange::Whole;
    if (a >= total) return eRange::Unsatisfiable;
    first = a;
    last = to.empty() ? total - 1 : std::min(b, total - 1);
    return eRange::Part;
}

// The bytes of one response body: stored content or an open file, read block by block.
class BodySource
{
public:
    BodySource() = default;
    ~BodySource()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    BodySource(const BodySource&) = delete;
    BodySource& operator=(const BodySource&) = delete;

    void UseBytes(std::shared_ptr<const std::string> bytes) { m_bytes = std::move(bytes); }

    bool OpenFile(const std::filesystem::path& path)
    {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st = {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        {
            ::close(fd);
            return false;
        }
        m_fd = fd;
        m_fileSize = uint64_t(st.st_size);
        return true;
    }

    uint64_t Size() const { return m_fd >= 0 ? m_fileSize : (m_bytes ? m_bytes->size() : 0); }

    // Points at n bytes from offset, using scratch when they have to be read; null on a read error.
    const char* Fetch(uint64_t offset, size_t n, std::vector<char>& scratch)
    {
        if (m_fd < 0) return m_bytes->data() + offset;
        scratch.resize(std::max(scratch.size(), n));
        size_t done = 0;
        while (done < n)
        {
            ssize_t r = ::pread(m_fd, scratch.data() + done, n - done, off_t(offset + done));
            if (r <= 0) return nullptr;
            done += size_t(r);
        }
        return scratch.data();
    }

private:
    std::shared_ptr<const std::string> m_bytes;
    int m_fd = -1;
    uint64_t m_fileSize = 0;
};

} // namespace

struct TestHttpServer::Listener
{
    asio::io_context io;
    tcp::acceptor acceptor{io};
};

struct TestHttpServer::Connection
{
    explicit Connection(tcp::socket s) : socket(std::move(s)), fd(socket.native_handle()) {}
    tcp::socket socket;
    int fd;
    std::thread thread;
    bool finished = false; // guarded by the server's mutex; once set, fd may be closed
    bool abortive = false; // end with a reset rather than an orderly close
};

struct TestHttpServer::Request
{
    http::verb method = http::verb::get;
    std::string path;
    std::string range;
    bool keepAlive = true;
};

TestHttpServer::TestHttpServer(std::filesystem::path root)
    : m_root(std::move(root)), m_listener(std::make_unique<Listener>())
{
    tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), 0);
    tcp::acceptor& acceptor = m_listener->acceptor;
    acceptor.open(endpoint.protocol());
    acceptor.bind(endpoint);
    acceptor.listen(asio::socket_base::max_listen_connections);
    m_port = acceptor.local_endpoint().port();
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopSignal.notify_all();
    // Wakes the blocking accept (it fails with EINVAL) without touching the acceptor from two threads.
    ::shutdown(m_listener->acceptor.native_handle(), SHUT_RDWR);
    m_acceptor.join();
    {
        std::lock_guard lock(m_mutex);
        for (auto& connection : m_connections)
            if (!connection->finished) ::shutdown(connection->fd, SHUT_RDWR);
    }
    for (auto& connection : m_connections)
        connection->thread.join();
}

std::string TestHttpServer::Url(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

void TestHttpServer::SetContent(const std::string& path, std::string bytes)
{
    auto stored = std::make_shared<const std::string>(std::move(bytes));
    std::lock_guard lock(m_mutex);
    m_content[path] = std::move(stored);
}

void TestHttpServer::RemoveContent(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_content.erase(path);
}

void TestHttpServer::SetFault(const std::string& path, sHttpFault fault)
{
    std::lock_guard lock(m_mutex);
    if (fault.times == 0)
        m_faults.erase(path);
    else
        m_faults[path] = std::move(fault);
}

void TestHttpServer::ClearFault(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_faults.erase(path);
}

void TestHttpServer::ClearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

int TestHttpServer::RequestCount(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_requestCounts.find(path);
    return it == m_requestCounts.end() ? 0 : it->second;
}

int TestHttpServer::TotalRequestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_totalRequests;
}

std::vector<std::string> TestHttpServer::RangesSeen(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_ranges.find(path);
    return it == m_ranges.end() ? std::vector<std::string>{} : it->second;
}

int TestHttpServer::ConnectionCount() const
{
    std::lock_guard lock(m_mutex);
    return m_connectionCount;
}

void TestHttpServer::ResetCounters()
{
    std::lock_guard lock(m_mutex);
    m_requestCounts.clear();
    m_ranges.clear();
    m_totalRequests = 0;
    m_connectionCount = 0;
}

bool TestHttpServer::Pause(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    return !m_stopSignal.wait_for(lock, duration, [this] { return m_stopping; });
}

void TestHttpServer::AcceptLoop()
{
    tcp::acceptor& acceptor = m_listener->acceptor;
    for (;;)
    {
        tcp::socket socket(m_listener->io);
        boost::system::error_code ec;
        acceptor.accept(socket, ec);
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) return;
        }
        if (ec)
        {
            // Out of descriptors or the like: give the running connections a moment to finish.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        socket.set_option(tcp::no_delay(true), ec);

        std::lock_guard lock(m_mutex);
        if (m_stopping) return;

        // Join connections that have ended so a long test does not collect threads.
        for (auto it = m_connections.begin(); it != m_connections.end();)
        {
            if ((*it)->finished)
            {
                (*it)->thread.join();
                it = m_connections.erase(it);
            }
            else
            {
                ++it;
            }
        }
        ++m_connectionCount;
        auto connection = std::make_unique<Connection>(std::move(socket));
        Connection& ref = *connection;
        m_connections.push_back(std::move(connection));
        ref.thread = std::thread(
            [this, &ref]
            {
                Serve(ref);
                bool orderly;
                {
                    std::lock_guard done(m_mutex);
                    ref.finished = true;
                    orderly = !m_stopping;
                }
                boost::system::error_code ignored;
                // An orderly shutdown would put a FIN ahead of the reset the fault asked for.
                if (orderly && !ref.abortive) ref.socket.shutdown(tcp::socket::shutdown_send, ignored);
                ref.socket.close(ignored);
            });
    }
}

void TestHttpServer::Serve(Connection& connection)
{
    boost::beast::flat_buffer buffer;
    for (;;)
    {
        http::request_parser<http::string_body> parser;
        parser.body_limit(1 << 20);
        boost::system::error_code ec;
        http::read(connection.socket, buffer, parser, ec);
        if (ec) return;
        const auto& message = parser.get();
        Request request;
        request.method = message.method();
        request.path = PathOfTarget(std::string_view(message.target().data(), message.target().size()));
        if (auto range = message.find(http::field::range); range != message.end())
            request.range = std::string(range->value());
        request.keepAlive = message.keep_alive();
        if (!Answer(connection, request)) return;
    }
}

bool TestHttpServer::Answer(Connection& connection, const Request& request)
{
    sHttpFault fault;
    std::shared_ptr<const std::string> content;
    {
        std::lock_guard lock(m_mutex);
        ++m_totalRequests;
        ++m_requestCounts[request.path];
        m_ranges[request.path].push_back(request.range);
        if (auto it = m_faults.find(request.path); it != m_faults.end())
        {
            fault = it->second;
            if (it->second.times > 0 && --it->second.times == 0) m_faults.erase(it);
        }
        if (auto it = m_content.find(request.path); it != m_content.end()) content = it->second;
    }
    if (fault.delay.count() > 0 && !Pause(fault.delay)) return false;

    unsigned status = 200;
    BodySource source;
    bool rangesApply = true;
    auto textBody = [](std::string text) { return std::make_shared<const std::string>(std::move(text)); };
    if (request.method != http::verb::get && request.method != http::verb::head)
    {
        status = 405;
        source.UseBytes(textBody("method not allowed\n"));
        rangesApply = false;
    }
    else if (fault.status != 0)
    {
        status = unsigned(fault.status);
        source.UseBytes(textBody(fault.body ? *fault.body : "status " + std::to_string(status) + "\n"));
        rangesApply = false;
    }
    else if (fault.body)
    {
        source.UseBytes(textBody(*fault.body));
    }
    else if (content)
    {
        source.UseBytes(content);
    }
    else
    {
        bool found = false;
        std::filesystem::path relative = std::filesystem::path(request.path).relative_path();
        bool escapes =
            std::any_of(relative.begin(), relative.end(), [](const auto& part) { return part == ".."; });
        if (!m_root.empty() && !escapes && !relative.empty()) found = source.OpenFile(m_root / relative);
        if (!found)
        {
            status = 404;
            source.UseBytes(textBody("not found\n"));
            rangesApply = false;
        }
    }

    const uint64_t total = source.Size();
    uint64_t first = 0, length = total;
    std::string contentRange;
    if (rangesApply && !request.range.empty() && !fault.ignoreRange)
    {
        uint64_t from = 0, to = 0;
        switch (ParseRange(request.range, total, from, to))
        {
        case eRange::Whole:
            break;
        case eRange::Part:
            status = 206;
            first = from;
            length = to - from + 1;
            contentRange =
                "bytes " + std::to_string(from) + "-" + std::to_string(to) + "/" + std::to_string(total);
            break;
        case eRange::Unsatisfiable:
            status = 416;
            length = 0;
            contentRange = "bytes */" + std::to_string(total);
            break;
        }
    }
    const bool noBody = status == 204 || status == 304 || status < 200;
    if (noBody) length = 0;

    http::response<http::empty_body> response{static_cast<http::status>(status), 11};
    if (http::obsolete_reason(static_cast<http::status>(status)) == "<unknown-status>")
        response.reason("Status");
    response.set(http::field::server, "VelmoraTestServer");
    response.set(http::field::accept_ranges, "bytes");
    response.set(http::field::content_type, "application/octet-stream");
    if (!contentRange.empty()) response.set(http::field::content_range, contentRange);
    if (!noBody)
    {
        if (fault.framing == eBodyFraming::ContentLength)
            response.set(http::field::content_length, std::to_string(length));
        else if (fault.framing == eBodyFraming::Chunked)
            response.set(http::field::transfer_encoding, "chunked");
    }
    for (const auto& [name, value] : fault.extraHeaders)
        response.insert(name, value);
    const bool keepAlive = request.keepAlive && fault.framing != eBodyFraming::CloseDelimited;
    response.keep_alive(keepAlive);

    boost::system::error_code ec;
    http::response_serializer<http::empty_body> serializer{response};
    http::write_header(connection.socket, serializer, ec);
    if (ec) return false;
    if (request.method == http::verb::head || noBody) return keepAlive;

    const bool chunked = fault.framing == eBodyFraming::Chunked;
    std::vector<char> scratch;
    uint64_t sent = 0;
    bool stalled = fault.stallAfterBytes < 0;
    for (;;)
    {
        if (!stalled && sent >= uint64_t(fault.stallAfterBytes))
        {
            stalled = true;
            if (!Pause(fault.stallFor)) return false;
        }
        if (fault.cutAfterBytes >= 0 && sent >= uint64_t(fault.cutAfterBytes) && sent < length)
        {
            if (fault.resetOnCut)
            {
                connection.socket.set_option(asio::socket_base::linger(true, 0), ec);
                connection.abortive = true;
            }
            return false;
        }
        if (sent >= length) break;
        uint64_t n = std::min<uint64_t>(kSendBlock, length - sent);
        if (fault.dripBytes > 0)
        {
            if (sent > 0 && !Pause(fault.dripEvery)) return false;
            n = std::min<uint64_t>(n, uint64_t(fault.dripBytes));
        }
        if (!stalled) n = std::min<uint64_t>(n, uint64_t(fault.stallAfterBytes) - sent);
        if (fault.cutAfterBytes >= 0) n = std::min<uint64_t>(n, uint64_t(fault.cutAfterBytes) - sent);
        const char* data = source.Fetch(first + sent, size_t(n), scratch);
        if (!data) return false;
        if (chunked)
        {
            char head[32];
            int headLength = std::snprintf(head, sizeof head, "%llx\r\n", static_cast<unsigned long long>(n));
            std::array<asio::const_buffer, 3> parts{asio::buffer(head, size_t(headLength)),
                                                    asio::buffer(data, size_t(n)), asio::buffer("\r\n", 2)};
            asio::write(connection.socket, parts, ec);
        }
        else
        {
            asio::write(connection.socket, asio::buffer(data, size_t(n)), ec);
        }
        if (ec) return false;
        sent += n;
    }
    if (chunked)
    {
        asio::write(connection.socket, asio::buffer("0\r\n\r\n", 5), ec);
        if (ec) return false;
    }
    return keepAlive;
}

} // namespace testsupport
