#include "launcher/app/BuildSettings.h"
#include "launcher/app/RestartProcessClone.h"
#include "launcher/app/SelfUpdateStep.h"
#include "platform/fs/FileReplace.h"
#include "platform/fs/FileSystem.h"
#include "platform/process/CommandLine.h"
#include "platform/text/TextCodec.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace
{
namespace stdfs = std::filesystem;
const std::string kContents = "/launcher/LauncherContents/";

// Runs as if from modulePath and records the successors it would start.
class CTestRestart : public CRestartProcessClone
{
public:
    int CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments) override
    {
        started.emplace_back(path, arguments);
        return startAnswer;
    }
    std::wstring ModulePath() override { return modulePath; }

    std::wstring modulePath;
    int startAnswer = 1;
    std::vector<std::pair<std::wstring, std::wstring>> started;
};

// A launcher folder holding the old launcher (a program) and its resource module, and a launcher
// server offering version `serverVersion` with new files.
class CRestartApp : public testsupport::CScriptTestApp
{
public:
    explicit CRestartApp(const std::string& serverVersion)
    {
        SetCurrentScript(&host);
        launcherPath = folder.WriteFile(L"VelmoraLauncher", "old launcher");
        stdfs::permissions(folder.NativePath() + "/VelmoraLauncher", kProgram);
        folder.WriteFile(L"FWLDRS.dll", "old pack");
        server.SetContent(kContents + "LauncherInfo.dat", "li = LauncherScriptObject:GetLauncherInfo()\n"
                                                          "li:SetLauncherVersion('" +
                                                              serverVersion +
                                                              "')\nli:SetLauncherServerURL('" +
                                                              server.Url(kContents) + "')\n");
        server.SetContent(kContents + "VelmoraLauncher", "new launcher");
        server.SetContent(kContents + "FWLDRS.dll", "new pack");

        sRestartSettings settings = LauncherRestartSettings();
        settings.infoBaseURL = platform::text::Utf8ToWide(server.Url(""));
        settings.clientVersion = L"0.11";
        restart.SetSettings(settings);
        restart.GetLauncherInfo()->SetCurrentPath((folder.Path() + L"/").c_str());
        restart.SetConnector(this);
    }
    ~CRestartApp() override { SetCurrentScript(nullptr); }
    CRestartProcess* GetRestartProcess() override { return &restart; }

    // Initialises the restart process as if it ran from the folder under `name`.
    void RunAs(const std::wstring& name)
    {
        restart.modulePath = folder.Join(name);
        ASSERT_EQ(restart.Initialize(), 1);
    }
    stdfs::perms Perms(const std::wstring& name) const
    {
        return stdfs::status(platform::fs::NativePath(folder.Join(name))).permissions() & stdfs::perms::mask;
    }
    bool Has(const std::wstring& name) const { return platform::fs::Exists(folder.Join(name)); }

    static constexpr stdfs::perms kProgram =
        stdfs::perms::owner_all | stdfs::perms::group_read | stdfs::perms::group_exec;
    testsupport::TempDir folder;
    testsupport::TestHttpServer server;
    CTestRestart restart;
    std::wstring launcherPath;
    testsupport::ScopedValue<sSelfUpdateTimes> waits{SelfUpdateTimes()};
};
} // namespace

TEST(RestartProcess, ModuleTypeComesFromTheExecutablesName)
{
    struct
    {
        const wchar_t* path;
        int type;
    } cases[] = {
        {L"/opt/velmora/VelmoraLauncher", kModuleTypeNormal},
        {L"/opt/velmora/VELMORALAUNCHER.CLN", kModuleTypeClone},
        {L"/opt/VelmoraLauncher.cln/VelmoraLauncher", kModuleTypeNormal},
        {L"/opt/velmora/VelmoraLauncher.cln.old", kModuleTypeNormal},
        {L"", kModuleTypeAbnormal},
    };
    for (const auto& c : cases)
    {
        CTestRestart restart;
        restart.SetSettings(LauncherRestartSettings());
        restart.modulePath = c.path;
        ASSERT_EQ(restart.Initialize(), 1);
        EXPECT_EQ(restart.GetModuleType(), c.type) << c.path;
        if (c.type == kModuleTypeAbnormal)
        {
            EXPECT_EQ(restart.Restart(), 0);
        }
    }
}

TEST(RestartProcess, SameVersionDeletesLeftoversAndGoesOnWithoutDownloading)
{
    CRestartApp app("0.11");
    for (const wchar_t* leftover : {L"VelmoraLauncher.cln", L"FWLDRS.cln", L"VelmoraLauncher.part",
                                    L"FWLDRS.dll.part", L"FWLDRS.cln.part"})
        app.folder.WriteFile(leftover, "left by a killed run");
    app.RunAs(L"VelmoraLauncher");
    EXPECT_EQ(app.restart.Restart(), 1);
    for (const wchar_t* leftover : {L"VelmoraLauncher.cln", L"FWLDRS.cln", L"VelmoraLauncher.part",
                                    L"FWLDRS.dll.part", L"FWLDRS.cln.part"})
        EXPECT_FALSE(app.Has(leftover)) << leftover;
    EXPECT_EQ(app.folder.ReadFile(L"VelmoraLauncher"), "old launcher");
    EXPECT_EQ(app.server.RequestCount(kContents + "VelmoraLauncher"), 0);
    EXPECT_TRUE(app.restart.started.empty());
    EXPECT_TRUE(app.Logged(L"CurrentVersion : 0.11, ClientVersion : 0.11"));
}

// Versions are not ordered: an older server version is an update too.
TEST(RestartProcess, NormalLauncherOfAnotherVersionStartsItsCloneWithItsArguments)
{
    for (const char* serverVersion : {"0.12", "0.10"})
    {
        SCOPED_TRACE(serverVersion);
        CRestartApp app(serverVersion);
        testsupport::OnScopeExit restore([saved = platform::process::OwnArguments()]
                                         { platform::process::SetOwnArguments(saved); });
        platform::process::SetOwnArguments({app.launcherPath, L"GameId=7|AuthCode=a b", L"x"});
        app.RunAs(L"VelmoraLauncher");
        EXPECT_EQ(app.restart.Restart(), ZP::kRestartNeeded);

        EXPECT_EQ(app.folder.ReadFile(L"VelmoraLauncher.cln"), "old launcher");
        EXPECT_EQ(app.Perms(L"VelmoraLauncher.cln"), CRestartApp::kProgram) << "the clone must be a program";
        EXPECT_EQ(app.folder.ReadFile(L"FWLDRS.cln"), "old pack");
        EXPECT_EQ(app.folder.ReadFile(L"VelmoraLauncher"), "old launcher")
            << "the normal launcher replaces nothing";
        ASSERT_EQ(app.restart.started.size(), 1u);
        EXPECT_EQ(app.restart.started[0].first, app.folder.Join(L"VelmoraLauncher.cln"));
        EXPECT_EQ(app.restart.started[0].second, L"GameId=7|AuthCode=a b x ")
            << "arguments are not re-quoted";
    }
}

TEST(RestartProcess, CloneReplacesResourceModuleThenLauncherAndStartsTheLauncher)
{
    // The clone does not compare versions again.
    CRestartApp app("0.11");
    app.folder.WriteFile(L"VelmoraLauncher.cln", "old launcher");
    app.RunAs(L"VelmoraLauncher.cln");
    ASSERT_EQ(app.restart.GetModuleType(), kModuleTypeClone);
    EXPECT_EQ(app.restart.Restart(), ZP::kRestartNeeded);

    EXPECT_EQ(app.folder.ReadFile(L"VelmoraLauncher"), "new launcher");
    EXPECT_EQ(app.Perms(L"VelmoraLauncher"), CRestartApp::kProgram)
        << "the new launcher must start like the old";
    EXPECT_EQ(app.folder.ReadFile(L"FWLDRS.dll"), "new pack");
    EXPECT_FALSE(app.Has(L"VelmoraLauncher.part"));
    ASSERT_EQ(app.restart.started.size(), 1u);
    EXPECT_EQ(app.restart.started[0].first, app.folder.Join(L"VelmoraLauncher"));

    std::vector<std::wstring> lines = app.LogLines();
    auto at = [&](const wchar_t* part)
    {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(part) != std::wstring::npos) return static_cast<long>(i);
        return -1L;
    };
    EXPECT_GE(at(L"Download New DLL : "), 0);
    EXPECT_LT(at(L"Download New DLL : "), at(L"Download New Launcher : "))
        << "a run killed between the two must leave the old launcher, which updates again";
}

TEST(RestartProcess, FailuresLeaveTheLauncherAndStartNothing)
{
    struct
    {
        const char* what;
        const wchar_t* runAs;
        int result;
        std::string brokenPath; // answers 404
        const wchar_t* missing; // removed from the folder first
        int startAnswer;
    } cases[] = {
        {"no launcher information", L"VelmoraLauncher", ZP::kErrorHttp404, kContents + "LauncherInfo.dat",
         nullptr, 1},
        {"no launcher to clone", L"VelmoraLauncher", ZP::kErrorCloneCreate, "", L"VelmoraLauncher", 1},
        {"no resource module to clone", L"VelmoraLauncher", ZP::kErrorCloneCreate, "", L"FWLDRS.dll", 1},
        {"clone cannot be started", L"VelmoraLauncher", ZP::kErrorProcessCreate, "", nullptr,
         ZP::kErrorProcessCreate},
        {"new launcher not on the server", L"VelmoraLauncher.cln", ZP::kErrorHttp404,
         kContents + "VelmoraLauncher", nullptr, 1},
        {"local launcher never there", L"VelmoraLauncher.cln", ZP::kErrorInvalidHandle, "",
         L"VelmoraLauncher", 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CRestartApp app("0.12");
        SelfUpdateTimes().fileRetryMs = 1;
        if (!c.brokenPath.empty()) app.server.SetFault(c.brokenPath, {.status = 404});
        if (c.missing) platform::fs::RemoveFile(app.folder.Join(c.missing));
        app.restart.startAnswer = c.startAnswer;
        app.RunAs(c.runAs);
        EXPECT_EQ(app.restart.Restart(), c.result);
        if (!c.missing || std::wstring(c.missing) != L"VelmoraLauncher")
        {
            EXPECT_EQ(app.folder.ReadFile(L"VelmoraLauncher"), "old launcher");
        }
        if (c.startAnswer == 1)
        {
            EXPECT_TRUE(app.restart.started.empty());
        }
        EXPECT_FALSE(app.Has(L"VelmoraLauncher.part"));
    }
}

TEST(LauncherBuildSettings, ServerFromTheEnvironmentWithoutItsTrailingSlash)
{
    {
        testsupport::ScopedEnv server("VELMORA_LAUNCHER_SERVER", "http://127.0.0.1:8080/");
        EXPECT_EQ(LauncherInfoServerAddress(), L"http://127.0.0.1:8080");
        sRestartSettings settings = LauncherRestartSettings();
        EXPECT_EQ(settings.infoBaseURL + settings.infoPath + settings.infoFile,
                  L"http://127.0.0.1:8080/launcher/LauncherContents/LauncherInfo.dat");
        EXPECT_EQ(settings.clientVersion, LauncherOwnVersion());
    }
    testsupport::ScopedEnv unset("VELMORA_LAUNCHER_SERVER", nullptr);
    EXPECT_NE(LauncherInfoServerAddress(), L"http://127.0.0.1:8080") << "the built-in address comes back";
}
