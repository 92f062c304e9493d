// A stand-in for the launcher in the self-update tests: it plays the launcher's part of the chain
// (old launcher -> clone -> new launcher) with the real restart process, updater thread and
// self-update step, and nothing else. Built twice, differing only in its version (0.11 and 0.12),
// and copied into a launcher folder as "VelmoraLauncher".
//
//     VelmoraLauncher [ARGUMENT...]
//
// The launcher information comes from VELMORA_LAUNCHER_SERVER, as for the real launcher. The
// program appends to the file VELMORA_TEST_TRACE one line per event, "<pid> <version> <module
// type> <event>": "start", "ready" (its version is current: the real launcher would go on),
// "restart" (a successor runs), "failed <code>", and "arguments <text>" (what it was given).
//
// VELMORA_TEST_PAUSE=<module type>:<point> makes the process of that type stop at the point (and
// write "paused <point>" to the trace) until it is killed: "normal:clone-made" (clone files written,
// clone not started), "clone:resource-replaced" (new resource module in place, launcher not yet),
// "clone:launcher-replaced" (both in place, new launcher not started), "<type>:successor-started".
#include "launcher/app/BuildSettings.h"
#include "launcher/app/Components.h"
#include "launcher/app/LauncherLog.h"
#include "launcher/app/LauncherUpdater.h"
#include "launcher/app/RestartProcessClone.h"
#include "launcher/app/SelfUpdateStep.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "launcher/info/LauncherInfo.h"
#include "launcher/script/LauncherScriptLua.h"
#include "launcher/workflow/LauncherImplement.h"
#include "platform/fs/FileSystem.h"
#include "platform/process/CommandLine.h"
#include "platform/process/Environment.h"
#include "platform/process/ProcessList.h"
#include "platform/text/TextCodec.h"
#include "zpak/message/ResultCodes.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <string>
#include <thread>

namespace
{
std::wstring g_typeName = L"abnormal";

void Trace(const std::wstring& event)
{
    std::wstring file;
    if (!platform::process::GetEnvironmentValue("VELMORA_TEST_TRACE", file)) return;
    std::ofstream out(platform::fs::NativePath(file), std::ios::app);
    out << platform::process::CurrentProcessId() << ' ' << platform::text::WideToUtf8(LauncherOwnVersion())
        << ' ' << platform::text::WideToUtf8(g_typeName) << ' ' << platform::text::WideToUtf8(event)
        << std::endl;
}

void PauseAt(const wchar_t* point)
{
    std::wstring wanted;
    if (!platform::process::GetEnvironmentValue("VELMORA_TEST_PAUSE", wanted)) return;
    if (wanted != g_typeName + L":" + point) return;
    Trace(std::wstring(L"paused ") + point);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

class CPausingRestart : public CRestartProcessClone
{
public:
    int MakeCloneResourceDLL() override
    {
        int r = CRestartProcessClone::MakeCloneResourceDLL();
        if (r == 1) PauseAt(L"clone-made");
        return r;
    }
    int DownloadDefaultResourceDLL() override
    {
        int r = CRestartProcessClone::DownloadDefaultResourceDLL();
        if (r == 1) PauseAt(L"resource-replaced");
        return r;
    }
    int DownloadNewLauncher() override
    {
        int r = CRestartProcessClone::DownloadNewLauncher();
        if (r == 1) PauseAt(L"launcher-replaced");
        return r;
    }
    int CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments) override
    {
        int r = CRestartProcessClone::CreateCurrentProcess(path, arguments);
        if (r == 1) PauseAt(L"successor-started");
        return r;
    }
};

// The workflow as far as the self-update: the other steps have nothing to do.
class CSelfUpdateOnly : public CDefaultLauncherImplement
{
public:
    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }
    int CheckLauncherUpdateAndRestart() override { return ::CheckLauncherUpdateAndRestart(m_connector, ""); }
    int CheckInstallVM() override { return 1; }
    int UpdateDistPackages() override { return 1; }
    int ProcessPatchSystem() override { return 1; }

private:
    CObjectConnector* m_connector = nullptr;
};

class CChainApp : public CObjectConnector, public IUpdaterStopFlag, public IThreadProcessCall
{
public:
    CFWLauncherGUI* GetLauncherGUI() override { return nullptr; }
    CRestartProcess* GetRestartProcess() override { return &restart; }
    CLauncherUpdater* GetUpdater() override { return &updater; }
    CPatchSystemProcess* GetPatchSystem() override { return nullptr; }
    CGameInfoManagerBase* GetGameInfoManager() override { return nullptr; }
    CLauncherScript* GetScript() override { return &script; }
    CLauncherStringTable* GetStringTable() override { return nullptr; }
    CProcessStatus* GetProcessStatus() override { return nullptr; }
    CLauncherImplement* GetImplement() override { return &implement; }
    bool IsUpdaterStopRequested() override { return updater.IsStopRequested(); }
    void OnThreadProcessEnd(int result) override { done.set_value(result); }

    CLauncherScript_Lua script;
    CPausingRestart restart;
    CDefaultLauncherUpdater updater;
    CSelfUpdateOnly implement;
    std::promise<int> done;
};
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(platform::text::Utf8ToWide(argv[i]));
    platform::process::SetOwnArguments(arguments);

    std::wstring exe = platform::fs::ExecutablePath();
    std::wstring folder = exe.substr(0, exe.find_last_of(L'/') + 1);
    SetupLauncherLogIn(folder);

    // The status texts need no reading here; the clone still gives the old launcher a moment.
    sSelfUpdateTimes& times = SelfUpdateTimes();
    times.checkingTextMs = 0;
    times.currentTextMs = 0;
    times.restartingTextMs = 200;
    times.fileRetryMs = 100;

    CChainApp app;
    if (app.script.Initialize() != 1) return 1;
    app.script.SetConnector(&app);
    SetCurrentScript(&app.script);
    app.restart.SetSettings(LauncherRestartSettings());
    app.restart.GetLauncherInfo()->SetCurrentPath(folder.c_str());
    app.restart.Initialize();
    app.restart.SetConnector(&app);
    g_typeName = app.restart.GetModuleType() == kModuleTypeClone    ? L"clone"
                 : app.restart.GetModuleType() == kModuleTypeNormal ? L"normal"
                                                                    : L"abnormal";
    Trace(L"start");
    Trace(L"arguments " + CDefaultRestartProcess::SuccessorArguments());

    app.implement.SetConnector(&app);
    app.updater.SetConnector(&app);
    app.updater.SetCompletionListener(&app);
    std::future<int> done = app.done.get_future();
    if (app.updater.Start() != 1) return 1;
    int result = done.get();
    app.updater.Finalize();
    SetCurrentScript(nullptr);
    app.script.Finalize();

    if (result == 1)
        Trace(L"ready");
    else if (result == ZP::kRestartNeeded)
        Trace(L"restart");
    else
        Trace(L"failed " + std::to_wstring(result));
    return result == 1 || result == ZP::kRestartNeeded ? 0 : 1;
}
