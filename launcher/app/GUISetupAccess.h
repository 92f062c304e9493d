#pragma once
// The GUI setup as the script reaches it: the texts, URLs and font that the window and the options
// read, which the launcher script may change while it loads. The application object provides it
// beside its connector interface (as it provides the updater's stop flag); an application without
// it has no GUI setup for the script.
#include "launcher/app/Components.h"

#include <string>

enum eGUISetupText
{
    kSetupCheckBoxText01,
    kSetupCheckBoxText02,
    kSetupCheckBoxText03,
    kSetupIEStartPage,
    kSetupShortcutURL,
    kSetupShortcutName,
    kSetupShortcutIncludeIconFileName,
    kSetupDefaultFont,
    kSetupNoticeURL,
    kGUISetupTextCount
};

class IGUISetupSettings
{
public:
    virtual ~IGUISetupSettings() = default;
    // Texts arrive converted and cut to the setup's buffers (255 characters).
    virtual void SetSetupText(eGUISetupText field, const std::wstring& text) = 0;
    virtual void SetDefaultFontSize(int size) = 0;
};

class IGUISetupProvider
{
public:
    virtual ~IGUISetupProvider() = default;
    // Null before the setup exists and after it is gone.
    virtual IGUISetupSettings* GetGUISetupSettings() = 0;
};

// Null when the connector is null or does not provide a GUI setup.
inline IGUISetupSettings* GetGUISetupSettings(CObjectConnector* connector)
{
    IGUISetupProvider* provider = dynamic_cast<IGUISetupProvider*>(connector);
    return provider ? provider->GetGUISetupSettings() : nullptr;
}
