#include "launcher/workflow/LauncherImplement.h"

#include "launcher/app/MessageBox.h"
#include "launcher/gui/LauncherGUI.h"
#include "platform/fs/FileSystem.h"
#include "platform/process/Environment.h"
#include "zpak/log/ZpakLog.h"

namespace
{
constexpr unsigned kEntryChooseInstallFolder = 31;
constexpr uint32_t kOptionShortcut = 0;
constexpr uint32_t kOptionStartPage = 1;
} // namespace

int CFWLImplement::DoOption(uint32_t index, int state)
{
    int r = CDefaultLauncherImplement::DoOption(index, state);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CFWLImplement::DoOption", 18);
        return r;
    }
    if (!state) return 1;
    if (index != kOptionShortcut && index != kOptionStartPage) return 1;
    r = ApplyOption(index);
    if (r != 1) ZP_LOG_ERROR(r, "CFWLImplement::DoOption", 49);
    return r;
}

int CFWLImplement::ApplyOption(uint32_t index)
{
    return 1;
}

std::wstring CFWLImplement::SelectFolder(uint32_t requiredBytes)
{
    return std::wstring();
}

bool CFWLImplement::GetSelectedFolder_ForInstall(std::wstring& folder, uint32_t requiredBytes)
{
    ZP::LogF(L"GetSelectedFolder_ForInstall");
    std::wstring chosen;
    bool answer = false;
    if (ShowMessage(StringEntry(kEntryChooseInstallFolder), kMessageYesNo) == kMessageAnswerYes)
    {
        ZP::LogF(L"Set Install Folder");
        chosen = SelectFolder(requiredBytes);
        answer = !chosen.empty();
    }
    else
    {
        ZP::LogF(L"Dose not set Install Folder");
    }
    if (chosen.empty())
    {
        chosen = platform::process::ExpandEnvironmentText(L"%TEMP%");
        // Here the temporary folder need not be named in the environment.
        if (chosen == L"%TEMP%") chosen = platform::fs::TempDirectory();
        answer = false;
    }
    if (chosen.size() > 255) chosen.resize(255);
    folder = chosen;
    ZP::LogF(L"InstallFoder - Real(%s), Copied(%s)", chosen.c_str(), folder.c_str());
    return answer;
}
