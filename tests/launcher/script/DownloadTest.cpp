// HTTP_GetFileSize and HTTP_DownloadFile against the test server on 127.0.0.1.
#include "platform/text/TextCodec.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using testsupport::CScriptTestApp;
using testsupport::TestHttpServer;

namespace
{
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " vs " << expected.size() << ", first difference at byte " << i;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

class Download : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.Run(std::string(testsupport::kGlobalFunctionPrelude) +
                "events = ''\n"
                "function onStatus(text) events = events .. 'S:' .. text .. '\\n' end\n"
                "function onProgress(percent) events = events .. 'P:' .. percent .. '\\n' end\n");
    }

    // Runs HTTP_DownloadFile for the server path into the local file; returns its result.
    int Fetch(const std::string& path, const std::wstring& local)
    {
        app.Run("events = ''\nresult = gf:HTTP_DownloadFile('" + server.Url(path) + "', '" +
                platform::text::WideToUtf8(local) + "', 'onProgress', 'onStatus')");
        return std::stoi(app.Global("result"));
    }
    std::vector<std::string> Events() { return Lines(app.Global("events")); }
    std::vector<int> Percents()
    {
        std::vector<int> out;
        for (const std::string& e : Events())
            if (e.rfind("P:", 0) == 0) out.push_back(std::stoi(e.substr(2)));
        return out;
    }

    TestHttpServer server;
    testsupport::TempDir dir;
    CScriptTestApp app;
};
} // namespace

TEST_F(Download, FreshDownloadReportsAndCompletes)
{
    std::string body = testsupport::RandomBytes(1200000, 1);
    server.SetContent("/game/setup.bin", body);
    std::wstring local = dir.Join(L"sub/setup.bin");
    ASSERT_EQ(Fetch("/game/setup.bin", local), 1);
    EXPECT_TRUE(SameBytes(dir.ReadFile(L"sub/setup.bin"), body)) << "missing folders are created";
    std::vector<std::string> events = Events();
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(events[0], "S:HTTP_DownloadFile");
    EXPECT_EQ(events[1], "S:Download... 0");
    EXPECT_EQ(events[2], "S:Download URL : " + server.Url("/game/setup.bin"));
    EXPECT_EQ(events[3], "S:HttpFile Open Success");
    EXPECT_EQ(events.back(), "S:Accident : read(1200000), real(1200000)");
    std::vector<int> percents = Percents();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    for (size_t i = 1; i < percents.size(); ++i)
        EXPECT_LE(percents[i - 1], percents[i]);
    EXPECT_TRUE(app.Logged(L"] Download.... 0\n"));
    EXPECT_TRUE(app.Logged(L"] Write : ask size(500000), real size("));
}

TEST_F(Download, CompleteLocalFileIsLeftAsItIs)
{
    std::string body = testsupport::RandomBytes(70000, 2);
    server.SetContent("/f.bin", body);
    std::wstring local = dir.WriteFile(L"f.bin", body);
    ASSERT_EQ(Fetch("/f.bin", local), 1);
    std::vector<std::string> expected = {
        "S:HTTP_DownloadFile",
        "S:Download... 70000",
        "S:Download URL : " + server.Url("/f.bin"),
        "S:HttpFile Open Success",
        "S:Download is already completed",
        "P:100",
    };
    EXPECT_EQ(Events(), expected);
    EXPECT_TRUE(server.RangesSeen("/f.bin") == std::vector<std::string>{""}) << "no range was asked for";
}

TEST_F(Download, HalfFileResumesFromItsEnd)
{
    std::string body = testsupport::RandomBytes(1000000, 3);
    server.SetContent("/f.bin", body);
    std::wstring local = dir.WriteFile(L"f.bin", body.substr(0, 500000));
    ASSERT_EQ(Fetch("/f.bin", local), 1);
    EXPECT_TRUE(SameBytes(dir.ReadFile(L"f.bin"), body));
    std::vector<std::string> events = Events();
    auto has = [&](const std::string& e)
    { return std::find(events.begin(), events.end(), e) != events.end(); };
    EXPECT_TRUE(has("S:Download... 500000"));
    EXPECT_TRUE(has("S:LocalFile SetPos"));
    EXPECT_TRUE(has("S:HttpFile SetPos"));
    EXPECT_TRUE(has("S:Will Download 500000 bytes"));
    EXPECT_TRUE(has("S:Accident : read(500000), real(500000)"));
    ASSERT_FALSE(Percents().empty());
    EXPECT_GE(Percents().front(), 50);
    EXPECT_EQ(server.RangesSeen("/f.bin").back(), "bytes=500000-");
}

// A partial file is only ever continued with the bytes that follow it.
TEST_F(Download, ResumeNeverSplicesWrongBytes)
{
    std::string body = testsupport::RandomBytes(800000, 4);
    server.SetContent("/f.bin", body);

    // The server ignores the range and sends everything: the copy starts over.
    server.SetFault("/f.bin", {.ignoreRange = true});
    std::wstring local = dir.WriteFile(L"ignored.bin", body.substr(0, 300000));
    EXPECT_EQ(Fetch("/f.bin", local), 1);
    EXPECT_TRUE(SameBytes(dir.ReadFile(L"ignored.bin"), body));
    server.ClearFaults();

    // A local file longer than the server's cannot be part of it.
    local = dir.WriteFile(L"longer.bin", body + "trailing bytes");
    EXPECT_EQ(Fetch("/f.bin", local), 1);
    EXPECT_TRUE(SameBytes(dir.ReadFile(L"longer.bin"), body));

    // A cut connection fails the download and keeps the part for the next call.
    server.SetFault("/f.bin", {.cutAfterBytes = 200000, .times = 1});
    local = dir.Join(L"cut.bin");
    EXPECT_NE(Fetch("/f.bin", local), 1);
    EXPECT_LT(dir.ReadFile(L"cut.bin").size(), body.size());
    EXPECT_EQ(Fetch("/f.bin", local), 1);
    EXPECT_TRUE(SameBytes(dir.ReadFile(L"cut.bin"), body));
}

TEST_F(Download, FailuresGiveTheirCodes)
{
    server.SetContent("/chunked.bin", "some bytes");
    server.SetFault("/chunked.bin", {.framing = testsupport::eBodyFraming::Chunked});
    EXPECT_EQ(Fetch("/missing.bin", dir.Join(L"a.bin")), 14054);
    EXPECT_TRUE(app.Logged(L"Function : CGlobalFunctionForScript::HTTP_DownloadFile, Line : 407"));
    EXPECT_EQ(Fetch("/chunked.bin", dir.Join(L"b.bin")), 14008) << "no length: no way to tell a cut copy";

    // The local file cannot be created below a plain file.
    dir.WriteFile(L"plain", "x");
    server.SetContent("/c.bin", "abc");
    EXPECT_NE(Fetch("/c.bin", dir.Join(L"plain/c.bin")), 1);
    EXPECT_TRUE(app.Logged(L"Function : CGlobalFunctionForScript::HTTP_DownloadFile, Line : 397"));

    app.Run("nil_url = gf:HTTP_DownloadFile(nil, 'x', nil, nil)");
    EXPECT_EQ(app.Global("nil_url"), "14005");
}

TEST_F(Download, StopFlagEndsTheDownloadAfterOneRead)
{
    std::string body = testsupport::RandomBytes(3000000, 5);
    server.SetContent("/big.bin", body);
    app.stop = true;
    EXPECT_EQ(Fetch("/big.bin", dir.Join(L"big.bin")), 14042);
    size_t kept = dir.ReadFile(L"big.bin").size();
    EXPECT_GT(kept, 0u);
    EXPECT_LE(kept, 500000u);
    app.stop = false;
    EXPECT_EQ(Fetch("/big.bin", dir.Join(L"big.bin")), 1);
    EXPECT_TRUE(SameBytes(dir.ReadFile(L"big.bin"), body));
}

TEST_F(Download, FileSizeIsTheContentLength)
{
    server.SetContent("/sized.bin", std::string(12345, 'x'));
    app.Run("size = gf:HTTP_GetFileSize('" + server.Url("/sized.bin") +
            "')\n"
            "missing = gf:HTTP_GetFileSize('" +
            server.Url("/none.bin") + "')\n");
    EXPECT_EQ(app.Global("size"), "12345");
    EXPECT_EQ(app.Global("missing"), "0");
    EXPECT_TRUE(
        app.Logged(L"] HTTP_GetFileSize : " + platform::text::Utf8ToWide(server.Url("/sized.bin")) + L"\n"));
}
