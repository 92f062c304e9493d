#include "launcher/gui/LauncherOptions.h"

#include "launcher/gui/DefaultGUISetup.h"
#include "launcher/info/GameInfoManager.h"
#include "platform/fs/FileSystem.h"
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextCodec.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

namespace
{
constexpr const wchar_t* kStartPageKey = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr const wchar_t* kStartPageValue = L"Start Page";
// The site whose start-page option only looks for the desktop.
constexpr const wchar_t* kSiteDaum = L"DAUM";
// A shortcut name when the setup has none and there is no game id either.
constexpr const wchar_t* kFallbackShortcutName = L"Velmora";
constexpr const wchar_t* kShortcutExtension = L".desktop";
} // namespace

int CLauncherOptions::DoOption(uint32_t index, bool checked)
{
    const int hook = m_hook ? m_hook->RunOptionHook(index, checked)
                            : (index < 3 ? ZP::kResultOk : ZP::kErrorInvalidPointer);
    if (hook != ZP::kResultOk)
    {
        ZP_LOG_ERROR(hook, "CFWLImplement::DoOption", 18);
        return hook;
    }
    if (!checked) return ZP::kResultOk;

    int r = ZP::kResultOk;
    if (index == 0)
        r = DoOption_CreateShortcut();
    else if (index == 1)
    {
        auto* manager =
            m_connector ? dynamic_cast<CFWLGameInfoManager*>(m_connector->GetGameInfoManager()) : nullptr;
        r = manager && manager->GetSiteCode() == kSiteDaum ? DoOption_CreateShortcut_DAUM()
                                                           : DoOption_SetStartpage();
    }
    if (r != ZP::kResultOk) ZP_LOG_ERROR(r, "CFWLImplement::DoOption", 49);
    return r;
}

bool CLauncherOptions::GetDesktopFolder(std::wstring& out) const
{
    out = m_desktopSet ? m_desktop : platform::fs::DesktopDirectory();
    if (out.empty() || !platform::fs::IsDirectory(out))
    {
        ZP::LogF(L"Failed to get the Desktop Path.");
        return false;
    }
    return true;
}

std::wstring CLauncherOptions::ShortcutFile(const std::wstring& folder) const
{
    std::wstring name = m_setup ? m_setup->GetSettings().ShortcutName : sGUISetupSettings().ShortcutName;
    if (name.empty())
    {
        CGameInfoManagerBase* manager = m_connector ? m_connector->GetGameInfoManager() : nullptr;
        name = manager && !manager->GetGameId().empty() ? manager->GetGameId() : kFallbackShortcutName;
    }
    return folder + L"/" + name + kShortcutExtension;
}

int CLauncherOptions::DoOption_CreateShortcut()
{
    ZP::LogF(L"DoOption_CreateShortcut");
    std::wstring desktop;
    if (!GetDesktopFolder(desktop)) return ZP::kResultFail;

    const sGUISetupSettings defaults;
    const sGUISetupSettings& settings = m_setup ? m_setup->GetSettings() : defaults;
    const std::wstring target = settings.ShortcutURL.empty() ? kPortalAddress : settings.ShortcutURL;
    const std::wstring file = ShortcutFile(desktop);
    std::wstring icon = m_executableName;
    if (!settings.ShortcutIncludeIconFileName.empty())
    {
        CGameInfoManagerBase* manager = m_connector ? m_connector->GetGameInfoManager() : nullptr;
        const std::wstring folder = manager ? manager->GetField(kFieldInstallDir) : std::wstring();
        icon = folder + L"/" + settings.ShortcutIncludeIconFileName;
    }

    ICreateShortcut shortcut;
    shortcut.SetIcon(icon.c_str(), 0);
    const bool saved = shortcut.Create(kShortcutUrl, target.c_str(), file.c_str());
    ZP::LogF(L"CreateShortcut - LinkTarget : %s, FullPathName : %s", target.c_str(), file.c_str());
    // A shortcut that cannot be written is only logged: the option itself has done its part.
    ZP_LOG_ERROR(saved ? ZP::kResultOk : ZP::kResultFail, "CFWLImplement::DoOption_CreateShortcut", 107);
    return ZP::kResultOk;
}

int CLauncherOptions::DoOption_SetStartpage()
{
    ZP::LogF(L"DoOption_SetStartpage");
    const std::wstring page = m_setup ? m_setup->GetSettings().IEStartPage : sGUISetupSettings().IEStartPage;
    platform::registry::Key key;
    // The key is never created: a browser that has not made it has no use for the value.
    if (!key.Open(platform::registry::eRoot::CurrentUser, kStartPageKey))
    {
        ZP_LOG_ERROR(ZP::kResultFail, "CFWLImplement::DoOption_SetStartpage", 184);
        return ZP::kResultFail;
    }
    const bool written = key.SetValue(kStartPageValue, platform::registry::sValue::Text(page));
    key.Close();
    if (!written)
    {
        ZP_LOG_ERROR(ZP::kResultFail, "CFWLImplement::DoOption_SetStartpage", 184);
        return ZP::kResultFail;
    }
    return ZP::kResultOk;
}

int CLauncherOptions::DoOption_CreateShortcut_DAUM()
{
    ZP::LogF(L"DoOption_CreateShortcut_DAUM");
    std::wstring desktop;
    return GetDesktopFolder(desktop) ? ZP::kResultOk : ZP::kResultFail;
}
