#include "launcher/app/ProcessStatus.h"

#include "launcher/app/CurrentScript.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "platform/process/ProcessList.h"
#include "zpak/common/Format.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <chrono>
#include <thread>
#include <vector>

namespace
{
using platform::process::sProcessEntry;

// A failing snapshot is an empty list.
std::vector<sProcessEntry> Snapshot()
{
    std::vector<sProcessEntry> list;
    if (!platform::process::ListProcesses(list)) list.clear();
    return list;
}

bool IsRunning(uint32_t id)
{
    for (const sProcessEntry& entry : Snapshot())
        if (entry.id == id) return true;
    return false;
}
} // namespace

std::wstring CDefaultProcessStatus::MutexName(uint32_t processId, const std::wstring& gameId)
{
    return ZP::FormatWide(256, L"%s_%d_%s", L"Global\\VelmoraLauncher", static_cast<int>(processId),
                          gameId.c_str());
}

CGameInfoManagerBase* CDefaultProcessStatus::GameInfoManager() const
{
    return m_connector ? m_connector->GetGameInfoManager() : nullptr;
}

CGameInfo* CDefaultProcessStatus::GameInfo() const
{
    CGameInfoManagerBase* manager = GameInfoManager();
    return manager ? manager->GetGameInfo() : nullptr;
}

std::wstring CDefaultProcessStatus::GameId() const
{
    CGameInfoManagerBase* manager = GameInfoManager();
    return manager ? manager->GetGameId() : std::wstring();
}

int CDefaultProcessStatus::ScriptOverride(eOverride kind, int failureCode)
{
    CGameInfo* info = GameInfo();
    if (!info || !info->IsLoaded()) return failureCode;
    const sLauncherProcessStatusFunction* functions = info->GetLauncherProcessStatusFunctionList();
    const COwnedText* name = nullptr;
    switch (kind)
    {
    case kOverrideLauncherSameGame:
        name = &functions->strFunction_LauncherSameGame;
        break;
    case kOverrideLauncherNotSameGame:
        name = &functions->strFunction_LauncherNotSameGame;
        break;
    case kOverrideApplication:
        name = &functions->strFunction_Application;
        break;
    case kOverridePatcher:
        name = &functions->strFunction_Patcher;
        break;
    }
    if (!name || !name->is_set() || name->size() == 0) return failureCode;
    IScriptRunner* script = GetCurrentScript();
    if (!script) return failureCode;
    return script->CallScriptFunction(name->c_str()) != 0 ? 1 : failureCode;
}

int CDefaultProcessStatus::CheckProcess()
{
    ZP::LogF(L"CheckProcess");
    int r = CreateMutexForCheckUse();
    if (r == 1) r = CheckLauncherProcess();
    if (r == 1) r = CheckApplication();
    if (r != 1) ZP_LOG_ERROR(r, "CDefaultProcessStatus::CheckProcess");
    return r;
}

int CDefaultProcessStatus::CreateMutexForCheckUse()
{
    uint32_t own = platform::process::CurrentProcessId();
    if (!IsRunning(own))
    {
        ZP_LOG_ERROR(0, "CDefaultProcessStatus::CreateMutexForCheckUse");
        return 0;
    }
    std::wstring name = MutexName(own, GameId());
    bool existed = false;
    bool created = m_ownMutex.Create(name, existed);
    ZP::LogF(L"Mutex : %s", name.c_str());
    if (created && existed)
    {
        ZP::LogF(L"retry to CreateMutex");
        m_ownMutex.Close();
        created = m_ownMutex.Create(name, existed);
        if (created && existed)
        {
            ZP::LogF(L"CreateMutex Error");
            m_ownMutex.Close();
            return ZP::kErrorInstanceMutex;
        }
    }
    if (!created)
    {
        ZP_LOG_ERROR(0, "CDefaultProcessStatus::CreateMutexForCheckUse");
        return 0;
    }
    return 1;
}

int CDefaultProcessStatus::CheckLauncherProcess()
{
    ZP::LogF(L"CheckLauncherProcess");
    uint32_t own = platform::process::CurrentProcessId();
    int result = 1;
    for (const sProcessEntry& entry : Snapshot())
    {
        if (entry.name != m_launcherFileName || entry.id == own) continue;
        // A launcher that is just restarting itself ends within a second: only one that stays counts.
        bool running = IsRunning(entry.id);
        for (int i = 0; running && i < kRecheckCount; ++i)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(kRecheckPauseMs));
            running = IsRunning(entry.id);
        }
        if (!running) continue;

        ZP::LogF(L"another Launcher created");
        std::wstring name = MutexName(entry.id, GameId());
        bool existed = false;
        bool sameGame = false;
        {
            // Only a probe: holding it would make that launcher's own check see its name taken.
            platform::sync::NamedMutex probe;
            sameGame = probe.Create(name, existed) && existed;
        }
        if (sameGame)
        {
            result = ScriptOverride(kOverrideLauncherSameGame, ZP::kErrorLauncherSameGameRuns);
            ZP::LogF(L"SameLauncher_Launcher_SameGame, %s", name.c_str());
        }
        else
        {
            result = ScriptOverride(kOverrideLauncherNotSameGame, ZP::kErrorLauncherOtherGameRuns);
            ZP::LogF(L"SameLauncher_Launcher_NotSameGame");
        }
        break;
    }
    if (result != 1) ZP_LOG_ERROR(result, "CDefaultProcessStatus::CheckLauncherProcess");
    return result;
}

int CDefaultProcessStatus::CheckApplication()
{
    ZP::LogF(L"CheckApplicationProcess");
    int r = CheckApplication_GameInfoData();
    if (r == 1) r = CheckApplication_SharedInfoData();
    if (r != 1) ZP_LOG_ERROR(r, "CDefaultProcessStatus::CheckApplication");
    return r;
}

int CDefaultProcessStatus::CheckApplication_GameInfoData()
{
    CGameInfo* info = GameInfo();
    if (!info || !info->IsLoaded()) return 1;
    const std::wstring& exe = info->GetWide(kGameExeFileName);
    if (exe.empty()) return 1;
    for (const sProcessEntry& entry : Snapshot())
    {
        if (entry.name != exe) continue;
        int r = ScriptOverride(kOverrideApplication, ZP::kErrorApplicationRuns);
        ZP::LogF(L"SameApplication");
        if (r != 1)
        {
            ZP_LOG_ERROR(r, "CDefaultProcessStatus::CheckApplication_GameInfoData");
            return r;
        }
    }
    return 1;
}

int CDefaultProcessStatus::CheckApplication_SharedInfoData()
{
    CGameInfoManagerBase* manager = GameInfoManager();
    std::wstring patcher = manager ? manager->GetPatcherName() : std::wstring();
    CGameInfo* info = GameInfo();
    if (info && info->IsLoaded() && !info->GetWide(kGameExeFileName).empty() &&
        info->GetWide(kGameExeFileName) == patcher)
        return 1;
    if (patcher.empty()) return 1;
    for (const sProcessEntry& entry : Snapshot())
    {
        if (entry.name != patcher) continue;
        int r = ScriptOverride(kOverridePatcher, ZP::kErrorPatcherRuns);
        ZP::LogF(L"SamePatcher");
        if (r != 1)
        {
            ZP_LOG_ERROR(r, "CDefaultProcessStatus::CheckApplication_SharedInfoData");
            return r;
        }
    }
    return 1;
}
