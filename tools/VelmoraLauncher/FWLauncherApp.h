#pragma once
// The component framework of the launcher program: it owns the nine components, creates them in a
// fixed order through the factories of the program, wires each to itself so the components reach
// one another, and tears them down in a fixed order.
#include "launcher/app/Components.h"

#include <memory>

class CLauncherMessage;

class CGUIWindowFramework : public CObjectConnector
{
public:
    virtual int InitializeFramework() = 0;
    virtual int FinalizeFramework() = 0;
    virtual void FrameworkHook() {}

    // Each returns a new component, or null when it cannot be made.
    virtual CFWLauncherGUI* CreateLauncherGUI() = 0;
    virtual CRestartProcess* CreateRestartProcess() = 0;
    virtual CLauncherUpdater* CreateUpdater() = 0;
    virtual CPatchSystemProcess* CreatePatchSystem() = 0;
    virtual CGameInfoManagerBase* CreateGameInfoManager() = 0;
    virtual CLauncherScript* CreateScript() = 0;
    virtual CLauncherStringTable* CreateStringTable() = 0;
    virtual CProcessStatus* CreateProcessStatus() = 0;
    virtual CLauncherImplement* CreateImplement() = 0;
};

class CFWLauncherApp : public CGUIWindowFramework
{
public:
    // Installs the launcher's message texts as the process-wide provider.
    CFWLauncherApp();
    ~CFWLauncherApp() override;
    CFWLauncherApp(const CFWLauncherApp&) = delete;
    CFWLauncherApp& operator=(const CFWLauncherApp&) = delete;

    CFWLauncherGUI* GetLauncherGUI() override { return m_gui; }
    CRestartProcess* GetRestartProcess() override { return m_restart; }
    CLauncherUpdater* GetUpdater() override { return m_updater; }
    CPatchSystemProcess* GetPatchSystem() override { return m_patch; }
    CGameInfoManagerBase* GetGameInfoManager() override { return m_gameInfo; }
    CLauncherScript* GetScript() override { return m_script; }
    CLauncherStringTable* GetStringTable() override { return m_stringTable; }
    CProcessStatus* GetProcessStatus() override { return m_processStatus; }
    CLauncherImplement* GetImplement() override { return m_implement; }

    // 1 when all nine components run; otherwise the first failure's code (later ones are not made).
    int InitializeFramework() override;
    // Deletes the window, then finalises and deletes the others; 1.
    int FinalizeFramework() override;

protected:
    CFWLauncherGUI* m_gui = nullptr;
    CRestartProcess* m_restart = nullptr;
    CLauncherUpdater* m_updater = nullptr;
    CPatchSystemProcess* m_patch = nullptr;
    CGameInfoManagerBase* m_gameInfo = nullptr;
    CLauncherScript* m_script = nullptr;
    CLauncherStringTable* m_stringTable = nullptr;
    CProcessStatus* m_processStatus = nullptr;
    CLauncherImplement* m_implement = nullptr;

private:
    std::unique_ptr<CLauncherMessage> m_message;
};
