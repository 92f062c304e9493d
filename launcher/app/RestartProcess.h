#pragma once
// The restart process as the other components reach it through the connector: the component that
// holds the launcher information record (filled from "LauncherInfo.dat") and replaces the launcher
// when a new version exists.
#include "launcher/app/Components.h"

#include <string>

class CLauncherInfo;

// How the running program was started: as the launcher executable or as its clone copy.
constexpr int kModuleTypeAbnormal = 0; // not determined
constexpr int kModuleTypeNormal = 1;
constexpr int kModuleTypeClone = 2;

// Where the launcher information lives and what the launcher's files are called. All local files
// are in the current folder of the launcher information record.
struct sRestartSettings
{
    std::wstring infoBaseURL = L"http://launcher-server.invalid";
    std::wstring infoPath = L"/Version/";
    std::wstring infoFile = L"LauncherInfo.dat";
    std::wstring clientVersion = L"0.1"; // the running launcher's own version
    std::wstring launcherExecutable = L"Launcher";
    std::wstring resourceModule = L"FWLDRS.dll";
    std::wstring cloneExecutable = L"Launcher.cln";
    std::wstring cloneResourceModule = L"FWLDRS.cln";
};

class CRestartProcess : public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    // Longest setting, in characters.
    static constexpr size_t kSettingChars = 255;

    // The record lives as long as the component.
    virtual CLauncherInfo* GetLauncherInfo() = 0;
    // 1 when this launcher may go on; 14099 when a successor was started and this launcher must
    // end; any other code on failure. One that replaces nothing lets the launcher go on.
    virtual int Restart() { return 1; }
    virtual int GetModuleType() { return kModuleTypeAbnormal; }

    const sRestartSettings& GetSettings() const { return m_settings; }
    // 1; 14011 when a setting is longer than kSettingChars (nothing is changed then).
    int SetSettings(const sRestartSettings& settings);

protected:
    sRestartSettings m_settings;
};
