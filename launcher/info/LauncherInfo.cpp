#include "launcher/info/LauncherInfo.h"

#include "launcher/app/CurrentScript.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

namespace
{
uint32_t Store(CInfoText& property, const char* text, const char* operation)
{
    if (property.SetNarrow(text, CurrentScriptCodePage())) return 1;
    if (text) ZP_LOG_ERROR(ZP::kErrorBufferOverrun, operation);
    return 0;
}
} // namespace

CLauncherInfo::CLauncherInfo()
{
    m_version.SetWide(kDefaultVersion);
    m_serverURL.SetWide(kDefaultServerURL);
    unsigned codePage = CurrentScriptCodePage();
    m_version.GetNarrow(codePage);
    m_serverURL.GetNarrow(codePage);
}

int CLauncherInfo::LoadInfoFromMemory(const char* data, uint32_t size)
{
    int r = CheckMemory(data, size);
    if (r == 1 && !GetCurrentScript()) r = ZP::kErrorInvalidPointer;
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CLauncherInfo::LoadInfoFromMemory");
        return r;
    }
    return GetCurrentScript()->RunScriptBuffer(data, size);
}

uint32_t CLauncherInfo::SetLauncherVersion(const char* text)
{
    return Store(m_version, text, "CLauncherInfo::SetLauncherVersion");
}

const char* CLauncherInfo::GetLauncherVersion()
{
    return m_version.GetNarrow(CurrentScriptCodePage());
}

uint32_t CLauncherInfo::SetLauncherServerURL(const char* text)
{
    return Store(m_serverURL, text, "CLauncherInfo::SetLauncherServerURL");
}

const char* CLauncherInfo::GetLauncherServerURL()
{
    return m_serverURL.GetNarrow(CurrentScriptCodePage());
}

const char* CLauncherInfo::GetLauncherRootPath()
{
    return m_currentPath.GetNarrow(CurrentScriptCodePage());
}
