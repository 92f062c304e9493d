#include "launcher/info/HttpDownloader.h"
#include "platform/text/TextCodec.h"
#include "tests/support/ScopedTransferLimits.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/file/FileBase.h"
#include "zpak/file/FileHttp.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using testsupport::TestHttpServer;

namespace
{
// Compares without printing megabytes of binary on a failure.
std::wstring W(const std::string& s)
{
    return platform::text::Utf8ToWide(s);
}

class Downloads : public ::testing::Test
{
protected:
    std::wstring Url(const std::string& path) const { return W(server.Url(path)); }

    TestHttpServer server;
    testsupport::TempDir dir;
    IHttpDownloader downloader;
    uint32_t progress = 0;
};

struct sTestRecord : IInfoRecord
{
    std::string loaded;
    int LoadInfoFromMemory(const char* data, uint32_t size) override
    {
        loaded.assign(data, size);
        return 1;
    }
};
} // namespace

TEST_F(Downloads, ErrorStatusesBecomeTheirCodes)
{
    struct
    {
        int status;
        int code;
    } cases[] = {{400, ZP::kErrorHttp400},
                 {403, ZP::kErrorHttp403},
                 {404, ZP::kErrorHttp404},
                 {500, ZP::kErrorInternetQuery},
                 {503, ZP::kErrorInternetQuery}};
    server.SetContent("/f", "body");
    for (const auto& c : cases)
    {
        server.SetFault("/f", {.status = c.status});
        EXPECT_EQ(downloader.CheckHttpFile(Url("/f").c_str()), c.code) << c.status;
        char* buffer = nullptr;
        uint32_t size = 0;
        EXPECT_EQ(downloader.DownloadFileToMemory(Url("/f").c_str(), &buffer, &size), c.code) << c.status;
        EXPECT_EQ(buffer, nullptr);
    }
    // The scheme test is made on a lower-cased copy, and https counts as HTTP too.
    EXPECT_EQ(downloader.CheckFile(W("HTTP://127.0.0.1:" + std::to_string(server.Port()) + "/f").c_str()),
              ZP::kErrorInternetQuery);
    EXPECT_EQ(downloader.CheckFile(dir.Join(L"missing").c_str()), ZP::kErrorFileMissing);
    EXPECT_EQ(downloader.CheckFile(L""), ZP::kErrorInvalidFileName);
    EXPECT_EQ(downloader.CheckHttpFile(L"http://127.0.0.1:1/refused"), ZP::kErrorInternetSession);
}

TEST_F(Downloads, DownloadToMemoryNeedsALengthAndTheWholeBody)
{
    std::string body = testsupport::RandomBytes(300000, 1);
    server.SetContent("/info.dat", body);
    char* buffer = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(downloader.DownloadFileToMemory(Url("/info.dat").c_str(), &buffer, &size), 1);
    EXPECT_TRUE(testsupport::SameBytes(std::string(buffer, size), body));
    EXPECT_EQ(downloader.DownloadFileToMemory(Url("/info.dat").c_str(), &buffer, &size),
              ZP::kErrorInvalidPointer)
        << "an out buffer that is already set is refused";
    ZP::FreeBuffer(buffer);

    buffer = nullptr;
    server.SetFault("/info.dat", {.framing = testsupport::eBodyFraming::Chunked});
    EXPECT_EQ(downloader.DownloadFileToMemory(Url("/info.dat").c_str(), &buffer, &size), ZP::kErrorDataSize);
    EXPECT_EQ(size, 0u);
    server.SetFault("/info.dat", {.cutAfterBytes = 1000});
    EXPECT_EQ(downloader.DownloadFileToMemory(Url("/info.dat").c_str(), &buffer, &size), ZP::kErrorDataSize);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(Downloads, UnopenableUrlIsRetriedEscaped)
{
    server.SetContent("/data/가 b.dat", "escaped body");
    char* buffer = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(downloader.DownloadFileToMemory(Url("/data/가 b.dat").c_str(), &buffer, &size), 1);
    EXPECT_EQ(std::string(buffer, size), "escaped body");
    ZP::FreeBuffer(buffer);
    EXPECT_EQ(server.RequestCount("/data/가 b.dat"), 1) << "the raw URL never reached the server";

    uint32_t written = 0;
    ASSERT_EQ(downloader.DownloadFileToLocalFile(Url("/data/가 b.dat").c_str(),
                                                 dir.Join(L"out/x.dat").c_str(), &written),
              1);
    EXPECT_EQ(written, 12u);
    EXPECT_EQ(dir.ReadFile(L"out/x.dat"), "escaped body");
}

TEST_F(Downloads, ResumeAsksOnceForTheRestAndCompleteFilesAskNothingMore)
{
    std::string body = testsupport::RandomBytes(1 << 20, 2);
    server.SetContent("/big.bin", body);
    std::wstring local = dir.WriteFile(L"big.bin", body.substr(0, body.size() / 2));
    ASSERT_EQ(downloader.DownloadDirectFileToLocalFile(Url("/big.bin").c_str(), local.c_str(), &progress), 1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"big.bin"), body));
    EXPECT_EQ(server.RangesSeen("/big.bin"),
              (std::vector<std::string>{"", "bytes=" + std::to_string(body.size() / 2) + "-"}));

    server.ResetCounters();
    ASSERT_EQ(downloader.DownloadDirectFileToLocalFile(Url("/big.bin").c_str(), local.c_str(), &progress), 1);
    EXPECT_EQ(server.RequestCount("/big.bin"), 1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"big.bin"), body));

    // A fresh file starts at 0 with no range at all.
    server.ResetCounters();
    ASSERT_EQ(downloader.DownloadDirectFileToLocalFile(Url("/big.bin").c_str(),
                                                       dir.Join(L"new/b.bin").c_str(), &progress),
              1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"new/b.bin"), body));
    EXPECT_EQ(server.RangesSeen("/big.bin"), std::vector<std::string>{""});
    EXPECT_EQ(downloader.DownloadDirectFileToLocalFile(Url("/big.bin").c_str(), local.c_str(), nullptr),
              ZP::kErrorDataSize);
}

TEST_F(Downloads, ServerIgnoringRangesNeverGetsSpliced)
{
    std::string body = testsupport::RandomBytes(200000, 3);
    server.SetContent("/f.bin", body);
    server.SetFault("/f.bin", {.ignoreRange = true});
    std::wstring local = dir.WriteFile(L"f.bin", body.substr(0, 50000));
    ASSERT_EQ(downloader.DownloadDirectFileToLocalFile(Url("/f.bin").c_str(), local.c_str(), &progress), 1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"f.bin"), body));

    // A local file longer than the remote one is not a prefix of it either.
    server.ClearFaults();
    dir.WriteFile(L"long.bin", body + "tail");
    ASSERT_EQ(downloader.DownloadDirectFileToLocalFile(Url("/f.bin").c_str(), dir.Join(L"long.bin").c_str(),
                                                       &progress),
              1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"long.bin"), body));
}

TEST_F(Downloads, CutConnectionFailsAndTheNextRunCompletes)
{
    std::string body = testsupport::RandomBytes(3 << 20, 4);
    server.SetContent("/cut.bin", body);
    server.SetFault("/cut.bin", {.cutAfterBytes = 1 << 20, .times = 1});
    std::wstring local = dir.Join(L"cut.bin");
    int r = downloader.DownloadDirectFileToLocalFile(Url("/cut.bin").c_str(), local.c_str(), &progress);
    EXPECT_NE(r, 1);
    std::string partial = dir.ReadFile(L"cut.bin");
    EXPECT_LE(partial.size(), size_t(1) << 20);
    EXPECT_TRUE(testsupport::SameBytes(partial, body.substr(0, partial.size())))
        << "what was written is a true prefix";

    ASSERT_EQ(downloader.DownloadDirectFileToLocalFile(Url("/cut.bin").c_str(), local.c_str(), &progress), 1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"cut.bin"), body));
}

TEST_F(Downloads, StalledServerEndsWithinTheTimeLimit)
{
    testsupport::ScopedTransferLimits limits({.stall = std::chrono::milliseconds(1000)});
    server.SetContent("/slow.bin", testsupport::RandomBytes(100000, 5));
    server.SetFault("/slow.bin", {.stallAfterBytes = 10000, .stallFor = std::chrono::milliseconds(8000)});
    auto start = std::chrono::steady_clock::now();
    int r = downloader.DownloadDirectFileToLocalFile(Url("/slow.bin").c_str(), dir.Join(L"slow.bin").c_str(),
                                                     &progress);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r, 12002);
    EXPECT_LT(seconds, 6.0);
}

TEST_F(Downloads, UrlTooLongForTheRangeRequestIsRefused)
{
    std::string path = "/" + std::string(300, 'a');
    std::string body = testsupport::RandomBytes(10000, 6);
    server.SetContent(path, body);
    std::wstring local = dir.WriteFile(L"long.bin", body.substr(0, 100));
    // No range request is made; the copy goes on from the whole response already open.
    ASSERT_EQ(downloader.DownloadDirectFileToLocalFile(Url(path).c_str(), local.c_str(), &progress), 1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"long.bin"), body));
    EXPECT_EQ(server.RangesSeen(path), std::vector<std::string>{""});
}

TEST_F(Downloads, NoDiskSpaceIsRefusedBeforeWriting)
{
    struct CFull : ZP::ZP_CommonFunction
    {
        bool HasFreeSpace(std::wstring_view, uint64_t) override { return false; }
    } full;
    ZP::SetCommonFunction(&full);
    uint32_t written = 0;
    int r = downloader.WriteDataToLocalFile(dir.Join(L"w.bin").c_str(), "abc", 3, &written);
    server.SetContent("/d.bin", "data");
    int direct = downloader.DownloadDirectFileToLocalFile(Url("/d.bin").c_str(), dir.Join(L"d.bin").c_str(),
                                                          &progress);
    ZP::SetCommonFunction(nullptr);
    EXPECT_EQ(r, ZP::kErrorDiskFull);
    EXPECT_EQ(direct, ZP::kErrorDiskFull);
    EXPECT_FALSE(ZP::FileExists(dir.Join(L"w.bin")));
}

TEST_F(Downloads, TwoThreadsShareTheLockAndBothFinishIntact)
{
    std::string a = testsupport::RandomBytes(4 << 20, 7), b = testsupport::RandomBytes(3 << 20, 8);
    server.SetContent("/a.bin", a);
    server.SetContent("/b.bin", b);
    int ra = 0, rb = 0;
    std::thread ta(
        [&]
        {
            IHttpDownloader d;
            uint32_t p = 0;
            ra = d.DownloadDirectFileToLocalFile(Url("/a.bin").c_str(), dir.Join(L"a.bin").c_str(), &p);
        });
    std::thread tb(
        [&]
        {
            IHttpDownloader d;
            char* buffer = nullptr;
            uint32_t size = 0;
            rb = d.DownloadFileToMemory(Url("/b.bin").c_str(), &buffer, &size);
            if (rb == 1)
            {
                rb = std::string(buffer, size) == b ? 1 : -1;
                ZP::FreeBuffer(buffer);
            }
        });
    ta.join();
    tb.join();
    EXPECT_EQ(ra, 1);
    EXPECT_EQ(rb, 1);
    EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"a.bin"), a));
}

TEST_F(Downloads, InfoDownloadersLoadTheRecord)
{
    server.SetContent("/GameInfo.dat", "GameInfo:SetName('x')");
    sTestRecord record;
    IGameInfoDownloader games;
    ASSERT_EQ(games.DownloadGameInfo(Url("/GameInfo.dat").c_str(), &record), 1);
    EXPECT_EQ(record.loaded, "GameInfo:SetName('x')");
    EXPECT_EQ(server.RequestCount("/GameInfo.dat"), 2) << "one request for the check, one for the data";
    EXPECT_EQ(games.DownloadGameInfo(Url("/GameInfo.dat").c_str(), nullptr), ZP::kErrorInvalidPointer);
    ILauncherInfoDownloader launcher;
    EXPECT_EQ(launcher.DownloadLauncherInfo(Url("/nope").c_str(), &record), ZP::kErrorHttp404);
}
