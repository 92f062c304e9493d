#pragma once
// The objects behind the script classes "LauncherGUI" and "LauncherGUISetup": each forwards the
// script's calls, texts converted from the script's code page into 256-character buffers, to the
// launcher window and to the application's GUI setup. Both reach their target through the connector
// at each call, so a window or setup made after the script loaded is found.
#include <cstdint>

class CObjectConnector;
class CFWLauncherGUI;
class IGUISetupSettings;

class CLauncherGUIWrapper
{
public:
    virtual ~CLauncherGUIWrapper() = default;
    virtual void SetConnector(CObjectConnector* connector) { m_connector = connector; }
    virtual void SetPosition_CurrentFileProgress(int percent);
    virtual void SetPosition_TotalFileProgress(int percent);
    virtual void SetText_StatusText(const char* text);
    virtual void SetText_FileText(const char* text);
    // The window ignores indexes beyond its three check boxes.
    virtual void SetText_CheckBox(int index, const char* text);
    virtual void SetCheck_CheckBox(int index, bool checked);

private:
    CFWLauncherGUI* Window() const;
    void SetText(uint16_t index, const char* text);

    CObjectConnector* m_connector = nullptr;
};

class CLauncherGUISetupWrapper
{
public:
    virtual ~CLauncherGUISetupWrapper() = default;
    virtual void SetConnector(CObjectConnector* connector) { m_connector = connector; }
    // The setup the calls reach; null when the application has none.
    IGUISetupSettings* Target() const;

    // Kept for the scripts that call it: there is no game-area image to set.
    void SetImageForGameArea(const char* text) {}
    void SetCheckBoxText_01(const char* text);
    void SetCheckBoxText_02(const char* text);
    void SetCheckBoxText_03(const char* text);
    void SetIEStartPage(const char* text);
    void SetShortcutURL(const char* text);
    void SetShortcutName(const char* text);
    void SetShortcutIncludeIconFileName(const char* text);
    void SetDefaultFont(const char* text);
    void SetDefaultFontSize(int size);
    void SetNoticeURL(const char* text);

private:
    void Store(int field, const char* text);

    CObjectConnector* m_connector = nullptr;
};
