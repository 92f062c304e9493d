#include "launcher/workflow/LauncherImplement.h"
#include "launcher/app/SelfUpdateStep.h"

#include "launcher/app/CurrentScript.h"
#include "launcher/app/MessageBox.h"
#include "launcher/app/StringTable.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "launcher/gui/LauncherGUI.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/patch/PatchSystemProcess.h"
#include "launcher/script/LauncherScript.h"
#include "launcher/script/StartProcess.h"
#include "platform/fs/Executable.h"
#include "platform/process/Exit.h"
#include "platform/process/Process.h"
#include "platform/sysinfo/SystemVersion.h"
#include "platform/ui/EventPump.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/PatchSystemMessage.h"

#include <chrono>
#include <thread>
#include <vector>

namespace
{
constexpr const wchar_t* kNotInstalledQuestion =
    L"게임이 설치되어 있지 않습니다. 다운로드 페이지로 이동하시겠습니까?";
constexpr const wchar_t* kInstallerDownloadStarts = L"설치 파일의 다운로드를 시작합니다.";

// Window show states.
constexpr int kShowRestored = 1;
constexpr int kShowMinimised = 2;

// String-table entries of the install steps.
constexpr unsigned kEntryInstallerDownload = 4;
constexpr unsigned kEntryInstallerRuns = 5;
constexpr unsigned kEntryInstallerDone = 6;
constexpr unsigned kEntryNoGameInfo = 7;
constexpr unsigned kEntryGameStartFailed = 22;
constexpr unsigned kEntryInstallerFailed = 27;

// A package program is looked at again this long after it ended, before its file is deleted.
constexpr auto kPackageSettle = std::chrono::milliseconds(30);

// Script texts become wide texts of at most 255 characters (the records' buffers).
constexpr size_t kScriptTextChars = 255;

std::wstring ScriptTextToWide(const char* text)
{
    if (!text) return std::wstring();
    std::wstring wide = ZP::MultiByteToWide(text, CurrentScriptCodePage());
    if (wide.size() > kScriptTextChars) wide.resize(kScriptTextChars);
    return wide;
}

// Messages are formatted into buffers of 1024 characters.
constexpr size_t kMessageChars = 1023;
} // namespace

CDefaultLauncherImplement::CDefaultLauncherImplement() = default;

CDefaultLauncherImplement::~CDefaultLauncherImplement()
{
    Finalize();
}

int CDefaultLauncherImplement::Initialize()
{
    return 1;
}

void CDefaultLauncherImplement::Finalize()
{
    for (std::string& name : m_optionFunctions)
        name.clear();
}

void CDefaultLauncherImplement::SetDoOptionFunction(uint32_t index, const char* name)
{
    if (index >= kOptionCount) return;
    Assign(m_optionFunctions[index], name);
}

const std::string& CDefaultLauncherImplement::GetDoOptionFunction(uint32_t index) const
{
    static const std::string none;
    return index < kOptionCount ? m_optionFunctions[index] : none;
}

// ---- helpers -------------------------------------------------------------------------------------

CFWLauncherGUI* CDefaultLauncherImplement::Window() const
{
    return m_connector ? m_connector->GetLauncherGUI() : nullptr;
}

CGameInfoManagerBase* CDefaultLauncherImplement::Manager() const
{
    return m_connector ? m_connector->GetGameInfoManager() : nullptr;
}

bool CDefaultLauncherImplement::StopRequested() const
{
    return IsUpdaterStopRequested(m_connector);
}

const wchar_t* CDefaultLauncherImplement::StringEntry(unsigned id) const
{
    CLauncherStringTable* table = m_connector ? m_connector->GetStringTable() : nullptr;
    return table ? table->GetString(id) : L"";
}

bool CDefaultLauncherImplement::ScriptRunning() const
{
    CLauncherScript* script = m_connector ? m_connector->GetScript() : nullptr;
    return script && script->GetLuaState();
}

int CDefaultLauncherImplement::CallScript(const std::string& name) const
{
    CLauncherScript* script = m_connector ? m_connector->GetScript() : nullptr;
    if (script) return script->CallScriptFunction(name.c_str());
    IScriptRunner* current = GetCurrentScript();
    return current ? current->CallScriptFunction(name.c_str()) : -1;
}

int CDefaultLauncherImplement::CallScriptWithNumber(const std::string& name, double number) const
{
    CLauncherScript* script = m_connector ? m_connector->GetScript() : nullptr;
    return script ? script->CallScriptFunctionWithNumber(name.c_str(), number) : -1;
}

void CDefaultLauncherImplement::Report(const char* actionCode) const
{
    if (CFWLauncherGUI* window = Window()) window->SendActionReport(actionCode);
}

void CDefaultLauncherImplement::EndProcess(int exitCode)
{
    platform::process::EndProcessNow(exitCode);
}

void CDefaultLauncherImplement::WaitForProgram(IStartProcessBase& starter) const
{
    int status = kWaitTimedOut;
    while (!StopRequested())
    {
        status = starter.WaitWithMessages(kWaitRoundMs);
        if (status == kWaitInputAvailable)
            platform::ui::DispatchOneEvent();
        else if (status != kWaitTimedOut)
            break;
    }
}

// ---- the game start ------------------------------------------------------------------------------

int CDefaultLauncherImplement::DoApplication()
{
    int r = m_applicationFunction.empty() ? DoApplication_Default() : CallScript(m_applicationFunction);
    if (r != 1) ZP_LOG_ERROR(r, "CDefaultLauncherImplement::DoApplication");
    return r;
}

int CDefaultLauncherImplement::DoApplication_Default()
{
    CGameInfoManagerBase* manager = Manager();
    if (!manager)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidPointer, "CDefaultLauncherImplement::DoApplication_Default");
        return ZP::kErrorInvalidPointer;
    }
    std::wstring path = manager->GetField(kFieldInstallDir) + L"\\";
    std::wstring arguments;
    CGameInfo* info = manager->GetGameInfo();
    if (info && info->IsLoaded() && !info->GetWide(kGameExeFileName).empty())
    {
        // The system's width decides, not the launcher's: the game ships a client for each.
        path += info->GetWide(platform::sysinfo::IsSystem64Bit() ? kGameExe64Path : kGameExe32Path);
        arguments = info->GetWide(kGameArgument);
    }
    else
    {
        path += manager->GetField(kFieldPatcher);
        arguments = manager->GetField(kFieldRegArgument);
    }
    const wchar_t* args = arguments.empty() ? nullptr : arguments.c_str();

    // The path goes to the system as one piece, so folders with blanks need no quoting; the
    // arguments are split the way the game client would split its command line.
    IStartProcess process;
    int r = process.CreateCurrentProcess(path.c_str(), args);
    uint32_t processId = 0;
    bool started = r == 1;
    if (started)
    {
        processId = process.GetProcessId();
        process.CloseProcessHandles();
    }
    else
    {
        ZP_LOG_ERROR(r, "CDefaultLauncherImplement::DoApplication_Default");
        ZP::LogF(L"Fail to CreateProcess Call. So try to call ShellExecute....");
        IShellExecute shell;
        r = shell.CreateCurrentProcess(path.c_str(), args);
        started = r == 1;
        if (started)
        {
            processId = shell.GetProcessId();
            shell.CloseProcessHandles();
        }
        else
        {
            Report("launcher.game.damagedfile");
            ZP::LogF(L"Error to ShellExecute : %d", r);
            ShowMessage(ZP::FormatWide(kMessageChars, L"%s(E:90002. Shell)[%d]",
                                       StringEntry(kEntryGameStartFailed), r)
                            .c_str(),
                        kMessageNotice);
        }
    }
    if (started && !m_afterApplicationFunction.empty() && ScriptRunning())
        CallScriptWithNumber(m_afterApplicationFunction, processId);

    const std::wstring recordArgument = info ? info->GetWide(kGameArgument) : std::wstring();
    if (!recordArgument.empty())
        ZP::LogF(L"Start App : %s %s", path.c_str(), recordArgument.c_str());
    else
        ZP::LogF(L"Start App : %s", path.c_str());
    return r;
}

// ---- self-update and install check ---------------------------------------------------------------

int CDefaultLauncherImplement::CheckLauncherUpdateAndRestart()
{
    return ::CheckLauncherUpdateAndRestart(m_connector, m_initFunction.c_str());
}

int CDefaultLauncherImplement::CheckInstall()
{
    ZP::LogF(L"Check Install");
    CGameInfoManagerBase* manager = Manager();
    if (!manager) return ZP::kErrorInvalidPointer;
    if (manager->PrepareFromRegistry() != 1)
    {
        int r = m_installFunction.empty() ? InstallApplication_Default() : CallScript(m_installFunction);
        if (r != 1)
        {
            ZP_LOG_ERROR(r, "CDefaultLauncherImplement::CheckInstall");
            return r;
        }
        r = manager->PrepareFromRegistry();
        if (r != 1) return r;
    }
    int r = m_installAddonFunction.empty() ? 1 : CallScript(m_installAddonFunction);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CDefaultLauncherImplement::CheckInstall");
        return r;
    }
    return 1;
}

int CDefaultLauncherImplement::CheckInstallVM()
{
    ZP::LogF(L"Check InstallVM");
    CGameInfoManagerBase* manager = Manager();
    if (!manager) return ZP::kErrorInvalidPointer;
    if (manager->PrepareFromRegistry() == 1) return 1;

    CFWLauncherGUI* window = Window();
    // The window closes below on the program's behalf, not the player's.
    if (window) window->SetCloseLock(1);
    if (ShowMessage(kNotInstalledQuestion, kMessageYesNo) == kMessageAnswerYes)
    {
        Report("launcher.start.fail.moveinstallpage");
        CGameInfo* info = manager->GetGameInfo();
        std::wstring page = info ? info->GetWide(kGameInstallUrl) : std::wstring();
        platform::process::Process opener;
        int r = platform::process::ShellOpen(page, L"", opener);
        ZP::LogF(L"Open install page : %s (%d)", page.c_str(), r);
    }
    else
    {
        Report("launcher.start.fail.cancelinstall");
    }
    if (window) window->CloseLauncher();
    EndProcess(0);
    return 0;
}

int CDefaultLauncherImplement::InstallApplication_Default()
{
    ZP::LogF(L"InstallApplication_Default");
    CGameInfoManagerBase* manager = Manager();
    if (!manager) return ZP::kErrorInvalidPointer;
    uint32_t size = 0;
    {
        ZP::CFileHttp http;
        if (http.Open(manager->GetField(kFieldFullClient).c_str(), ZP::kModeRead, 0) == 1)
            size = http.GetSize();
        http.Close();
    }
    std::wstring folder;
    bool chosen = GetSelectedFolder_ForInstall(folder, size);
    std::wstring local = folder + L"\\" + manager->GetField(kFieldInstallFile);
    // A folder nobody chose may hold a stale installer of that name: never resume into it.
    if (!chosen && ZP::FileExists(local)) ZP::DeleteFile(local);
    int r = InstallApplication(folder);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CDefaultLauncherImplement::InstallApplication_Default");
        return r;
    }
    return 1;
}

bool CDefaultLauncherImplement::GetSelectedFolder_ForInstall(std::wstring& folder, uint32_t requiredBytes)
{
    return true;
}

int CDefaultLauncherImplement::InstallApplication(const std::wstring& folder)
{
    CGameInfoManagerBase* manager = Manager();
    if (!manager) return ZP::kErrorInvalidPointer;
    CFWLauncherGUI* window = Window();
    std::wstring path = folder + L"\\" + manager->GetField(kFieldInstallFile);
    if (window) window->SetTextFromStringTable(kTextStatus, kEntryInstallerDownload);
    int r = DownloadClient_InstallVersion(manager->GetField(kFieldFullClient).c_str(), path.c_str());
    if (r != 1)
    {
        ShowMessage(
            ZP::FormatWide(kMessageChars, L"%s(E:90008))[%d]", StringEntry(kEntryInstallerFailed), r).c_str(),
            kMessageNotice);
        ZP_LOG_ERROR(r, "CDefaultLauncherImplement::InstallApplication");
        return r;
    }
    if (window) window->SetTextFromStringTable(kTextStatus, kEntryInstallerRuns);
    platform::fs::MarkExecutable(path);
    IStartProcess installer;
    r = installer.CreateCurrentProcess(path.c_str(), nullptr);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CDefaultLauncherImplement::InstallApplication");
        return r;
    }
    if (window) window->SetShowState(kShowMinimised);
    WaitForProgram(installer);
    installer.CloseProcessHandles();
    if (window)
    {
        window->SetShowState(kShowRestored);
        window->SetTextFromStringTable(kTextStatus, kEntryInstallerDone);
    }
    return 1;
}

// ---- distribution packages -----------------------------------------------------------------------

int CDefaultLauncherImplement::UpdateDistPackages()
{
    CGameInfoManagerBase* manager = Manager();
    CGameInfo* info = manager ? manager->GetGameInfo() : nullptr;
    if (!info) return 1;
    int index = 0;
    for (const auto& package : info->GetDistPackageInfos())
    {
        int number = index++;
        if (!package) continue;
        if (!package->strCustomCheckFunctionName.is_set() || !package->strInstallFileName.is_set() ||
            !package->strInstallFileURL.is_set())
        {
            ZP::LogWarnF(L"It doesn't have enough information for distPackage(%d).", number);
            continue;
        }
        IScriptRunner* script = GetCurrentScript();
        int present = script ? script->CallScriptFunction(package->strCustomCheckFunctionName.c_str()) : -1;
        if (present != 0) continue;
        UpdateDistPackageContents(*package, manager);
    }
    return 1;
}

int CDefaultLauncherImplement::UpdateDistPackageContents(const sDistributePackageInfo& package,
                                                         CGameInfoManagerBase* manager)
{
    std::wstring url = ScriptTextToWide(package.strInstallFileURL.c_str());
    std::wstring name = ScriptTextToWide(package.strInstallFileName.c_str());
    std::wstring arguments = ScriptTextToWide(package.strInstallFileNameArguments.c_str());
    std::wstring source = url + L"/" + name;
    std::wstring target = manager->GetField(kFieldInstallDir) + L"\\" + name;

    uint32_t progress = 0;
    IHttpDownloader downloader;
    int r = downloader.DownloadDirectFileToLocalFile(source.c_str(), target.c_str(), &progress);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CDefaultLauncherImplement::UpdateDistPackageContents");
        return r;
    }
    platform::fs::MarkExecutable(target);
    IShellExecute shell;
    r = shell.CreateCurrentProcess(
        target.c_str(), package.strInstallFileNameArguments.is_set() ? arguments.c_str() : nullptr);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CDefaultLauncherImplement::UpdateDistPackageContents");
        return r;
    }
    CFWLauncherGUI* window = Window();
    if (window) window->SetShowState(kShowMinimised);
    WaitForProgram(shell);
    if (window) window->SetShowState(kShowRestored);
    shell.CloseProcessHandles();
    std::this_thread::sleep_for(kPackageSettle);
    if (IScriptRunner* script = GetCurrentScript())
        script->CallScriptFunction(package.strCustomCheckFunctionName.c_str());
    ZP::DeleteFile(target);
    return 1;
}

// ---- installer download --------------------------------------------------------------------------

int CDefaultLauncherImplement::DownloadInstallFile(const char* url, const char* localPath)
{
    if (!url || !localPath)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidFileName, "CDefaultLauncherImplement::DownloadInstallFile");
        return ZP::kErrorInvalidFileName;
    }
    std::wstring wideUrl = ScriptTextToWide(url);
    std::wstring widePath = ScriptTextToWide(localPath);
    return DownloadClient_InstallVersion(wideUrl.c_str(), widePath.c_str());
}

int CDefaultLauncherImplement::DownloadClient_InstallVersion(const wchar_t* url, const wchar_t* path)
{
    constexpr const char* kOperation = "CDefaultLauncherImplement::DownloadClient_InstallVersion";
    ZP::LogF(L"Download InstallVersion");
    CFWLauncherGUI* window = Window();
    if (!url || !path)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidFileName, kOperation);
        return ZP::kErrorInvalidFileName;
    }

    ZP::CFile local;
    uint32_t start = 0;
    int r;
    if (ZP::FileExists(path))
    {
        r = local.Open(path, ZP::kModeReadWrite, 0);
        if (r == 1) start = local.GetSize();
    }
    else
    {
        r = local.Open(path, ZP::kModeCreate, 0);
    }
    if (r != 1)
    {
        ZP_LOG_ERROR(r, kOperation);
        return r;
    }
    ZP::LogF(L"Download... %d", static_cast<int>(start));

    ZP::LogF(L"Download URL : %s", url);
    ZP::CFileHttp http;
    r = http.Open(url, ZP::kModeRead, 0);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, kOperation);
        return r;
    }
    ZP::LogF(L"HttpFile Open Success");
    if (window) window->SetText(kTextStatus, kInstallerDownloadStarts);
    const uint32_t total = http.GetSize();

    r = 1;
    if (start >= total)
    {
        ZP::LogF(L"Download is already completed");
        if (window)
        {
            window->SetProgress(kBarTotal, 100);
            window->SetProgress(kBarCurrentFile, 100);
        }
    }
    else
    {
        if (start > 0)
        {
            ZP::LogF(L"LocalFile SetPos");
            local.Seek(start);
            ZP::LogF(L"HttpFile SetPos");
            // A server that ignores the range sends everything again: start over then, rather
            // than append the whole file to the part already here.
            if (http.Seek(start) != start)
            {
                start = 0;
                local.Seek(0);
                local.Truncate(0);
            }
        }
        const uint32_t remaining = http.GetSize();
        ZP::LogF(L"Will Download %d bytes", static_cast<int>(remaining));
        std::vector<char> block(kInstallerBlock);
        uint32_t received = 0;
        while (received < remaining)
        {
            uint32_t n = http.Read(block.data(), kInstallerBlock);
            if (n == 0)
            {
                // The server ended the body early: no amount of waiting brings the rest.
                int cause = http.GetLastInternetError();
                r = cause != 0 ? cause : ZP::kErrorDownload;
                ZP_LOG_ERROR(r, kOperation);
                break;
            }
            if (local.Write(block.data(), n) != n)
            {
                r = ZP::kErrorFileWrite;
                ZP_LOG_ERROR(r, kOperation);
                break;
            }
            received += n;
            int percent = static_cast<int>((static_cast<uint64_t>(start) + received) * 100 / total);
            if (window)
            {
                window->SetProgress(kBarTotal, percent);
                window->SetProgress(kBarCurrentFile, percent);
            }
            if (StopRequested()) break;
        }
        ZP::LogF(L"Accident : read(%d), real(%d)", static_cast<int>(received), static_cast<int>(remaining));
    }
    local.Close();
    http.Close();
    if (StopRequested()) return ZP::kErrorDownload;
    return r;
}

// ---- patching and the end of the run -------------------------------------------------------------

int CDefaultLauncherImplement::ProcessPatchSystem()
{
    ZP::LogF(L"Process PatchSystem");
    Report("launcher.patch.start");
    CPatchSystemProcess* patch = m_connector ? m_connector->GetPatchSystem() : nullptr;
    CGameInfoManagerBase* manager = Manager();
    CGameInfo* info = manager ? manager->GetGameInfo() : nullptr;
    if (!patch || !info || !info->IsLoaded())
    {
        Report("launcher.patch.end");
        return 1;
    }
    if (patch->Setup(manager) != 1)
    {
        if (CFWLauncherGUI* window = Window())
        {
            window->SetTextFromStringTable(kTextStatus, kEntryNoGameInfo);
            window->SetTextFromStringTable(kTextCurrentFile, kEntryNoGameInfo);
        }
        Report("launcher.patch.fail.nogameinfo");
        return 1;
    }
    if (StopRequested()) return 1;
    int r = patch->StartAutoPatchSystem();
    if (r == 1)
    {
        Report("launcher.patch.end");
        return 1;
    }
    ZP_LOG_ERROR(r, "CDefaultLauncherImplement::ProcessPatchSystem");
    return r;
}

int CDefaultLauncherImplement::DoOption(uint32_t index, int state)
{
    if (index >= kOptionCount) return ZP::kErrorInvalidPointer;
    if (m_optionFunctions[index].empty()) return 1;
    if (!ScriptRunning()) return -1;
    return CallScriptWithNumber(m_optionFunctions[index], state);
}

int CDefaultLauncherImplement::FinishLauncher(int result)
{
    if (result == 1)
    {
        CFWLauncherGUI* window = Window();
        for (uint32_t i = 0; i < kOptionCount; ++i)
            DoOption(i, window && window->GetCheckBoxCheck(static_cast<uint16_t>(i)) ? 1 : 0);
        int r = DoApplication();
        if (r == 1)
        {
            ZP::LogF(L"Normal Close.");
            return 1;
        }
        result = r;
    }
    ZP::LogWarnF(L"Abnormal close. %s", ZP::GetMessageText(result));
    return result;
}

void CDefaultLauncherImplement::OnThreadProcessEnd(int result)
{
    if (result == 1)
        ZP::LogF(L"Normal Close.");
    else
        ZP::LogWarnF(L"Abnormal close. %s", ZP::GetMessageText(result));
    if (CFWLauncherGUI* window = Window()) window->OnPatchFinished(result);
}
