#include "platform/net/HttpReader.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace platform::net;
using testsupport::eBodyFraming;
using testsupport::sHttpFault;
using testsupport::TestHttpServer;
using namespace std::chrono_literals;

namespace
{

std::string RandomBytes(size_t size, uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::string out(size, '\0');
    for (size_t i = 0; i < size; i += 8)
    {
        uint64_t v = rng();
        for (size_t k = 0; k < 8 && i + k < size; ++k)
            out[i + k] = char(v >> (8 * k));
    }
    return out;
}

// Reads to the end of the body; returns Read's last result (1 when the body ended normally).
int ReadAll(HttpRequest& request, std::string& out, size_t block = 64 * 1024)
{
    std::vector<char> buf(block);
    for (;;)
    {
        size_t got = 0;
        int result = request.Read(buf.data(), buf.size(), got);
        out.append(buf.data(), got);
        if (result != kInternetOk) return result;
        if (got == 0) return kInternetOk;
    }
}

// Sends raw request text and returns everything the server sends until it closes the connection.
std::string RawExchange(uint16_t port, const std::string& requestText)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{5, 0}; // a server that never closes fails the test instead of hanging it
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
    {
        ::close(fd);
        return {};
    }
    ::send(fd, requestText.data(), requestText.size(), MSG_NOSIGNAL);
    std::string reply;
    char buf[4096];
    for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
        reply.append(buf, size_t(n));
    ::close(fd);
    return reply;
}

// A name the resolver library rejects by itself (a label longer than 63 characters), so the test
// sends no query to any name server.
const std::string kUnresolvableHost = std::string(64, 'a') + ".invalid";

class HttpReaderTest : public ::testing::Test
{
protected:
    void WriteFile(const std::wstring& name, const std::string& bytes) { m_dir.WriteFile(name, bytes); }

    TestHttpServer& Server() { return m_server; }

    HttpSession m_session{eAccessMode::Direct};

private:
    testsupport::TempDir m_dir;
    TestHttpServer m_server{m_dir.NativePath()};
};

TEST_F(HttpReaderTest, GetDeliversTheWholeBodyWithItsLength)
{
    const std::string bytes = RandomBytes(5 * 1024 * 1024 + 123, 1);
    WriteFile(L"game.pak", bytes);

    HttpRequest request;
    ASSERT_EQ(request.Open(m_session, Server().Url("/game.pak")), kInternetOk);
    EXPECT_EQ(request.Status(), 200);
    EXPECT_EQ(request.ContentLength(), int64_t(bytes.size()));
    EXPECT_EQ(request.Header("content-TYPE"), "application/octet-stream");
    EXPECT_EQ(request.Header("X-Not-There"), "");

    std::string body;
    // Odd block size: reads straddle the reader's internal blocks.
    EXPECT_EQ(ReadAll(request, body, 100'003), kInternetOk);
    EXPECT_TRUE(body == bytes) << "got " << body.size() << " of " << bytes.size() << " bytes";

    size_t got = 1;
    char c;
    EXPECT_EQ(request.Read(&c, 1, got), kInternetOk) << "end of body is sticky";
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(Server().RangesSeen("/game.pak"), std::vector<std::string>{""});
}

TEST_F(HttpReaderTest, SlowReaderKeepsBufferBoundedAndLosesNothing)
{
    const std::string bytes = RandomBytes(8 * 1024 * 1024, 2);
    Server().SetContent("/big", bytes);

    // The server may finish sending, or close the connection, while the reader is paused.
    for (eBodyFraming framing :
         {eBodyFraming::ContentLength, eBodyFraming::Chunked, eBodyFraming::CloseDelimited})
    {
        SCOPED_TRACE(int(framing));
        Server().SetFault("/big", {.framing = framing});
        HttpRequest request;
        ASSERT_EQ(request.Open(m_session, Server().Url("/big")), kInternetOk);

        // Let the reader fill up while nobody reads, until it stops growing.
        size_t buffered = 0;
        auto deadline = std::chrono::steady_clock::now() + 3s;
        int unchanged = 0;
        while (unchanged < 20 && std::chrono::steady_clock::now() < deadline)
        {
            size_t now = request.Available();
            unchanged = now == buffered ? unchanged + 1 : 0;
            buffered = now;
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_GE(buffered, 512u * 1024);
        EXPECT_LE(buffered, 1536u * 1024);

        // Small reads drain the buffer across many pause/resume cycles.
        std::string body;
        EXPECT_EQ(ReadAll(request, body, 4096), kInternetOk);
        EXPECT_TRUE(body == bytes) << "got " << body.size() << " of " << bytes.size() << " bytes";
    }

    // Closing a transfer that is paused mid-way must neither hang nor disturb the next one.
    Server().ClearFault("/big");
    HttpRequest request;
    ASSERT_EQ(request.Open(m_session, Server().Url("/big")), kInternetOk);
    while (request.Available() < 1024 * 1024)
        std::this_thread::sleep_for(5ms);
    request.Close();
    EXPECT_FALSE(request.IsOpen());
    ASSERT_EQ(request.Open(m_session, Server().Url("/big"), 8 * 1024 * 1024 - 10), kInternetOk);
    std::string body;
    EXPECT_EQ(ReadAll(request, body), kInternetOk);
    EXPECT_EQ(body, bytes.substr(bytes.size() - 10));
}

TEST_F(HttpReaderTest, ErrorStatusesAreAnsweredNotFailed)
{
    Server().SetContent("/file", "content");
    HttpRequest request; // reopened for every case
    for (int status : {400, 403, 404, 500, 503})
    {
        SCOPED_TRACE(status);
        Server().SetFault("/file", {.status = status});
        ASSERT_EQ(request.Open(m_session, Server().Url("/file")), kInternetOk);
        EXPECT_EQ(request.Status(), status);
        std::string body;
        EXPECT_EQ(ReadAll(request, body), kInternetOk);
        EXPECT_EQ(body, "status " + std::to_string(status) + "\n");
    }

    ASSERT_EQ(request.Open(m_session, Server().Url("/missing")), kInternetOk);
    EXPECT_EQ(request.Status(), 404);
}

TEST_F(HttpReaderTest, BodyWithoutContentLengthIsReadToItsEnd)
{
    const std::string bytes = RandomBytes(3 * 1024 * 1024 + 7, 3);
    Server().SetContent("/file", bytes);
    for (eBodyFraming framing : {eBodyFraming::Chunked, eBodyFraming::CloseDelimited})
    {
        SCOPED_TRACE(int(framing));
        Server().SetFault("/file", {.framing = framing});
        HttpRequest request;
        ASSERT_EQ(request.Open(m_session, Server().Url("/file")), kInternetOk);
        EXPECT_EQ(request.Status(), 200);
        EXPECT_EQ(request.ContentLength(), -1);
        std::string body;
        EXPECT_EQ(ReadAll(request, body), kInternetOk);
        EXPECT_TRUE(body == bytes) << "got " << body.size() << " of " << bytes.size() << " bytes";
    }
}

TEST_F(HttpReaderTest, RangeRequestGetsTheTail)
{
    const std::string bytes = RandomBytes(2 * 1024 * 1024, 4);
    WriteFile(L"data.bin", bytes);
    const int64_t start = 1'500'000;

    HttpRequest request;
    ASSERT_EQ(request.Open(m_session, Server().Url("/data.bin"), start), kInternetOk);
    EXPECT_EQ(request.Status(), 206);
    EXPECT_EQ(request.Header("Content-Range"), "bytes " + std::to_string(start) + "-" +
                                                   std::to_string(bytes.size() - 1) + "/" +
                                                   std::to_string(bytes.size()));
    EXPECT_EQ(request.ContentLength(), int64_t(bytes.size()) - start);
    std::string body;
    EXPECT_EQ(ReadAll(request, body), kInternetOk);
    EXPECT_TRUE(body == bytes.substr(size_t(start)));
    EXPECT_EQ(Server().RangesSeen("/data.bin"), std::vector<std::string>{"bytes=1500000-"});

    ASSERT_EQ(request.Open(m_session, Server().Url("/data.bin"), int64_t(bytes.size())), kInternetOk);
    EXPECT_EQ(request.Status(), 416);
    EXPECT_EQ(request.Header("Content-Range"), "bytes */" + std::to_string(bytes.size()));
}

TEST_F(HttpReaderTest, ServerIgnoringRangeAnswersWithTheWholeBody)
{
    const std::string bytes = RandomBytes(100'000, 5);
    Server().SetContent("/file", bytes);
    Server().SetFault("/file", {.ignoreRange = true});

    HttpRequest request;
    ASSERT_EQ(request.Open(m_session, Server().Url("/file"), 5000), kInternetOk);
    EXPECT_EQ(request.Status(), 200);
    EXPECT_EQ(request.Header("Content-Range"), "");
    std::string body;
    EXPECT_EQ(ReadAll(request, body), kInternetOk);
    EXPECT_TRUE(body == bytes);
}

TEST_F(HttpReaderTest, RedirectIsFollowedAndOnlyTheFinalHeadersShow)
{
    Server().SetContent("/new", "moved here");
    Server().SetFault("/old", {.status = 302, .extraHeaders = {{"Location", "/new"}, {"X-Hop", "1"}}});

    HttpRequest request;
    ASSERT_EQ(request.Open(m_session, Server().Url("/old")), kInternetOk);
    EXPECT_EQ(request.Status(), 200);
    EXPECT_EQ(request.Header("X-Hop"), "");
    EXPECT_EQ(request.FinalUrl(), Server().Url("/new"));
    std::string body;
    EXPECT_EQ(ReadAll(request, body), kInternetOk);
    EXPECT_EQ(body, "moved here");
}

TEST_F(HttpReaderTest, ConnectionCutMidBodyIsAnError)
{
    const std::string bytes = RandomBytes(1024 * 1024, 6);
    Server().SetContent("/file", bytes);
    struct Case
    {
        eBodyFraming framing;
        bool reset;
        int expected;
    } cases[] = {
        {eBodyFraming::ContentLength, false, kInternetConnectionAborted},
        {eBodyFraming::Chunked, false, kInternetConnectionAborted},
        {eBodyFraming::ContentLength, true, kInternetConnectionReset},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "framing " << int(c.framing) << " reset " << c.reset);
        Server().SetFault("/file", {.framing = c.framing, .cutAfterBytes = 300'000, .resetOnCut = c.reset});
        HttpRequest request;
        ASSERT_EQ(request.Open(m_session, Server().Url("/file")), kInternetOk);
        std::string body;
        EXPECT_EQ(ReadAll(request, body), c.expected);
        EXPECT_LE(body.size(), 300'000u);
        EXPECT_TRUE(body == bytes.substr(0, body.size())) << "bytes before the cut are not a prefix";
    }
}

TEST_F(HttpReaderTest, StalledServerTimesOut)
{
    Server().SetContent("/file", RandomBytes(200'000, 7));
    m_session.SetStallTimeout(1s);
    struct Case
    {
        const char* what;
        sHttpFault fault;
        bool openFails;
    } cases[] = {
        {"before the headers", {.delay = 30s}, true},
        {"mid-body", {.stallAfterBytes = 65'536, .stallFor = 30s}, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Server().SetFault("/file", c.fault);
        HttpRequest request;
        auto started = std::chrono::steady_clock::now();
        int result = request.Open(m_session, Server().Url("/file"));
        std::string body;
        if (!c.openFails)
        {
            ASSERT_EQ(result, kInternetOk);
            result = ReadAll(request, body);
            EXPECT_EQ(body.size(), 65'536u);
        }
        EXPECT_EQ(result, kInternetTimeout);
        auto took = std::chrono::steady_clock::now() - started;
        EXPECT_GE(took, 900ms);
        EXPECT_LT(took, 4s);
    }

    // A pause shorter than the stall time is only a slow server.
    Server().SetFault("/file", {.delay = 300ms, .stallAfterBytes = 1000, .stallFor = 400ms});
    HttpRequest request;
    ASSERT_EQ(request.Open(m_session, Server().Url("/file")), kInternetOk);
    std::string body;
    EXPECT_EQ(ReadAll(request, body), kInternetOk);
    EXPECT_EQ(body.size(), 200'000u);
}

TEST_F(HttpReaderTest, ConnectionRefused)
{
    // A bound socket that does not listen refuses connections, and nobody else can take its port.
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);

    HttpRequest request;
    EXPECT_EQ(request.Open(m_session, "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/x"),
              kInternetCannotConnect);
    EXPECT_FALSE(request.IsOpen());
    ::close(fd);
}

TEST_F(HttpReaderTest, BadUrlsAndUnknownHostsFailAtOpen)
{
    struct Case
    {
        std::string url;
        int expected;
    } cases[] = {
        {"http://" + kUnresolvableHost + "/file", kInternetNameNotResolved},
        {"not a url", kInternetInvalidUrl},
        {"http://", kInternetInvalidUrl},
        {"", kInternetInvalidUrl},
        {"ftp://127.0.0.1/file", kInternetUnrecognizedScheme},
        {"velmora://127.0.0.1/file", kInternetUnrecognizedScheme},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.url);
        HttpRequest request;
        EXPECT_EQ(request.Open(m_session, c.url), c.expected);
    }
}

TEST_F(HttpReaderTest, ProxyFromTheEnvironmentOnlyWhenConfigured)
{
    TestHttpServer proxy;
    proxy.SetContent("/file", "via proxy");
    Server().SetContent("/file", "direct");
    testsupport::ScopedEnv httpProxy("http_proxy", proxy.Url("").c_str());
    testsupport::ScopedEnv allProxy("all_proxy", nullptr), allProxyUpper("ALL_PROXY", nullptr);
    testsupport::ScopedEnv noProxy("no_proxy", nullptr), noProxyUpper("NO_PROXY", nullptr);

    for (auto [mode, expected] :
         {std::pair{eAccessMode::Configured, "via proxy"}, {eAccessMode::Direct, "direct"}})
    {
        SCOPED_TRACE(expected);
        HttpSession session(mode);
        HttpRequest request;
        ASSERT_EQ(request.Open(session, Server().Url("/file")), kInternetOk);
        std::string body;
        EXPECT_EQ(ReadAll(request, body), kInternetOk);
        EXPECT_EQ(body, expected);
    }
    EXPECT_EQ(proxy.RequestCount("/file"), 1);
    EXPECT_EQ(Server().RequestCount("/file"), 1);

    testsupport::ScopedEnv deadProxy("http_proxy", ("http://" + kUnresolvableHost + ":3128").c_str());
    HttpSession session(eAccessMode::Configured);
    HttpRequest request;
    EXPECT_EQ(request.Open(session, Server().Url("/file")), kInternetNameNotResolved);
}

TEST_F(HttpReaderTest, ParallelDownloadsOnOneSession)
{
    const std::string first = RandomBytes(4 * 1024 * 1024, 8), second = RandomBytes(3 * 1024 * 1024, 9);
    Server().SetContent("/first", first);
    WriteFile(L"second", second);

    auto fetch = [&](const std::string& path, std::string& body, int& result)
    {
        HttpRequest request;
        result = request.Open(m_session, Server().Url(path));
        if (result == kInternetOk) result = ReadAll(request, body, 32 * 1024);
    };
    std::string body1, body2;
    int result1 = 0, result2 = 0;
    std::thread t1(fetch, "/first", std::ref(body1), std::ref(result1));
    std::thread t2(fetch, "/second", std::ref(body2), std::ref(result2));
    t1.join();
    t2.join();
    EXPECT_EQ(result1, kInternetOk);
    EXPECT_EQ(result2, kInternetOk);
    EXPECT_TRUE(body1 == first);
    EXPECT_TRUE(body2 == second);
}

TEST(InternetErrorFromCurl, MapsLibcurlResults)
{
    struct Case
    {
        CURLcode code;
        int expected;
    } cases[] = {
        {CURLE_OK, 0},
        {CURLE_COULDNT_RESOLVE_HOST, 12007},
        {CURLE_COULDNT_RESOLVE_PROXY, 12007},
        {CURLE_COULDNT_CONNECT, 12029},
        {CURLE_OPERATION_TIMEDOUT, 12002},
        {CURLE_URL_MALFORMAT, 12005},
        {CURLE_UNSUPPORTED_PROTOCOL, 12006},
        {CURLE_RECV_ERROR, 12031},
        {CURLE_SEND_ERROR, 12031},
        {CURLE_GOT_NOTHING, 12030},
        {CURLE_PARTIAL_FILE, 12030},
        {CURLE_PEER_FAILED_VERIFICATION, 12038},
        {CURLE_SSL_CONNECT_ERROR, 12038},
        {CURLE_SSL_CACERT_BADFILE, 12038},
        {CURLE_OUT_OF_MEMORY, 12004},
        {CURLE_TOO_MANY_REDIRECTS, 12004},
        {CURLE_WEIRD_SERVER_REPLY, 12004},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InternetErrorFromCurl(c.code), c.expected) << curl_easy_strerror(c.code);
}

// The rest checks the test server on the wire, where the reader cannot look: every later
// integration test trusts these answers.
TEST_F(HttpReaderTest, TestServerSpeaksPlainHttp)
{
    Server().SetContent("/ten", "0123456789");
    struct Case
    {
        const char* request;
        std::vector<std::string> present; // each appears in the reply
        const char* absent;
    } cases[] = {
        {"GET /ten HTTP/1.1\r\nHost: x\r\nRange: bytes=2-5\r\nConnection: close\r\n\r\n",
         {"HTTP/1.1 206", "Content-Range: bytes 2-5/10\r\n", "Content-Length: 4\r\n", "\r\n\r\n2345"},
         nullptr},
        {"GET /ten HTTP/1.1\r\nHost: x\r\nRange: bytes=-3\r\nConnection: close\r\n\r\n",
         {"Content-Range: bytes 7-9/10\r\n", "\r\n\r\n789"},
         nullptr},
        {"GET /ten HTTP/1.1\r\nHost: x\r\nRange: bytes=0-1,4-5\r\nConnection: close\r\n\r\n",
         {"HTTP/1.1 200", "\r\n\r\n0123456789"},
         "Content-Range"},
        {"GET /ten HTTP/1.1\r\nHost: x\r\nRange: bytes=10-\r\nConnection: close\r\n\r\n",
         {"HTTP/1.1 416", "Content-Range: bytes */10\r\n"},
         nullptr},
        {"HEAD /ten HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", {"Content-Length: 10\r\n"}, "0123"},
        {"GET /t%65n?v=1 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", {"\r\n\r\n0123456789"}, nullptr},
        {"GET /../etc/passwd HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", {"HTTP/1.1 404"}, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.request);
        std::string reply = RawExchange(Server().Port(), c.request);
        for (const std::string& part : c.present)
            EXPECT_NE(reply.find(part), std::string::npos) << part << "\n" << reply;
        if (c.absent)
        {
            EXPECT_EQ(reply.find(c.absent), std::string::npos) << reply;
        }
    }

    // Two requests on one connection, the second closing it.
    Server().ResetCounters();
    std::string reply =
        RawExchange(Server().Port(), "GET /ten HTTP/1.1\r\nHost: x\r\n\r\n"
                                     "GET /ten HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    size_t first = reply.find("\r\n\r\n0123456789HTTP/1.1 200");
    EXPECT_NE(first, std::string::npos) << reply;
    EXPECT_EQ(reply.find("\r\n\r\n0123456789", first + 1), reply.size() - 14) << reply;
    EXPECT_EQ(Server().RequestCount("/ten"), 2);
    EXPECT_EQ(Server().ConnectionCount(), 1);
}

TEST_F(HttpReaderTest, TestServerFaultsCanBeLimitedToSomeRequests)
{
    Server().SetContent("/file", "fine");
    Server().SetFault("/file", {.status = 500, .times = 2});
    std::vector<int> statuses;
    for (int i = 0; i < 3; ++i)
    {
        HttpRequest request;
        ASSERT_EQ(request.Open(m_session, Server().Url("/file")), kInternetOk);
        statuses.push_back(request.Status());
    }
    EXPECT_EQ(statuses, (std::vector<int>{500, 500, 200}));
    EXPECT_EQ(Server().RequestCount("/file"), 3);
    Server().ResetCounters();
    EXPECT_EQ(Server().RequestCount("/file"), 0);
    EXPECT_TRUE(Server().RangesSeen("/file").empty());
}

} // namespace

// A request opened on one thread is read on another while the opening thread goes on with requests
// of its own on the same connection cache, and the opening thread ends before the request does.
TEST_F(HttpReaderTest, RequestMovesToAnotherThreadAndOutlivesItsOpener)
{
    const std::string big = RandomBytes(3 * 1024 * 1024, 11);
    Server().SetContent("/big", big);
    Server().SetContent("/small", "small");
    HttpRequest moved;
    std::promise<void> handedOver;
    int openerFailures = 0;
    std::thread opener(
        [&]
        {
            EXPECT_EQ(moved.Open(m_session, Server().Url("/big")), kInternetOk);
            handedOver.set_value();
            for (int i = 0; i < 20; ++i)
            {
                HttpRequest own;
                std::string body;
                if (own.Open(m_session, Server().Url("/small")) != kInternetOk ||
                    ReadAll(own, body) != kInternetOk || body != "small")
                    ++openerFailures;
            }
        });
    handedOver.get_future().wait();
    std::string body;
    EXPECT_EQ(ReadAll(moved, body, 16 * 1024), kInternetOk);
    opener.join();
    EXPECT_TRUE(body == big);
    EXPECT_EQ(openerFailures, 0);

    // The opener is gone; its cache still serves the request it opened.
    HttpRequest late;
    std::thread([&] { EXPECT_EQ(late.Open(m_session, Server().Url("/big")), kInternetOk); }).join();
    body.clear();
    EXPECT_EQ(ReadAll(late, body, 64 * 1024), kInternetOk);
    EXPECT_TRUE(body == big);
}
