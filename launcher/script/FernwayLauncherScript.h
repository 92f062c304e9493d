#pragma once
// The launcher program's script host: the general host plus the script's way to the hand-off data
// of the game information manager, to the GUI setup and to the launcher window, and the launcher's
// own global functions (shortcuts, version name, install dialog).
#include "launcher/script/LauncherScriptLua.h"

#include <memory>

class CDefaultGameInfoManager;
class CLauncherGUIWrapper;
class CLauncherGUISetupWrapper;

class CFernwayLauncherScript : public CLauncherScript_Lua
{
public:
    CFernwayLauncherScript();
    ~CFernwayLauncherScript() override;

    // The wrappers first, then the host; the classes in the launcher's registration order.
    int Initialize() override;
    void Finalize() override;
    void SetConnector(CObjectConnector* connector) override;

    // The general "LauncherScript" methods, then the ten of the launcher.
    void RegisterLauncherScriptClass() override;
    // The general "GlobalFunction" names, then the launcher's four.
    void RegisterGlobalFunctionClass() override;
    // The application's GUI setup; nil when the application provides none.
    virtual CLauncherGUISetupWrapper* GetLauncherGUISetup();
    virtual void RegisterGameInfoManagerClass();
    virtual void RegisterLauncherGUISetupClass();
    virtual void RegisterLauncherGUIClass();

    // The application's game information manager when it is a CDefaultGameInfoManager (or
    // derived); else nil.
    CDefaultGameInfoManager* GetGameInfoManager();
    CLauncherGUIWrapper* GetLauncherGUI() { return m_gui.get(); }

    // The hand-off and install registration texts in the script's code page; empty without a
    // game information manager. Each call refreshes all seven slots.
    const char* GetGameID();
    const char* GetGameInstallURL();
    const char* GetGameInstallFile();
    const char* GetClientPath();
    const char* GetClientPatcherName();
    const char* GetClientArgument();
    const char* GetRegistryRootKey();

    static constexpr size_t kTextSlotBytes = 256;

protected:
    std::unique_ptr<CGlobalFunctionForScript> CreateGlobalFunction() override;
    void RegisterClasses() override;

private:
    enum eHandOffSlot
    {
        kSlotGameId,
        kSlotInstallUrl,
        kSlotInstallFile,
        kSlotClientPath,
        kSlotPatcher,
        kSlotArgument,
        kSlotRootKey,
        kSlotCount
    };
    const char* HandOffText(eHandOffSlot slot);

    std::unique_ptr<CLauncherGUIWrapper> m_gui;
    std::unique_ptr<CLauncherGUISetupWrapper> m_setup;
    char m_texts[kSlotCount][kTextSlotBytes] = {};
};
