#pragma once
// The launcher's application object: makes the components, runs the start-up checks (elevation,
// resource module, string table, game information, single instance), runs the launcher window
// until it closes and tears everything down. It is also what the window, the updater and the
// script reach through the connector: the window's links, the updater's stop flag, the GUI setup.
#include "launcher/app/GUISetupAccess.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "launcher/gui/LauncherWindowLinks.h"
#include "tools/VelmoraLauncher/FWLauncherApp.h"

#include <atomic>
#include <memory>
#include <string>

class CCustomResourceManager;
class CDefaultGUISetup;
class CFWLauncherDialog;
class CResourceWindowPositions;
namespace platform::ui
{
class IWindowBackend;
}

class CFernwayLauncher : public CFWLauncherApp,
                         public ILauncherWindowLinks,
                         public IUpdaterStopFlag,
                         public IGUISetupProvider,
                         public IGUISetupSettings
{
public:
    // Builds the argument string, sets up the log and installs the resource manager.
    CFernwayLauncher();
    ~CFernwayLauncher() override;

    // The start-up and the window's run; false when the window ran (or start-up ended without
    // one), otherwise the failing step's code.
    int InitInstance();
    // Tears the components down.
    void ExitInstance();

    // 1 goes on; 14099 after restarting elevated; 0 when the system version cannot be read.
    virtual int AskElevation();
    CDefaultGUISetup* GetGUISetup() { return m_setup.get(); }
    int LoadResourceModule();
    int InitializeStringTable();
    int InitializeMessageBox();

    int InitializeFramework() override;
    int FinalizeFramework() override;

    CFWLauncherGUI* CreateLauncherGUI() override;
    CRestartProcess* CreateRestartProcess() override;
    CLauncherUpdater* CreateUpdater() override;
    CPatchSystemProcess* CreatePatchSystem() override;
    CGameInfoManagerBase* CreateGameInfoManager() override;
    CLauncherScript* CreateScript() override;
    CLauncherStringTable* CreateStringTable() override;
    CProcessStatus* CreateProcessStatus() override;
    CLauncherImplement* CreateImplement() override;

    // The window's links.
    bool HasUpdater() override { return m_updater != nullptr; }
    int StartUpdater() override;
    void StopUpdater() override;
    void ClearPatchSystemWindow() override;
    int DoApplication() override;
    int DoOption(uint16_t index, bool checked) override;
    std::wstring GetOwnVersion() override;

    bool IsUpdaterStopRequested() override;

    IGUISetupSettings* GetGUISetupSettings() override { return m_setup ? this : nullptr; }
    void SetSetupText(eGUISetupText field, const std::wstring& text) override;
    void SetDefaultFontSize(int size) override;

    // A close request from outside (a signal): the window closes as its close button would have
    // it, which stops the updater. Any thread.
    void RequestClose();

    // Every argument after the program's name, each followed by one space.
    const std::wstring& GetArgumentString() const { return m_arguments; }

private:
    std::wstring m_arguments;
    std::unique_ptr<CDefaultGUISetup> m_setup;
    std::unique_ptr<CCustomResourceManager> m_resources;
    std::unique_ptr<CResourceWindowPositions> m_positions;
    std::shared_ptr<platform::ui::IWindowBackend> m_backend;
    std::atomic<CFWLauncherDialog*> m_dialog{nullptr};
    std::atomic<bool> m_closeRequested{false};
};
