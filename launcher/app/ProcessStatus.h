#pragma once
// The process status: decides before the launcher window opens whether this launcher may run. It
// announces itself with a named mutex carrying its process id and game id, looks for other launcher
// processes (same game or another one), for the game client and for the game's patcher, and lets
// the launcher script tolerate each finding.
#include "launcher/app/Components.h"
#include "platform/sync/NamedMutex.h"

#include <cstdint>
#include <string>

class CGameInfo;
class CGameInfoManagerBase;

// The process status as the connector hands it out.
class CProcessStatus : public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    // The executable file name other launchers run as (compared exactly, case included).
    virtual void SetLauncherFileName(const wchar_t* name) = 0;
    // 1 when this launcher may go on; else 14101-14105 or 0.
    virtual int CheckProcess() = 0;
};

// Keeps the connector and the launcher's file name.
class CLauncherProcessStatus : public CProcessStatus
{
public:
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }
    void SetLauncherFileName(const wchar_t* name) override { m_launcherFileName = name ? name : L""; }
    const std::wstring& GetLauncherFileName() const { return m_launcherFileName; }

protected:
    CObjectConnector* m_connector = nullptr;
    std::wstring m_launcherFileName;
};

class CDefaultProcessStatus : public CLauncherProcessStatus
{
public:
    // Kinds of the script functions that may tolerate a running process.
    enum eOverride
    {
        kOverrideLauncherSameGame = 1,
        kOverrideLauncherNotSameGame = 2,
        kOverrideApplication = 3,
        kOverridePatcher = 4,
    };

    // 1.
    int Initialize() override { return 1; }
    // Lets the own mutex go.
    void Finalize() override { m_ownMutex.Close(); }
    // Own mutex, then other launchers, then the game client and the patcher; the first result other
    // than 1 ends the check. The own mutex stays held until Finalize.
    int CheckProcess() override;

    // "Global\\VelmoraLauncher_<process id>_<game id>": the name every launcher holds while it runs.
    static std::wstring MutexName(uint32_t processId, const std::wstring& gameId);

    // Re-checks of another launcher before it counts, and the pause before each.
    static constexpr int kRecheckCount = 10;
    static constexpr int kRecheckPauseMs = 100;

protected:
    virtual int CreateMutexForCheckUse();
    virtual int CheckLauncherProcess();
    virtual int CheckApplication();
    virtual int CheckApplication_GameInfoData();
    virtual int CheckApplication_SharedInfoData();

    // 1 when the script names a function of this kind and it answers non-zero; else failureCode.
    int ScriptOverride(eOverride kind, int failureCode);
    CGameInfoManagerBase* GameInfoManager() const;
    CGameInfo* GameInfo() const;
    std::wstring GameId() const;

private:
    platform::sync::NamedMutex m_ownMutex;
};
