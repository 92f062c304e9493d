#pragma once
// The options of the launcher window's check boxes, applied when the game starts or the window is
// closed by its close button: 0 a desktop shortcut to the portal, 1 the browser start page, 2 only
// what the script's option function does. Every option first runs the script's option function.
#include "launcher/app/Components.h"
#include "launcher/gui/CreateShortcut.h"

#include <cstdint>
#include <string>

class CDefaultGUISetup;

// The implementation's option hook: the script function named for an option, when there is one.
class IOptionHook
{
public:
    virtual ~IOptionHook() = default;
    // 1 when there is no function or it ran; 14003 for an index of 3 or more.
    virtual int RunOptionHook(uint32_t index, bool checked) = 0;
};

class CLauncherOptions
{
public:
    // All borrowed; any may be null (the defaults of the GUI setup are used without one).
    CLauncherOptions(CObjectConnector* connector, CDefaultGUISetup* setup, IOptionHook* hook)
        : m_connector(connector), m_setup(setup), m_hook(hook)
    {
    }

    // The launcher executable's name, the shortcut icon when the setup names none.
    void SetLauncherExecutableName(const std::wstring& name) { m_executableName = name; }
    // Default: the user's desktop folder of the platform; empty means there is none.
    void SetDesktopFolder(const std::wstring& folder)
    {
        m_desktop = folder;
        m_desktopSet = true;
    }

    int DoOption(uint32_t index, bool checked);
    int DoOption_CreateShortcut();
    int DoOption_SetStartpage();
    int DoOption_CreateShortcut_DAUM();

    // Where DoOption_CreateShortcut writes the shortcut in folder.
    std::wstring ShortcutFile(const std::wstring& folder) const;

private:
    bool GetDesktopFolder(std::wstring& out) const;

    CObjectConnector* m_connector;
    CDefaultGUISetup* m_setup;
    IOptionHook* m_hook;
    std::wstring m_executableName = L"VelmoraLauncher";
    std::wstring m_desktop;
    bool m_desktopSet = false;
};
