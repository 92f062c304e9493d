#include "launcher/app/StringTable.h"
#include "launcher/gui/ConsoleLauncherGUI.h"
#include "launcher/patch/PatchSystemProcess.h"
#include "platform/text/TextCodec.h"
#include "tests/support/StubConnector.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace
{
// The window records which string-table entries the run showed.
class CRecordingGUI : public CConsoleLauncherGUI
{
public:
    CRecordingGUI() : CConsoleLauncherGUI(std::tmpfile()) {}
    void SetTextFromStringTable(uint16_t index, unsigned entry) override
    {
        if (index == kTextStatus)
            entries.push_back(entry);
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
        EXPECT_EQ(testsupport::RunCommand(testsupport::BinaryDir() + "/zpak publish " + dir.NativePath() + "/game " +
                                              dir.NativePath() + "/www",
                                          nullptr, &err),
                  0)
            << err;
        server = std::make_unique<testsupport::TestHttpServer>(dir.NativePath() + "/www");
    }
};
} // namespace

TEST(PatchSystemProcess, StatusEntriesOfAPatchAndOfANothingToDoRun)
{
    sServedGame game;
    CTestApp app;
    {
        CPatchSystemProcess patch;
        patch.SetConnector(&app);
        patch.SetWindowSink(&app.gui);
        patch.Downloader().AddUrl(platform::text::Utf8ToWide(game.server->Url("")));
        patch.Downloader().SetGameFolder(game.dir.Join(L"client"));
        patch.Downloader().SetPakName(L"res.pak");
        ASSERT_EQ(patch.StartAutoPatchSystem(), 1);
        EXPECT_EQ(app.gui.entries, (std::vector<unsigned>{9, 10, 11, 12, 13, 15, 16, 18, 20}));
        EXPECT_EQ(app.gui.Progress(kBarTotal), 100);
        EXPECT_EQ(app.gui.Text(kTextStatus), L"text20");
    }
    app.gui.entries.clear();
    CPatchSystemProcess again;
    again.SetConnector(&app);
    again.SetWindowSink(&app.gui);
    again.Downloader().AddUrl(platform::text::Utf8ToWide(game.server->Url("")));
    again.Downloader().SetGameFolder(game.dir.Join(L"client"));
    again.Downloader().SetPakName(L"res.pak");
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
