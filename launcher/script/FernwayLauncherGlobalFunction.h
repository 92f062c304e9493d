#pragma once
// The launcher's own "GlobalFunction" object: the general script functions plus desktop shortcuts,
// the system's version name and the install-folder dialog with terms.
#include "launcher/script/GlobalFunctionForScript.h"

#include <cstdint>
#include <string>

// What the install dialog is given and what it answers.
struct sInstallDialogRequest
{
    std::wstring folder;
    uint32_t requiredBytes = 0;
    std::wstring termsSource;
    // Backslash-separated parts the chosen folder gets when it lacks them.
    std::wstring folderSuffix;
    bool options[3] = {false, false, false};
};

class CFernwayLauncherGlobalFunction : public CGlobalFunctionForScript
{
public:
    // The folder chosen in the install dialog (created when missing); nil when a text is missing, the
    // dialog was not agreed to, or the folder cannot be created. The window's option check boxes go
    // into the dialog and come back from it.
    const char* ShowSelectPath_Terms_Dialog(const char* text, int number, const char* terms) override;
    virtual const char* GetWindowsOSVersionString();
    // Shortcut file at shortcutPath to the program (or URL); true when written.
    virtual bool CreateFileShortcut(const char* target, const char* shortcutPath, const char* iconFile,
                                    int iconIndex);
    virtual bool CreateURLShortcut(const char* target, const char* shortcutPath, const char* iconFile,
                                   int iconIndex);

protected:
    // Runs the install dialog modally; true when the player agreed (request then holds the folder
    // and the options). No dialog toolkit is part of this library: the window's back end provides
    // one by overriding this.
    virtual bool RunInstallDialog(sInstallDialogRequest& request);

private:
    bool CreateShortcut(int kind, const char* target, const char* shortcutPath, const char* iconFile,
                        int iconIndex, const char* operation, int line);
};
