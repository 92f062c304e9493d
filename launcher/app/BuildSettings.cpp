#include "launcher/app/BuildSettings.h"

#include "platform/process/Environment.h"

#ifndef VELMORA_LAUNCHER_VERSION
#error "VELMORA_LAUNCHER_VERSION comes from the build"
#endif
#ifndef VELMORA_LAUNCHER_SERVER
#error "VELMORA_LAUNCHER_SERVER comes from the build"
#endif

const wchar_t* LauncherOwnVersion()
{
    return L"" VELMORA_LAUNCHER_VERSION;
}

std::wstring LauncherInfoServerAddress()
{
    std::wstring address;
    if (!platform::process::GetEnvironmentValue("VELMORA_LAUNCHER_SERVER", address))
        address = L"" VELMORA_LAUNCHER_SERVER;
    while (!address.empty() && address.back() == L'/')
        address.pop_back();
    return address;
}

sRestartSettings LauncherRestartSettings()
{
    sRestartSettings settings;
    settings.infoBaseURL = LauncherInfoServerAddress();
    settings.infoPath = kLauncherInfoPath;
    settings.infoFile = L"LauncherInfo.dat";
    settings.clientVersion = LauncherOwnVersion();
    settings.launcherExecutable = L"VelmoraLauncher";
    settings.resourceModule = L"FWLDRS.dll";
    settings.cloneExecutable = L"VelmoraLauncher.cln";
    settings.cloneResourceModule = L"FWLDRS.cln";
    return settings;
}
