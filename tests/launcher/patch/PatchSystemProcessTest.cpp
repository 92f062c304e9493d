#include "launcher/patch/PatchSystemProcess.h"
#include "launcher/app/StringTable.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "launcher/gui/ConsoleLauncherGUI.h"
#include "platform/text/TextCodec.h"
#include "tests/support/StubConnector.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/archive/ZipArchive.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

namespace
{
// The window records which string-table entries the run showed.
class CRecordingGUI : public CConsoleLauncherGUI
{
public:
    CRecordingGUI() : CConsoleLauncherGUI(std::tmpfile()) {}
    void SetTextFromStringTable(uint16_t index, unsigned entry) override
    {
        if (index == kTextStatus) entries.push_back(entry);
        CConsoleLauncherGUI::SetTextFromStringTable(index, entry);
    }
    void SendActionReport(const char* code) override { reports.push_back(code); }
    std::vector<unsigned> entries;
    std::vector<std::string> reports;
};

class CTestApp : public testsupport::CStubConnector
{
public:
    CTestApp()
    {
        std::string csv = "key,value\n";
        for (int i = 1; i < 38; ++i)
            csv += "k" + std::to_string(i) + ",text" + std::to_string(i) + "\n";
        table.Load(csv.data(), csv.size());
        gui.SetConnector(this);
    }
    CFWLauncherGUI* GetLauncherGUI() override { return &gui; }
    CLauncherStringTable* GetStringTable() override { return &table; }

    CFWLStringTable table;
    CRecordingGUI gui;
};

struct sServedGame
{
    testsupport::TempDir dir;
    std::unique_ptr<testsupport::TestHttpServer> server;
    sServedGame()
    {
        dir.WriteFile(L"game/Data/a.bin", std::string(50000, 'a'));
        dir.WriteFile(L"game/Data/b.bin", std::string(70000, 'b'));
        std::string err;
        EXPECT_EQ(testsupport::RunCommand(testsupport::BinaryDir() + "/zpak publish " + dir.NativePath() +
                                              "/game " + dir.NativePath() + "/www",
                                          nullptr, &err),
                  0)
            << err;
        server = std::make_unique<testsupport::TestHttpServer>(dir.NativePath() + "/www");
    }
};

// A patch system reporting to app's window, set up for the served game.
void Configure(CPatchSystemProcess& patch, CTestApp& app, sServedGame& game)
{
    patch.SetConnector(&app);
    patch.SetWindowSink(&app.gui);
    patch.Downloader().AddUrl(platform::text::Utf8ToWide(game.server->Url("")));
    patch.Downloader().SetGameFolder(game.dir.Join(L"client"));
    patch.Downloader().SetPakName(L"res.pak");
}
} // namespace

TEST(PatchSystemProcess, StatusEntriesOfAPatchAndOfANothingToDoRun)
{
    sServedGame game;
    CTestApp app;
    {
        CPatchSystemProcess patch;
        Configure(patch, app, game);
        ASSERT_EQ(patch.StartAutoPatchSystem(), 1);
        EXPECT_EQ(app.gui.entries, (std::vector<unsigned>{9, 10, 11, 12, 13, 15, 16, 18, 20}));
        EXPECT_EQ(app.gui.Progress(kBarTotal), 100);
        EXPECT_EQ(app.gui.Text(kTextStatus), L"text20");
    }
    app.gui.entries.clear();
    CPatchSystemProcess again;
    Configure(again, app, game);
    ASSERT_EQ(again.StartAutoPatchSystem(), 1);
    EXPECT_EQ(app.gui.entries, (std::vector<unsigned>{9, 10, 11, 12, 8, 20}));
    EXPECT_TRUE(app.gui.reports.empty());
}

TEST(PatchSystemProcess, FailuresReportAndStopsEndQuietly)
{
    CTestApp app;
    CPatchSystemProcess patch;
    patch.SetConnector(&app);
    patch.SetWindowSink(&app.gui);
    EXPECT_EQ(patch.StartAutoPatchSystem(), 14087);
    EXPECT_EQ(app.gui.reports, std::vector<std::string>{"launcher.patch.fail.init"});

    testsupport::TestHttpServer empty; // answers 404 for the list
    app.gui.reports.clear();
    patch.Downloader().AddUrl(platform::text::Utf8ToWide(empty.Url("")));
    patch.Downloader().SetPakName(L"res.pak");
    EXPECT_EQ(patch.StartAutoPatchSystem(), ZP::kErrorHttp404);
    EXPECT_EQ(app.gui.reports, std::vector<std::string>{"launcher.patch.fail.downloadfileinfolist"});

    app.stop = true;
    app.gui.entries.clear();
    EXPECT_EQ(patch.StartAutoPatchSystem(), 1) << "a stop request is not an error";
    EXPECT_EQ(app.gui.entries, std::vector<unsigned>{9});

    EXPECT_EQ(CPatchSystemProcess::Percent(100, 150), 100);
    EXPECT_EQ(CPatchSystemProcess::Percent(3, 1), 33);
    EXPECT_EQ(CPatchSystemProcess::Percent(0, 1), -1);
}

// Each patch system reports to its own window, from the thread that runs it; a second system made
// while the first runs takes nothing away from it, and the library's hooks of other threads are
// left alone.
TEST(PatchSystemProcess, HooksReachTheirOwnWindowFromTheRunningThread)
{
    sServedGame game;
    CTestApp app, other;
    CPatchSystemProcess patch;
    Configure(patch, app, game);
    CPatchSystemProcess bystander;
    bystander.SetConnector(&other);
    bystander.SetWindowSink(&other.gui);

    std::vector<uint64_t> mainThreadBytes;
    ZP::sNotifyHooks mine;
    mine.byteProgress = [&](uint64_t, uint64_t done) { mainThreadBytes.push_back(done); };
    ZP::CNotifyHooksScope scope(mine);
    int result = 0;
    std::thread updater([&] { result = patch.StartAutoPatchSystem(); });
    updater.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(app.gui.Progress(kBarTotal), 100);
    EXPECT_EQ(app.gui.Progress(kBarCurrentFile), 100);
    EXPECT_EQ(app.gui.Text(kTextCurrentFile), L"Data/b.bin");
    EXPECT_TRUE(other.gui.entries.empty());
    EXPECT_EQ(other.gui.Text(kTextCurrentFile), L"");
    EXPECT_TRUE(mainThreadBytes.empty());
}

TEST(PatchSystemProcess, ARunThatRefusedServerFileNamesIsNoSuccess)
{
    // A list naming only a file outside the game folder: nothing to download, and still no success.
    CTestApp app;
    testsupport::TempDir dir;
    ZP::vFileInfo list;
    auto* record = new ZP::CFileInfo;
    record->SetName(L"../outside.bin");
    record->base.Loc = ZP::kLocPak;
    list.Add(record);
    ZP::sFileListSaveLoad header;
    header.list = &list;
    ZP::CFile out;
    ASSERT_EQ(out.Open(dir.Join(L"ServerFiles.info").c_str(), ZP::kModeCreate, 0), 1);
    ASSERT_EQ(ZP::CFileInfoUtil::SaveFileList(&out, &header), 1);
    out.Close();
    ASSERT_EQ(ZP::WriteZip(dir.Join(L"list.zip"), {{"_tmp/ServerFiles.info", dir.Join(L"ServerFiles.info")}}),
              1);
    testsupport::TestHttpServer hostile;
    hostile.SetContent("/Info/ServerFiles.zip", dir.ReadFile(L"list.zip"));
    CPatchSystemProcess refusing;
    refusing.SetConnector(&app);
    refusing.Downloader().AddUrl(platform::text::Utf8ToWide(hostile.Url("")));
    refusing.Downloader().SetGameFolder(dir.Join(L"client"));
    refusing.Downloader().SetPakName(L"res.pak");
    EXPECT_EQ(refusing.StartAutoPatchSystem(), ZP::kErrorRefusedServerNames);
}
