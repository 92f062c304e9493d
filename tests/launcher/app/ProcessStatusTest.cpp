// The single-instance check against real second processes, and ShowMessage.
#include "launcher/app/ProcessStatus.h"
#include "launcher/app/MessageBox.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "platform/process/Process.h"
#include "platform/process/ProcessList.h"
#include "platform/sync/NamedMutex.h"
#include "platform/text/TextCodec.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace
{
// The stand-in second launcher runs under a name of this test run's own: the check finds launchers
// by executable name, and test runs of other build folders on the same machine must not meet.
const std::wstring& HelperName()
{
    static const std::wstring name =
        L"velmora-test-launcher-" + std::to_wstring(platform::process::CurrentProcessId());
    return name;
}

const std::wstring& HelperPath()
{
    static testsupport::TempDir folder;
    static const std::wstring path = []
    {
        std::wstring copy = folder.Join(HelperName());
        std::filesystem::copy_file(testsupport::BinaryDir() + "/velmora-test-launcher",
                                   platform::text::WideToUtf8(copy));
        return copy;
    }();
    return path;
}

// A game information manager whose game record the test fills.
class CTestGameInfoManager : public CFWLGameInfoManager
{
public:
    void SetField(eGameField field, const std::wstring& value) { m_fields[field] = value; }
};

// The log lines are checked in memory: another test of this program may have switched the log to a
// file.
class CHeldLog
{
public:
    CHeldLog() : m_was(ZP::CZpakLog::IsWriteThrough()) { ZP::CZpakLog::SetWriteThrough(false); }
    ~CHeldLog() { ZP::CZpakLog::SetWriteThrough(m_was); }

private:
    bool m_was;
};

class CStatusApp : private CHeldLog, public testsupport::CScriptTestApp
{
public:
    CStatusApp()
    {
        manager.Initialize();
        SetCurrentScript(&host);
        status.SetConnector(this);
        status.Initialize();
        status.SetLauncherFileName(HelperName().c_str());
    }
    ~CStatusApp() override
    {
        status.Finalize();
        SetCurrentScript(nullptr);
        manager.Finalize();
    }
    CGameInfoManagerBase* GetGameInfoManager() override { return &manager; }

    // Runs the chunk as the game information file.
    void LoadGameInfo(const std::string& chunk)
    {
        ASSERT_EQ(
            manager.GetGameInfo()->LoadInfoFromMemory(chunk.data(), static_cast<uint32_t>(chunk.size())), 1);
    }

    CTestGameInfoManager manager;
    CDefaultProcessStatus status;
};

// Another launcher: a real process holding the launcher mutex of its own id and a game id.
class CSecondLauncher
{
public:
    CSecondLauncher(const std::string& gameId, int lifetimeMs)
    {
        std::string ready = m_dir.NativePath() + "/ready";
        std::string stop = m_dir.NativePath() + "/stop";
        m_stop = stop;
        const std::wstring& path = HelperPath();
        m_started =
            m_process.Start(path, {platform::text::Utf8ToWide(gameId), std::to_wstring(lifetimeMs),
                                   platform::text::Utf8ToWide(ready), platform::text::Utf8ToWide(stop)}) == 0;
        for (int i = 0; m_started && i < 500 && !std::ifstream(ready).good(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        m_ready = std::ifstream(ready).good();
    }
    ~CSecondLauncher()
    {
        std::ofstream(m_stop) << "stop\n";
        m_process.Wait(5000);
    }
    bool Ready() const { return m_started && m_ready; }
    uint32_t Id() const { return m_process.Id(); }

private:
    testsupport::TempDir m_dir;
    platform::process::Process m_process;
    std::string m_stop;
    bool m_started = false;
    bool m_ready = false;
};

// The base name this test program runs as.
std::wstring OwnName()
{
    std::vector<platform::process::sProcessEntry> list;
    platform::process::ListProcesses(list);
    for (const auto& entry : list)
        if (entry.id == platform::process::CurrentProcessId()) return entry.name;
    return L"";
}
} // namespace

TEST(ProcessStatus, SecondLauncherOfTheSameGameUnlessTheScriptToleratesIt)
{
    struct
    {
        const char* helperGame;
        const char* script; // the game information file
        int expected;
    } cases[] = {
        {"g1", "", 14102},
        {"g1",
         "function Allow() return 1 end\n"
         "LauncherScriptObject:GetGameInfo():GetLauncherProcessStatusFunctionList().strFunction_"
         "LauncherSameGame = 'Allow'\n",
         1},
        {"g1",
         "function Deny() return 0 end\n"
         "LauncherScriptObject:GetGameInfo():GetLauncherProcessStatusFunctionList().strFunction_"
         "LauncherSameGame = 'Deny'\n",
         14102},
        {"g2", "", 14103},
        {"g2",
         "function Allow() return 7 end\n"
         "LauncherScriptObject:GetGameInfo():GetLauncherProcessStatusFunctionList().strFunction_"
         "LauncherNotSameGame = 'Allow'\n",
         1},
    };
    for (const auto& c : cases)
    {
        CSecondLauncher second(c.helperGame, 30000);
        ASSERT_TRUE(second.Ready());
        CStatusApp app;
        app.manager.SetField(kFieldGameId, L"g1");
        if (*c.script) app.LoadGameInfo(c.script);
        EXPECT_EQ(app.status.CheckProcess(), c.expected) << c.helperGame << " " << c.script;
        if (c.expected == 14102)
        {
            EXPECT_TRUE(app.Logged(L"SameLauncher_Launcher_SameGame, Global\\VelmoraLauncher_" +
                                   std::to_wstring(second.Id()) + L"_g1"));
        }
        if (c.expected == 14103)
        {
            EXPECT_TRUE(app.Logged(L"SameLauncher_Launcher_NotSameGame"));
        }
    }
}

TEST(ProcessStatus, LauncherThatEndsWithinASecondIsIgnored)
{
    CSecondLauncher second("g1", 300);
    ASSERT_TRUE(second.Ready());
    CStatusApp app;
    app.manager.SetField(kFieldGameId, L"g1");
    EXPECT_EQ(app.status.CheckProcess(), 1);
    EXPECT_FALSE(app.Logged(L"another Launcher created"));

    // This launcher now holds its own name: a later launcher of the same game would see it.
    platform::sync::NamedMutex probe;
    bool existed = false;
    ASSERT_TRUE(probe.Create(CDefaultProcessStatus::MutexName(platform::process::CurrentProcessId(), L"g1"),
                             existed));
    EXPECT_TRUE(existed);
}

TEST(ProcessStatus, OwnNameAlreadyTakenGives14101)
{
    CStatusApp app;
    app.manager.SetField(kFieldGameId, L"taken");
    platform::sync::NamedMutex other;
    bool existed = false;
    ASSERT_TRUE(other.Create(
        CDefaultProcessStatus::MutexName(platform::process::CurrentProcessId(), L"taken"), existed));
    EXPECT_EQ(app.status.CheckProcess(), 14101);
    EXPECT_TRUE(app.Logged(L"retry to CreateMutex"));
    EXPECT_TRUE(app.Logged(L"CreateMutex Error"));
}

TEST(ProcessStatus, RunningGameClientAndPatcher)
{
    // This test program stands in for the running client or patcher.
    const std::wstring own = OwnName();
    ASSERT_FALSE(own.empty());
    std::string ownUtf8 = platform::text::WideToUtf8(own);
    std::string upper = platform::text::WideToUtf8(platform::text::ToUpper(own));
    struct
    {
        std::string script;
        std::wstring patcher;
        int expected;
    } cases[] = {
        {"LauncherScriptObject:GetGameInfo():SetExeFileName('" + ownUtf8 + "')\n", L"", 14104},
        {"LauncherScriptObject:GetGameInfo():SetExeFileName('" + upper + "')\n", L"", 1},
        {"function Allow() return 1 end\n"
         "gi = LauncherScriptObject:GetGameInfo()\n"
         "gi:SetExeFileName('" +
             ownUtf8 +
             "')\n"
             "gi:GetLauncherProcessStatusFunctionList().strFunction_Application = 'Allow'\n",
         L"", 1},
        {"", own, 14105},
        {"LauncherScriptObject:GetGameInfo():SetExeFileName('Other')\n",
         upper == ownUtf8 ? L"x" : platform::text::ToUpper(own), 1},
        {"function Allow() return 1 end\n"
         "LauncherScriptObject:GetGameInfo():GetLauncherProcessStatusFunctionList().strFunction_Patcher = "
         "'Allow'\n",
         own, 1},
    };
    for (const auto& c : cases)
    {
        CStatusApp app;
        app.manager.SetField(kFieldGameId, L"client");
        app.manager.SetField(kFieldPatcher, c.patcher);
        if (!c.script.empty()) app.LoadGameInfo(c.script);
        EXPECT_EQ(app.status.CheckProcess(), c.expected) << c.script;
    }
    // A client name that equals the patcher name is checked once, as the client, with its override.
    CStatusApp app;
    app.manager.SetField(kFieldGameId, L"client");
    app.manager.SetField(kFieldPatcher, own);
    app.LoadGameInfo("function Allow() return 1 end\n"
                     "gi = LauncherScriptObject:GetGameInfo()\n"
                     "gi:SetExeFileName('" +
                     ownUtf8 +
                     "')\n"
                     "gi:GetLauncherProcessStatusFunctionList().strFunction_Application = 'Allow'\n");
    EXPECT_EQ(app.status.CheckProcess(), 1);
    EXPECT_FALSE(app.Logged(L"SamePatcher"));
}

TEST(ShowMessage, PlainBoxAnswersOneAndAnInstalledBoxGetsTypeAndText)
{
    RemoveMessageBox();
    EXPECT_EQ(ShowMessage(L"hello", kMessageYesNo), 1);
    ASSERT_NE(GetCurrentMessageBox(), nullptr);
    EXPECT_EQ(GetCurrentMessageBox()->GetType(), kMessageYesNo);

    class CYesBox : public CGUIMessageBox
    {
    public:
        int Show() override { return GetType() == kMessageYesNo && GetText() == L"설치할까요?" ? 6 : 1; }
    };
    InstallMessageBox(std::make_shared<CYesBox>()); // drops the plain box (checked by the sanitizer build)
    EXPECT_EQ(ShowMessage(L"설치할까요?", kMessageYesNo), kMessageAnswerYes);
    EXPECT_EQ(ShowMessage(L"설치할까요?", kMessageNotice), 1);
    RemoveMessageBox();
    EXPECT_EQ(GetCurrentMessageBox(), nullptr);
}
