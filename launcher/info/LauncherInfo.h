#pragma once
// The launcher information record: the launcher's newest version and where to fetch it, filled by
// the launcher information file ("LauncherInfo.dat") through the script class "LauncherInfo", and
// the folder the launcher runs from.
#include "launcher/info/Checks.h"
#include "launcher/info/InfoRecord.h"
#include "launcher/info/InfoText.h"

#include <cstdint>
#include <string>

class CLauncherInfo : public ICheckInvalidFile, public ICheckInvalidMemoryData, public IInfoRecord
{
public:
    // What the server URL is until the launcher information file names one: a reserved name that
    // never resolves.
    static constexpr const wchar_t* kDefaultServerURL = L"http://launcher-server.invalid/";
    static constexpr const wchar_t* kDefaultVersion = L"0.1";

    CLauncherInfo();

    // Checks the buffer (14003 null, 14008 empty) and runs it as a chunk of the current script;
    // then the script host's result.
    int LoadInfoFromMemory(const char* data, uint32_t size) override;

    // Script getters and setters (1 when stored; 0 for nil or more than 255 characters).
    uint32_t SetLauncherVersion(const char* text);
    const char* GetLauncherVersion();
    uint32_t SetLauncherServerURL(const char* text);
    const char* GetLauncherServerURL();
    // The current folder in the script's code page.
    const char* GetLauncherRootPath();

    // 1, or 14011 for 256 characters or more.
    int SetCurrentPath(const wchar_t* text) { return m_currentPath.SetWide(text); }
    const std::wstring& GetCurrentPath() const { return m_currentPath.Wide(); }
    const std::wstring& GetLauncherVersionW() const { return m_version.Wide(); }
    const std::wstring& GetLauncherServerURLW() const { return m_serverURL.Wide(); }

private:
    CInfoText m_currentPath;
    CInfoText m_version;
    CInfoText m_serverURL;
};
