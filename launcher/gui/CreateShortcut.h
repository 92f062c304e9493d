#pragma once
// The shortcut maker: a freedesktop entry file (Type=Application for a program, Type=Link for an
// internet address), which desktops show as a launcher icon.
#include <string>

class ICreateShortcut
{
public:
    static constexpr int kKindFile = 0;
    static constexpr int kKindInternet = 1;

    virtual ~ICreateShortcut() = default;
    // Writes file (replacing it) pointing to target; false for an unknown kind or a failed write.
    virtual bool Create(int kind, const std::wstring& target, const std::wstring& file);
    void SetDescription(const std::wstring& text) { m_description = text; }
    void SetArguments(const std::wstring& text) { m_arguments = text; }
    void SetWorkingDirectory(const std::wstring& path) { m_workingDirectory = path; }
    // Entry files have no show command; kept so callers can set it.
    void SetShowCmd(int show) { m_showCmd = show; }
    void SetIcon(const std::wstring& path, int index)
    {
        m_iconPath = path;
        m_iconIndex = index;
    }

    // The entry's text as Create writes it; empty for an unknown kind.
    std::string BuildEntry(int kind, const std::wstring& target, const std::wstring& file) const;

private:
    std::wstring m_description;
    std::wstring m_arguments;
    std::wstring m_workingDirectory;
    int m_showCmd = 5;
    std::wstring m_iconPath;
    int m_iconIndex = 0;
};
