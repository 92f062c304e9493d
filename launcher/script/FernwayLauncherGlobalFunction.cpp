#include "launcher/script/FernwayLauncherGlobalFunction.h"

#include "launcher/gui/CreateShortcut.h"
#include "launcher/gui/LauncherGUI.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/script/ScriptText.h"
#include "launcher/script/WindowsOSVersion.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/log/ZpakLog.h"

namespace
{
// Error lines of these functions name the module they came from, whatever file holds them now.
constexpr const char* kSourceName = "FernwayLauncherScript";
} // namespace

bool CFernwayLauncherGlobalFunction::CreateShortcut(int kind, const char* target, const char* shortcutPath,
                                                    const char* iconFile, int iconIndex,
                                                    const char* operation, int line)
{
    unsigned codePage = CodePage();
    std::wstring wideTarget = script_text::ToWide(target, codePage);
    std::wstring widePath = script_text::ToWide(shortcutPath, codePage);
    std::wstring wideIcon = script_text::ToWide(iconFile, codePage);
    ICreateShortcut maker;
    maker.SetIcon(wideIcon.c_str(), iconIndex);
    int r = maker.Create(kind, wideTarget.c_str(), widePath.c_str()) ? 1 : 0;
    if (r == 1) return true;
    ZP::LogErrorLine(r, kSourceName, operation, line);
    return false;
}

bool CFernwayLauncherGlobalFunction::CreateFileShortcut(const char* target, const char* shortcutPath,
                                                        const char* iconFile, int iconIndex)
{
    return CreateShortcut(kShortcutFile, target, shortcutPath, iconFile, iconIndex,
                          "CFernwayLauncherGlobalFunction::CreateFileShortcut", 254);
}

bool CFernwayLauncherGlobalFunction::CreateURLShortcut(const char* target, const char* shortcutPath,
                                                       const char* iconFile, int iconIndex)
{
    return CreateShortcut(kShortcutUrl, target, shortcutPath, iconFile, iconIndex,
                          "CFernwayLauncherGlobalFunction::CreateURLShortcut", 274);
}

const char* CFernwayLauncherGlobalFunction::GetWindowsOSVersionString()
{
    ResultBuffer[0] = '\0';
    IWindowsOSVersion version;
    version.Detect();
    const char* name = IWindowsOSVersion::IndexName(version.GetVersionIndex());
    ZP::LogF(L"GetWindowsOSVersionString : %hs", name);
    return SetResult(script_text::ToWide(name, 65001));
}

bool CFernwayLauncherGlobalFunction::RunInstallDialog(sInstallDialogRequest& request)
{
    return false;
}

const char* CFernwayLauncherGlobalFunction::ShowSelectPath_Terms_Dialog(const char* text, int number,
                                                                        const char* terms)
{
    ZP::LogF(L"ShowSelectPath_Terms_Dialog");
    if (!text || !terms) return nullptr;
    ResultBuffer[0] = '\0';
    unsigned codePage = CodePage();
    sInstallDialogRequest request;
    request.folder = script_text::ToWide(text, codePage);
    request.requiredBytes = static_cast<uint32_t>(number);
    request.termsSource = script_text::ToWide(terms, codePage);
    CGameInfoManagerBase* manager = m_connector ? m_connector->GetGameInfoManager() : nullptr;
    if (auto* defaults = dynamic_cast<CDefaultGameInfoManager*>(manager))
        request.folderSuffix = defaults->GetRegistryName(kRegProduct) + L"\\" + defaults->GetGameId();
    CFWLauncherGUI* window = m_connector ? m_connector->GetLauncherGUI() : nullptr;
    for (uint16_t i = 0; i < 3; ++i)
        request.options[i] = window && window->GetCheckBoxCheck(i);

    if (!RunInstallDialog(request)) return nullptr;

    SetResult(request.folder);
    if (window)
        for (uint16_t i = 0; i < 3; ++i)
            window->SetCheckBoxCheck(i, request.options[i]);
    if (!ZP::FolderExists(request.folder) && !ZP::CreateFolderTree(request.folder)) return nullptr;
    return ResultBuffer;
}
