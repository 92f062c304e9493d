// The install check (the updater's, which ends the process, and the script's, which runs the
// installer), the installer download with its progress, resumption and stop.
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextCodec.h"
#include "tests/launcher/workflow/WorkflowApp.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;
using namespace workflowtest;

namespace
{
const wchar_t* kQuestion = L"게임이 설치되어 있지 않습니다. 다운로드 페이지로 이동하시겠습니까?";

// A manager that knows the game "vel" under the default registry names.
void HandOff(CTestManager& manager)
{
    manager.SetRegistryName(kRegRootKey, L"SOFTWARE\\Quillmark");
    manager.SetRegistryName(kRegProduct, L"Velmora");
    manager.SetRegistryName(kRegInstallDir, L"Install_Dir");
    manager.SetRegistryName(kRegPatcher, L"Patcher");
    manager.SetRegistryName(kRegArgument, L"Argument");
    manager.SetField(kFieldGameId, L"vel");
}

void RegisterInstall(const std::wstring& folder)
{
    platform::registry::Key key;
    ASSERT_TRUE(key.Create(platform::registry::eRoot::LocalMachine, L"SOFTWARE\\Quillmark\\vel"));
    ASSERT_TRUE(key.SetValue(L"Install_Dir", platform::registry::sValue::Text(folder)));
    ASSERT_TRUE(key.SetValue(L"Patcher", platform::registry::sValue::Text(L"VelmoraPatcher")));
}

// An xdg-open on PATH that writes the URL it was given into a file.
class CStandInOpener
{
public:
    CStandInOpener()
        : m_path("PATH",
                 m_dir.NativePath() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin"))
    {
        WriteProgram(fs::path(m_dir.NativePath()) / "xdg-open",
                     "#!/bin/sh\nprintf '%s' \"$1\" > \"" + Record().string() + ".part\" && mv \"" +
                         Record().string() + ".part\" \"" + Record().string() + "\"\n");
    }
    fs::path Record() const { return fs::path(m_dir.NativePath()) / "opened-url"; }

private:
    testsupport::TempDir m_dir;
    testsupport::ScopedEnv m_path;
};
} // namespace

TEST(InstallTest, InstalledGamePassesTheCheckWithoutAQuestion)
{
    testsupport::RegistrySandbox sandbox;
    CWorkflowApp app;
    HandOff(app.manager);
    RegisterInstall(L"/games/velmora");
    EXPECT_EQ(app.implement.CheckInstallVM(), 1);
    EXPECT_EQ(app.implement.CheckInstall(), 1);
    EXPECT_TRUE(app.box->shown.empty());
    EXPECT_EQ(app.manager.GetField(kFieldInstallDir), L"/games/velmora");
}

TEST(InstallTest, MissingGameAsksThenEndsTheProcess)
{
    struct
    {
        int answer;
        const char* report;
        bool pageOpened;
    } cases[] = {
        {7, "launcher.start.fail.cancelinstall", false},
        {6, "launcher.start.fail.moveinstallpage", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.report);
        testsupport::RegistrySandbox sandbox;
        CStandInOpener opener;
        CWorkflowApp app;
        HandOff(app.manager);
        app.Run("LauncherScriptObject:GetGameInfo():SetInstallUrl('http://portal.example/install?game=vel')");
        app.box->answer = c.answer;
        int exitCode = -1;
        try
        {
            app.implement.CheckInstallVM();
        }
        catch (const sProcessEnded& ended)
        {
            exitCode = ended.exitCode;
        }
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(app.box->shown, std::vector<std::wstring>{kQuestion});
        EXPECT_EQ(app.window.reports, std::vector<std::string>{c.report});
        EXPECT_EQ(app.window.closeLock, 1) << "the close is the program's, not the player's";
        EXPECT_EQ(app.window.closeRequests, 1);
        if (c.pageOpened)
        {
            ASSERT_TRUE(WaitForFile(opener.Record()));
            EXPECT_EQ(ReadText(opener.Record()), "http://portal.example/install?game=vel");
        }
        else
        {
            EXPECT_FALSE(fs::exists(opener.Record()));
        }
    }
}

TEST(InstallTest, MissingGameEndsTheRealProcessWithExitCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testsupport::RegistrySandbox sandbox;
    EXPECT_EXIT(
        {
            CWorkflowApp app;
            HandOff(app.manager);
            CFWLImplement real;
            real.SetConnector(&app);
            real.CheckInstallVM();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(InstallTest, ScriptInstallRunsTheDownloadedInstallerThenFindsTheGame)
{
    testsupport::RegistrySandbox sandbox;
    testsupport::TempDir dir;
    testsupport::ScopedEnv temp("TEMP", dir.NativePath());
    fs::path game = fs::path(dir.NativePath()) / "installed game";
    testsupport::TestHttpServer server;
    // The installer registers the game the way a real one does, through the registry.
    server.SetContent("/setup/VelmoraSetup",
                      "#!/bin/sh\n'" + testsupport::BinaryDir() +
                          "/velmora-reg' set HKLM 'SOFTWARE\\Quillmark\\vel' Install_Dir '" + game.string() +
                          "'\n'" + testsupport::BinaryDir() +
                          "/velmora-reg' set HKLM 'SOFTWARE\\Quillmark\\vel' Patcher Patcher\n");

    CWorkflowApp app;
    HandOff(app.manager);
    app.manager.SetField(kFieldFullClient, platform::text::Utf8ToWide(server.Url("/setup/VelmoraSetup")));
    app.manager.SetField(kFieldInstallFile, L"VelmoraSetup");
    app.box->answer = 7; // no folder chosen: the temporary folder

    EXPECT_EQ(app.implement.CheckInstall(), 1);
    EXPECT_EQ(app.manager.GetField(kFieldInstallDir), game.wstring());
    EXPECT_TRUE(fs::exists(fs::path(dir.NativePath()) / "VelmoraSetup"));
    EXPECT_EQ(app.window.showStates, (std::vector<int>{2, 1})) << "minimised while the installer runs";
    ASSERT_FALSE(app.window.texts[1].empty());
    EXPECT_EQ(app.window.texts[1].front(), L"#4");
    EXPECT_EQ(app.window.texts[1].back(), L"#6");
    EXPECT_EQ(app.window.bars[0].back(), 100);
}

TEST(InstallTest, InstallerDownloadResumesShowsProgressAndStops)
{
    const std::string installer = testsupport::PatternBytes(20000, 7, 13);
    struct
    {
        const char* what;
        size_t present;
        testsupport::sHttpFault fault;
        bool stop;
        int result;
        size_t expectedSize;
        int firstPercent;
    } cases[] = {
        {"fresh", 0, {}, false, 1, 20000, 20},
        {"half present: the rest only", 10000, {}, false, 1, 20000, 70},
        {"complete: nothing read", 20000, {}, false, 1, 20000, 100},
        {"server ignores the range: started over", 10000, {.ignoreRange = true}, false, 1, 20000, 20},
        {"stopped after the first block", 0, {}, true, ZP::kErrorDownload, 4096, 20},
        {"body cut: ends instead of waiting for ever", 0, {.cutAfterBytes = 9000}, false, -1, 0, 20},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        testsupport::TestHttpServer server;
        server.SetContent("/setup.bin", installer);
        server.SetFault("/setup.bin", c.fault);
        std::wstring local = dir.WriteFile(L"setup.bin", installer.substr(0, c.present));
        CWorkflowApp app;
        app.stop = c.stop;
        std::wstring url = platform::text::Utf8ToWide(server.Url("/setup.bin"));
        int r = app.implement.DownloadClient_InstallVersion(url.c_str(), local.c_str());
        if (c.result == -1)
        {
            EXPECT_NE(r, 1);
            continue;
        }
        EXPECT_EQ(r, c.result);
        std::string written = dir.ReadFile(L"setup.bin");
        EXPECT_TRUE(testsupport::SameBytes(written, installer.substr(0, c.expectedSize)));
        ASSERT_FALSE(app.window.bars[0].empty());
        EXPECT_EQ(app.window.bars[0].front(), c.firstPercent);
        EXPECT_EQ(app.window.bars[0], app.window.bars[1]) << "both bars show the installer";
        if (c.result == 1) EXPECT_EQ(app.window.bars[0].back(), 100);
        if (c.present == 10000 && !c.fault.ignoreRange)
            EXPECT_EQ(server.RangesSeen("/setup.bin").back(), "bytes=10000-");
    }
}
