// The game start: the client of the game information (or the registry's patcher) started with its
// argument, through folders with blanks; the script's replacement and after-start functions; the
// options and the end of the run.
#include "platform/fs/FileSystem.h"
#include "tests/launcher/workflow/WorkflowApp.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace workflowtest;

namespace
{
// demo-game copied to a path below the folder.
fs::path InstallDemoGame(const fs::path& folder, const std::string& relative)
{
    fs::path target = folder / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(testsupport::BinaryDir() + "/demo-game", target, fs::copy_options::overwrite_existing);
    return target;
}

// The record demo-game writes: its working folder, then its arguments.
struct sGameStart
{
    std::string cwd;
    std::vector<std::string> args;
};

sGameStart ReadRecord(const fs::path& path)
{
    sGameStart start;
    std::istringstream lines(ReadText(path));
    for (std::string line; std::getline(lines, line);)
    {
        if (line.rfind("cwd\t", 0) == 0) start.cwd = line.substr(4);
        if (line.rfind("arg\t", 0) == 0) start.args.push_back(line.substr(4));
    }
    return start;
}
} // namespace

TEST(GameStartTest, ClientStartsThroughFoldersWithBlanks)
{
    struct
    {
        const char* what;
        bool infoLoaded;
        std::vector<std::string> expectedArgs;
    } cases[] = {
        {"the game information's 64-bit client with the authentication code", true, {"AuthKey-7f3a"}},
        {"without game information, the registry's patcher and argument",
         false,
         {"-fast", "--from launcher"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        fs::path install = fs::path(dir.NativePath()) / "My Games" / "Velmora Online";
        fs::path record = fs::path(dir.NativePath()) / "record.txt";
        testsupport::ScopedEnv recordEnv("VELMORA_DEMO_GAME_RECORD", record.string());
        InstallDemoGame(install, "client bin/demo-game");
        InstallDemoGame(install, "Patcher Tool/demo-game");

        CWorkflowApp app;
        app.manager.SetField(kFieldInstallDir, install.wstring());
        app.manager.SetField(kFieldPatcher, L"Patcher Tool/demo-game");
        app.manager.SetField(kFieldRegArgument, L"-fast \"--from launcher\"");
        if (c.infoLoaded)
        {
            // The 32-bit client does not exist: only a 64-bit system's choice can start.
            std::string chunk = "local gi = LauncherScriptObject:GetGameInfo()\n"
                                "gi:SetExeFileName('demo-game')\n"
                                "gi:SetExe32Path('client32/demo-game')\n"
                                "gi:SetExe64Path('client bin/demo-game')\n";
            ASSERT_EQ(app.manager.GetGameInfo()->LoadInfoFromMemory(chunk.data(), chunk.size()), 1);
            ASSERT_EQ(app.manager.GetGameInfo()->SetArgument(L"AuthKey-7f3a"), 1);
        }
        app.Run("function AfterStart(pid) started = pid end");
        app.implement.SetFunctionAfterLauncherApplication("AfterStart");

        ASSERT_EQ(app.implement.DoApplication(), 1);
        ASSERT_TRUE(WaitForFile(record));
        sGameStart start = ReadRecord(record);
        EXPECT_EQ(start.args, c.expectedArgs);
        EXPECT_EQ(start.cwd, fs::current_path().string()) << "the client inherits the launcher's folder";
        EXPECT_NE(app.Global("started"), "nil") << "the after-start function gets the process id";
        EXPECT_NE(app.Global("started"), "0");
        EXPECT_TRUE(app.window.reports.empty());
    }
}

TEST(GameStartTest, ClientThatCannotStartIsReportedAsDamaged)
{
    testsupport::TempDir dir;
    CWorkflowApp app;
    app.manager.SetField(kFieldInstallDir, dir.Path());
    app.manager.SetField(kFieldPatcher, L"no-such-client");
    EXPECT_EQ(app.implement.DoApplication(), ZP::kErrorFileMissing);
    EXPECT_EQ(app.window.reports, std::vector<std::string>{"launcher.game.damagedfile"});
    ASSERT_EQ(app.box->shown.size(), 1u);
    EXPECT_NE(app.box->shown[0].find(L"(E:90002. Shell)[14012]"), std::wstring::npos);
    EXPECT_TRUE(app.Logged(L"Fail to CreateProcess Call. So try to call ShellExecute...."));
}

TEST(GameStartTest, ScriptApplicationFunctionReplacesTheDefaultStart)
{
    testsupport::TempDir dir;
    CWorkflowApp app;
    app.manager.SetField(kFieldInstallDir, dir.Path());
    app.manager.SetField(kFieldPatcher, L"no-such-client");
    app.Run("function MyStart() calls = (calls or 0) + 1 return 7 end");
    app.implement.SetDoApplicationFunction("MyStart");
    EXPECT_EQ(app.implement.DoApplication(), 7);
    EXPECT_EQ(app.Global("calls"), "1");
    EXPECT_TRUE(app.window.reports.empty()) << "the default start never ran";
}

TEST(GameStartTest, OptionsRunTheScriptFunctionsWithTheCheckBoxStates)
{
    CWorkflowApp app;
    app.Run("seen = ''\n"
            "function Opt0(state) seen = seen .. '0:' .. state .. ' ' return 1 end\n"
            "function Opt2(state) seen = seen .. '2:' .. state .. ' ' return 1 end\n"
            "function Refuse(state) return 0 end\n"
            "function Start() seen = seen .. 'start' return 1 end\n");
    EXPECT_EQ(app.implement.DoOption(3, 1), ZP::kErrorInvalidPointer);
    EXPECT_EQ(app.implement.DoOption(1, 1), 1) << "no function named";

    app.implement.SetDoOptionFunction(0, "Opt0");
    app.implement.SetDoOptionFunction(2, "Opt2");
    app.implement.SetDoApplicationFunction("Start");
    app.window.checks[0] = true;
    app.window.checks[2] = false;
    EXPECT_EQ(app.implement.FinishLauncher(1), 1);
    EXPECT_EQ(app.Global("seen"), "0:1 2:0 start");
    EXPECT_TRUE(app.Logged(L"Normal Close."));

    app.Run("seen = ''");
    EXPECT_EQ(app.implement.FinishLauncher(ZP::kErrorHttp404), ZP::kErrorHttp404);
    EXPECT_EQ(app.Global("seen"), "") << "a failed run starts nothing";
    EXPECT_TRUE(app.Logged(L"Abnormal close."));

    app.implement.SetDoOptionFunction(1, "Refuse");
    EXPECT_EQ(app.implement.DoOption(1, 1), 0) << "the script's refusal is the option's result";
}

TEST(GameStartTest, UpdaterEndGoesToTheWindowAndThePatchStepReports)
{
    CWorkflowApp app;
    app.implement.OnThreadProcessEnd(ZP::kRestartNeeded);
    app.implement.OnThreadProcessEnd(1);
    EXPECT_EQ(app.window.patchResults, (std::vector<int>{ZP::kRestartNeeded, 1}));

    // No patch system component: nothing to patch.
    EXPECT_EQ(app.implement.ProcessPatchSystem(), 1);
    EXPECT_EQ(app.window.reports, (std::vector<std::string>{"launcher.patch.start", "launcher.patch.end"}));

    // Game information without a patch server: shown and reported, and the run goes on.
    CPatchSystemProcess patch;
    app.patch = &patch;
    std::string chunk = "LauncherScriptObject:GetGameInfo():SetPakName('res.pak')";
    ASSERT_EQ(app.manager.GetGameInfo()->LoadInfoFromMemory(chunk.data(), chunk.size()), 1);
    app.window.reports.clear();
    EXPECT_EQ(app.implement.ProcessPatchSystem(), 1);
    EXPECT_EQ(app.window.reports,
              (std::vector<std::string>{"launcher.patch.start", "launcher.patch.fail.nogameinfo"}));
    EXPECT_EQ(app.window.texts[1].back(), L"#7");
    EXPECT_EQ(app.window.texts[2].back(), L"#7");

    // Stopped before the patch begins: nothing more is reported.
    chunk = "LauncherScriptObject:GetGameInfo():SetServerURL('http://127.0.0.1:9/')";
    ASSERT_EQ(app.manager.GetGameInfo()->LoadInfoFromMemory(chunk.data(), chunk.size()), 1);
    app.window.reports.clear();
    app.stop = true;
    EXPECT_EQ(app.implement.ProcessPatchSystem(), 1);
    EXPECT_EQ(app.window.reports, std::vector<std::string>{"launcher.patch.start"});
}
