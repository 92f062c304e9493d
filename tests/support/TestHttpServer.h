#pragma once
// An HTTP/1.1 server on 127.0.0.1 for tests: serves a folder and in-memory content, and misbehaves
// on request, path by path. One thread accepts, one thread serves each connection (keep-alive
// included); everything stops in the destructor.
//
//     TestHttpServer server(folder);
//     server.SetContent("/patch.bin", bytes);
//     server.SetFault("/patch.bin", {.cutAfterBytes = 4096});
//     download(server.Url("/patch.bin"));
//     EXPECT_EQ(server.RequestCount("/patch.bin"), 1);
//
// Paths are matched after percent-decoding and with the query string dropped; a request in the
// absolute form a proxy receives ("GET http://host/x") is served as "/x", so the server can stand
// in for a proxy as well.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport
{

enum class eBodyFraming
{
    ContentLength,  // the usual: Content-Length header, connection kept open
    Chunked,        // Transfer-Encoding: chunked, no Content-Length
    CloseDelimited, // neither header; the end of the body is the end of the connection
};

// How to answer requests for one path. The default-constructed value answers normally.
struct sHttpFault
{
    // Answer with this status and a short text body (or `body`), ignoring the file. 0: serve.
    int status = 0;
    eBodyFraming framing = eBodyFraming::ContentLength;
    // Close the connection after this many body bytes of the response. -1: send everything.
    int64_t cutAfterBytes = -1;
    // With cutAfterBytes: reset the connection (RST) instead of closing it in order (FIN).
    bool resetOnCut = false;
    // Wait this long before sending the status line.
    std::chrono::milliseconds delay{0};
    // Pause for stallFor after this many body bytes. -1: no pause.
    int64_t stallAfterBytes = -1;
    std::chrono::milliseconds stallFor{0};
    // Send the body dripBytes at a time, waiting dripEvery before each piece after the first: a
    // server that never stalls outright but is too slow to be of use. 0: no drip.
    int64_t dripBytes = 0;
    std::chrono::milliseconds dripEvery{0};
    // Answer a Range request with 200 and the whole body.
    bool ignoreRange = false;
    // Serve these bytes instead of the file or the stored content (ranges apply to them).
    std::optional<std::string> body{};
    // Added to the response as they are, e.g. {"Location", "/elsewhere"} with status 302.
    std::vector<std::pair<std::string, std::string>> extraHeaders{};
    // Applies to this many requests, then the path answers normally again. -1: until cleared.
    int times = -1;
};

class TestHttpServer
{
public:
    // root may be empty: then only content given to SetContent exists.
    explicit TestHttpServer(std::filesystem::path root = {});
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    uint16_t Port() const { return m_port; }
    // "http://127.0.0.1:PORT" + path, path taken as it is (already URL-encoded, starting with "/").
    std::string Url(std::string_view path = "/") const;

    // In-memory files; they take precedence over the folder.
    void SetContent(const std::string& path, std::string bytes);
    void RemoveContent(const std::string& path);

    void SetFault(const std::string& path, sHttpFault fault);
    void ClearFault(const std::string& path);
    void ClearFaults();

    // Requests seen (GET and HEAD alike) since the start or the last ResetCounters.
    int RequestCount(const std::string& path) const;
    int TotalRequestCount() const;
    // The Range header of each request to path in arrival order; "" for a request without one.
    std::vector<std::string> RangesSeen(const std::string& path) const;
    // Connections accepted so far; shows whether clients reuse connections.
    int ConnectionCount() const;
    void ResetCounters();

    struct Connection;
    struct Request;

private:
    void AcceptLoop();
    void Serve(Connection& connection);
    bool Answer(Connection& connection, const Request& request);
    // Sleeps unless the server is stopping; false when it is.
    bool Pause(std::chrono::milliseconds duration);

    struct Listener;

    std::filesystem::path m_root;
    std::unique_ptr<Listener> m_listener;
    uint16_t m_port = 0;
    std::thread m_acceptor;

    mutable std::mutex m_mutex;
    std::condition_variable m_stopSignal;
    bool m_stopping = false;
    std::list<std::unique_ptr<Connection>> m_connections;
    std::map<std::string, std::shared_ptr<const std::string>> m_content;
    std::map<std::string, sHttpFault> m_faults;
    std::map<std::string, int> m_requestCounts;
    std::map<std::string, std::vector<std::string>> m_ranges;
    int m_totalRequests = 0;
    int m_connectionCount = 0;
};

} // namespace testsupport
