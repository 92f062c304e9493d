#include "launcher/patch/Downloader.h"
#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/archive/ZipArchive.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"

#include <gtest/gtest.h>

using namespace ZP;

namespace
{
std::wstring W(const std::string& s)
{
    return platform::text::Utf8ToWide(s);
}

// A list archive holding "_tmp/<stem>.info" with the given names.
std::string ListArchive(const std::wstring& stem, const std::vector<std::wstring>& names)
{
    testsupport::TempDir dir;
    vFileInfo list;
    for (const auto& n : names)
    {
        auto* r = new CFileInfo;
        r->SetName(n);
        r->base.Loc = kLocPak;
        list.Add(r);
    }
    CFile out;
    EXPECT_EQ(out.Open(dir.Join(L"list.info").c_str(), kModeCreate, 0), 1);
    sFileListSaveLoad header;
    header.list = &list;
    EXPECT_EQ(CFileInfoUtil::SaveFileList(&out, &header), 1);
    out.Close();
    std::string entry = "_tmp/" + platform::text::WideToUtf8(stem) + ".info";
    EXPECT_EQ(WriteZip(dir.Join(L"a.zip"), {{entry, dir.Join(L"list.info")}}), 1);
    return dir.ReadFile(L"a.zip");
}

std::string VersionRecord(uint32_t version, const std::wstring& path)
{
    testsupport::TempDir dir;
    CFile out;
    EXPECT_EQ(out.Open(dir.Join(L"v").c_str(), kModeCreate, 0), 1);
    sListVersion v{version, path};
    uint32_t n = 0;
    EXPECT_EQ(CFileInfoUtil::WriteVersionRecord(&out, &v, &n), 1);
    out.Close();
    return dir.ReadFile(L"v");
}
} // namespace

TEST(Downloader, UrlsStartWithTheOneThatAnsweredLast)
{
    CDownloader d;
    for (const wchar_t* u : {L"http://a", L"http://b", L"http://c"})
        d.AddUrl(u);
    d.ResetUrlCursor();
    EXPECT_EQ(d.NextUrl(), L"http://a");
    EXPECT_EQ(d.NextUrl(), L"http://b"); // b is now the preferred one
    d.ResetUrlCursor();
    std::vector<std::wstring> order;
    for (std::wstring u = d.NextUrl(); !u.empty(); u = d.NextUrl())
        order.push_back(u);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"http://b", L"http://a", L"http://c"}));
}

TEST(Downloader, ServerFileNamesCarryTheRecordsStamp)
{
    CFileInfo r;
    r.SetName(L"KVGame/a.upk");
    r.base.Date = 20110315;
    r.base.Time = 93000;
    EXPECT_EQ(CDownloader::ServerFileUrl(r, L"http://h/base"),
              L"http://h/base/Datas/KVGame/a.upk_20110315_093000.dat");
    r.base.Date = r.base.Time = 0;
    r.base.FileTime = 1700000000;
    EXPECT_EQ(CDownloader::ServerFileUrl(r, L"http://h"),
              L"http://h/Datas/KVGame/a.upk_" + TimeStamp(LocalTime(1700000000)) + L".dat");
}

TEST(Downloader, ListComesFromTheArchiveTheVersionRecordNames)
{
    testsupport::TestHttpServer server;
    server.SetContent("/Version/FileInfoVersion.ver", VersionRecord(16777217, L"Info/S.zip"));
    server.SetContent("/Info/S.zip", ListArchive(L"S", {L"a/one.bin", L"b/two.bin"}));
    CDownloader d;
    d.AddUrl(W(server.Url("")));
    ASSERT_EQ(d.FetchServerList(), 1);
    EXPECT_EQ(d.ServerList().Count(), 2u);
    EXPECT_EQ(server.RequestCount("/Info/S.zip"), 1);
    EXPECT_EQ(server.RequestCount("/Info/ServerFiles.zip"), 0);

    // Without a version record the default archive is fetched.
    testsupport::TestHttpServer plain;
    plain.SetContent("/Info/ServerFiles.zip", ListArchive(L"ServerFiles", {L"x.bin"}));
    CDownloader e;
    e.AddUrl(W(plain.Url("")));
    ASSERT_EQ(e.FetchServerList(), 1);
    EXPECT_EQ(e.ServerList().Count(), 1u);

    // A hostile name in the list is dropped before anything uses it.
    testsupport::TestHttpServer hostile;
    hostile.SetContent("/Info/ServerFiles.zip", ListArchive(L"ServerFiles", {L"../up.bin", L"ok.bin"}));
    CDownloader f;
    f.AddUrl(W(hostile.Url("")));
    ASSERT_EQ(f.FetchServerList(), 1);
    ASSERT_EQ(f.ServerList().Count(), 1u);
    EXPECT_EQ(f.ServerList().At(0)->Name(), L"ok.bin");
    EXPECT_EQ(f.RefusedNames(), std::vector<std::wstring>{L"../up.bin"}) << "kept to be reported";

    CDownloader none;
    EXPECT_EQ(none.Prepare(L"/nowhere", L"res.pak"), 14087);
}

// A URL that opens nowhere is a status of the run (a normal log line through the log-text hook),
// not an error text; and a stop raised before the run is not cleared by it.
TEST(Downloader, UnopenableUrlIsAStatusAndAStopRaisedEarlierHolds)
{
    testsupport::TestHttpServer server;
    CDownloader d;
    std::vector<std::wstring> statuses, errors;
    d.Hooks().logText = [&](const wchar_t* t) { statuses.emplace_back(t); };
    d.Hooks().errorText = [&](const wchar_t* t) { errors.emplace_back(t); };
    CFileHttp http;
    const std::wstring url = W(server.Url("/missing.dat"));
    EXPECT_EQ(d.OpenUrl(&http, url), kErrorHttp404);
    EXPECT_EQ(statuses, std::vector<std::wstring>{L"[Url Open 실패] [ErrCode:14054] " + url});
    EXPECT_TRUE(errors.empty());

    server.SetContent("/Info/ServerFiles.zip", ListArchive(L"ServerFiles", {L"x.bin"}));
    testsupport::TempDir game;
    d.AddUrl(W(server.Url("")));
    CStopper::SetStopRequested(true);
    struct sClear
    {
        ~sClear() { CStopper::SetStopRequested(false); }
    } clear;
    EXPECT_EQ(d.Prepare(game.Path(), L"res.pak"), kErrorStopped);
    EXPECT_EQ(server.RequestCount("/Info/ServerFiles.zip"), 0);
}

TEST(Downloader, AFullDiskIsReportedAsSuchNotAsNoServerLeft)
{
    testsupport::TempDir dir;
    dir.WriteFile(L"game/a.bin", std::string(40000, 'a'));
    std::string err;
    ASSERT_EQ(testsupport::RunCommand(testsupport::BinaryDir() + "/zpak publish '" + dir.NativePath() +
                                          "/game' '" + dir.NativePath() + "/server'",
                                      nullptr, &err),
              0)
        << err;
    testsupport::TestHttpServer server(dir.NativePath() + "/server");
    struct CFullDisk : ZP_CommonFunction
    {
        bool GetFreeSpace(std::wstring_view, uint64_t& bytes) override
        {
            bytes = 0;
            return true;
        }
    } full;
    CDownloader d;
    d.AddUrl(W(server.Url("")));
    d.AddUrl(W(server.Url(""))); // a second server cannot help either
    SetCommonFunction(&full);
    int r = d.Run(dir.Join(L"client"), L"res.pak");
    SetCommonFunction(nullptr);
    EXPECT_EQ(r, kErrorNoDiskSpace);
    EXPECT_EQ(d.FailedSubject(), L"a.bin");
}
