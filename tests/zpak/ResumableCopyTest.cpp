#include "zpak/file/ResumableCopy.h"
#include "platform/text/TextCodec.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScopedTransferLimits.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace ZP;
using testsupport::TestHttpServer;
using namespace std::chrono_literals;

namespace
{
constexpr int kTimeout = 12002;

class ResumableCopy : public ::testing::Test
{
protected:
    ResumableCopy() { server.SetContent("/f.bin", body); }

    // One download of /f.bin into f.bin over what the file already holds; the result code.
    int Download(ICopyListener* listener = nullptr)
    {
        std::wstring path = dir.Join(L"f.bin");
        CFile local;
        bool exists = FileExists(path);
        EXPECT_EQ(local.Open(path.c_str(), exists ? kModeReadWrite : kModeCreate, 0), 1);
        uint32_t held = local.GetSize();
        local.Seek(held);
        CFileHttp http;
        std::wstring url = platform::text::Utf8ToWide(server.Url("/f.bin"));
        EXPECT_EQ(http.Open(url.c_str(), kModeRead, 0), 1);
        CFileCopyTarget target(&local, 0, true);
        return CopyResumable(&http, target, {.held = held, .total = http.GetSize(), .block = 4096}, listener);
    }
    std::string Local() const { return dir.ReadFile(L"f.bin"); }

    testsupport::TempDir dir;
    TestHttpServer server;
    const std::string body = testsupport::RandomBytes(300000, 7);
};
} // namespace

// Whatever the local file holds and however the server answers, a download ends with the server's
// bytes and nothing spliced.
TEST_F(ResumableCopy, EveryStartEndsWithTheServersBytes)
{
    struct sCase
    {
        const char* name;
        std::string held;
        testsupport::sHttpFault fault;
        std::vector<std::string> ranges;
    };
    const sCase cases[] = {
        {"nothing held", "", {}, {""}},
        {"half held: the rest by range", body.substr(0, 120000), {}, {"", "bytes=120000-"}},
        {"range ignored: from the start again",
         body.substr(0, 120000),
         {.ignoreRange = true},
         {"", "bytes=120000-"}},
        {"longer than the server's: from the start", body + "tail", {}, {""}},
        {"complete: nothing more asked", body, {}, {""}},
    };
    for (const sCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        DeleteFile(dir.Join(L"f.bin"));
        if (!c.held.empty()) dir.WriteFile(L"f.bin", c.held);
        server.SetFault("/f.bin", c.fault);
        server.ResetCounters();
        EXPECT_EQ(Download(), 1);
        EXPECT_TRUE(Local() == body);
        EXPECT_EQ(server.RangesSeen("/f.bin"), c.ranges);
    }
}

TEST_F(ResumableCopy, ShortBodyFailsKeepsThePartAndTheNextRunCompletesIt)
{
    server.SetFault("/f.bin", {.cutAfterBytes = 100000, .times = 1});
    int r = Download();
    EXPECT_NE(r, 1);
    EXPECT_GT(r, 12000) << "the network's code";
    EXPECT_EQ(Local(), body.substr(0, 100000));
    EXPECT_EQ(Download(), 1);
    EXPECT_TRUE(Local() == body);
    EXPECT_EQ(server.RangesSeen("/f.bin").back(), "bytes=100000-");
}

// A server that stops sending and one that only drips end alike, long before the default limits;
// one that is merely slow but above the floor completes.
TEST_F(ResumableCopy, StallAndCrawlBelowTheFloorEndAsAStall)
{
    testsupport::ScopedTransferLimits limits(
        {.stall = 500ms, .floorBytesPerSecond = 20000, .floorWindow = 400ms});
    struct sCase
    {
        const char* name;
        testsupport::sHttpFault fault;
        int expected;
    };
    const sCase cases[] = {
        {"no byte for a while", {.stallAfterBytes = 5000, .stallFor = 3000ms}, kTimeout},
        {"a few bytes now and then", {.dripBytes = 100, .dripEvery = 50ms}, kTimeout},
        {"slow but above the floor", {.dripBytes = 16000, .dripEvery = 20ms}, 1},
    };
    for (const sCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        DeleteFile(dir.Join(L"f.bin"));
        server.SetFault("/f.bin", c.fault);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Download(), c.expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
    }
}

TEST_F(ResumableCopy, StopEndsTheCopyAfterThePieceInHand)
{
    struct sStopAfterFirst : ICopyListener
    {
        bool StopRequested() override { return pieces > 0; }
        void OnPiece(uint32_t, uint32_t, uint32_t) override { ++pieces; }
        int pieces = 0;
    } listener;
    EXPECT_EQ(Download(&listener), kErrorStopped);
    EXPECT_EQ(listener.pieces, 1);
    EXPECT_EQ(Local().size(), 4096u) << "the piece read is kept for a resume";

    CStopper::SetStopRequested(true);
    struct sClear
    {
        ~sClear() { CStopper::SetStopRequested(false); }
    } clear;
    EXPECT_EQ(Download(), kErrorStopped) << "the library's flag stops it too";
}

// Open: direct first, then the configured (proxy) access; Seek: configured first, then direct.
TEST_F(ResumableCopy, HttpFileTriesBothAccessesInTheirOrder)
{
    TestHttpServer proxy;
    proxy.SetContent("/f.bin", body);
    testsupport::ScopedEnv noProxy("no_proxy", nullptr), noProxyUpper("NO_PROXY", nullptr);
    testsupport::ScopedEnv allProxy("all_proxy", nullptr), allProxyUpper("ALL_PROXY", nullptr);
    const std::wstring url = platform::text::Utf8ToWide(server.Url("/f.bin"));
    {
        // A proxy that refuses every connection: the direct attempts carry both operations.
        testsupport::ScopedEnv deadProxy("http_proxy", "http://127.0.0.1:1");
        CFileHttp http;
        ASSERT_EQ(http.Open(url.c_str(), kModeRead, 0), 1);
        EXPECT_EQ(http.Seek(1000), 1000u);
    }
    EXPECT_EQ(server.RequestCount("/f.bin"), 2);
    {
        // A working proxy: Open still goes direct, Seek through the proxy.
        testsupport::ScopedEnv liveProxy("http_proxy", proxy.Url("").c_str());
        CFileHttp http;
        ASSERT_EQ(http.Open(url.c_str(), kModeRead, 0), 1);
        EXPECT_EQ(http.Seek(1000), 1000u);
        char first = 0;
        EXPECT_EQ(http.Read(&first, 1), 1u);
        EXPECT_EQ(first, body[1000]);
    }
    EXPECT_EQ(server.RequestCount("/f.bin"), 3);
    EXPECT_EQ(proxy.RangesSeen("/f.bin"), std::vector<std::string>{"bytes=1000-"});
    {
        // Neither the server nor the proxy answers: no session.
        testsupport::ScopedEnv deadProxy("http_proxy", "http://127.0.0.1:1");
        CFileHttp http;
        EXPECT_EQ(http.Open(L"http://127.0.0.1:1/gone", kModeRead, 0), kErrorInternetSession);
        EXPECT_EQ(http.Open(L"ftp://127.0.0.1/x", kModeRead, 0), kErrorUrlConnect) << "no access fetches it";
    }
}
