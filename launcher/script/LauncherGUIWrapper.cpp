#include "launcher/script/LauncherGUIWrapper.h"

#include "launcher/app/GUISetupAccess.h"
#include "launcher/gui/LauncherGUI.h"
#include "launcher/script/ScriptText.h"

CFWLauncherGUI* CLauncherGUIWrapper::Window() const
{
    return m_connector ? m_connector->GetLauncherGUI() : nullptr;
}

void CLauncherGUIWrapper::SetPosition_CurrentFileProgress(int percent)
{
    if (CFWLauncherGUI* window = Window()) window->SetProgress(kBarCurrentFile, percent);
}

void CLauncherGUIWrapper::SetPosition_TotalFileProgress(int percent)
{
    if (CFWLauncherGUI* window = Window()) window->SetProgress(kBarTotal, percent);
}

void CLauncherGUIWrapper::SetText(uint16_t index, const char* text)
{
    CFWLauncherGUI* window = Window();
    if (!window) return;
    std::wstring wide = script_text::ToWide(text, script_text::CodePageOf(m_connector));
    window->SetText(index, wide.c_str());
}

void CLauncherGUIWrapper::SetText_StatusText(const char* text)
{
    SetText(kTextStatus, text);
}

void CLauncherGUIWrapper::SetText_FileText(const char* text)
{
    SetText(kTextCurrentFile, text);
}

void CLauncherGUIWrapper::SetText_CheckBox(int index, const char* text)
{
    CFWLauncherGUI* window = Window();
    if (!window || index < 0 || index > UINT16_MAX) return;
    std::wstring wide = script_text::ToWide(text, script_text::CodePageOf(m_connector));
    window->SetCheckBoxText(static_cast<uint16_t>(index), wide.c_str());
}

void CLauncherGUIWrapper::SetCheck_CheckBox(int index, bool checked)
{
    CFWLauncherGUI* window = Window();
    if (!window || index < 0 || index > UINT16_MAX) return;
    window->SetCheckBoxCheck(static_cast<uint16_t>(index), checked);
}

IGUISetupSettings* CLauncherGUISetupWrapper::Target() const
{
    return GetGUISetupSettings(m_connector);
}

void CLauncherGUISetupWrapper::Store(int field, const char* text)
{
    IGUISetupSettings* setup = Target();
    if (!setup) return;
    setup->SetSetupText(static_cast<eGUISetupText>(field),
                        script_text::ToWide(text, script_text::CodePageOf(m_connector)));
}

void CLauncherGUISetupWrapper::SetCheckBoxText_01(const char* text)
{
    Store(kSetupCheckBoxText01, text);
}

void CLauncherGUISetupWrapper::SetCheckBoxText_02(const char* text)
{
    Store(kSetupCheckBoxText02, text);
}

void CLauncherGUISetupWrapper::SetCheckBoxText_03(const char* text)
{
    Store(kSetupCheckBoxText03, text);
}

void CLauncherGUISetupWrapper::SetIEStartPage(const char* text)
{
    Store(kSetupIEStartPage, text);
}

void CLauncherGUISetupWrapper::SetShortcutURL(const char* text)
{
    Store(kSetupShortcutURL, text);
}

void CLauncherGUISetupWrapper::SetShortcutName(const char* text)
{
    Store(kSetupShortcutName, text);
}

void CLauncherGUISetupWrapper::SetShortcutIncludeIconFileName(const char* text)
{
    Store(kSetupShortcutIncludeIconFileName, text);
}

void CLauncherGUISetupWrapper::SetDefaultFont(const char* text)
{
    Store(kSetupDefaultFont, text);
}

void CLauncherGUISetupWrapper::SetDefaultFontSize(int size)
{
    if (IGUISetupSettings* setup = Target()) setup->SetDefaultFontSize(size);
}

void CLauncherGUISetupWrapper::SetNoticeURL(const char* text)
{
    Store(kSetupNoticeURL, text);
}
