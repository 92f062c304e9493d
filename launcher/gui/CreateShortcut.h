#pragma once
// The shortcut maker of the options and the script: a link to a program (kind 0) or an internet
// shortcut to a URL (kind 1), written as a desktop entry.
#include <string>

constexpr int kShortcutFile = 0;
constexpr int kShortcutUrl = 1;

class ICreateShortcut
{
public:
    virtual ~ICreateShortcut() = default;
    // Writes the shortcut file, replacing one of that name. A name ending in ".lnk" or ".url" gets
    // the extension ".desktop" instead (desktops list only those), and a bare name goes into the
    // desktop folder. False for another kind, an empty target or a file that cannot be written.
    virtual bool Create(int kind, const wchar_t* target, const wchar_t* file);
    virtual void SetDescription(const wchar_t* text) { m_description = text ? text : L""; }
    virtual void SetArguments(const wchar_t* text) { m_arguments = text ? text : L""; }
    virtual void SetWorkingDirectory(const wchar_t* text) { m_workingFolder = text ? text : L""; }
    // Desktop entries have no show command; kept for the callers that set one.
    virtual void SetShowCmd(int command) { m_showCommand = command; }
    // Desktop entries name one icon per file: the index is kept but not written.
    virtual void SetIcon(const wchar_t* path, int index)
    {
        m_iconPath = path ? path : L"";
        m_iconIndex = index;
    }

    // Where Create writes for the file name given.
    static std::wstring EntryPath(const std::wstring& file);

private:
    std::wstring m_description;
    std::wstring m_arguments;
    std::wstring m_workingFolder;
    int m_showCommand = 5;
    std::wstring m_iconPath;
    int m_iconIndex = 0;
};
