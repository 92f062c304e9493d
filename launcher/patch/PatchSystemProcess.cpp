#include "launcher/patch/PatchSystemProcess.h"

#include "launcher/app/StringTable.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "launcher/gui/LauncherGUI.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <chrono>
#include <thread>

namespace
{
void OnLogText(const wchar_t* text)
{
    ZP::GetLog()->Write(text);
}
void OnErrorText(const wchar_t* text)
{
    ZP::GetLog()->WriteWarning(text);
}
} // namespace

int CPatchSystemProcess::Percent(double total, double done)
{
    if (total <= 0 || done < 0) return -1;
    double percent = done / total * 100.0;
    return static_cast<int>(percent > 100.0 ? 100.0 : percent);
}

CPatchSystemProcess::CPatchSystemProcess()
{
    // The hooks report to this object's window and connector, whichever thread runs the patch.
    m_byteHooks.byteProgress = [this](uint64_t total, uint64_t done)
    { ShowPercent(kBarCurrentFile, double(total), double(done)); };
    sDownloaderHooks& hooks = m_downloader.Hooks();
    hooks.fileCountProgress = [this](uint32_t total, uint32_t done)
    { ShowPercent(kBarTotal, double(total), double(done)); };
    hooks.statusText = [this](const wchar_t* text) { ShowFile(text, false); };
    hooks.prefixedStatusText = [this](const wchar_t* text) { ShowFile(text, true); };
    hooks.logText = OnLogText;
    hooks.errorText = OnErrorText;
}

CPatchSystemProcess::~CPatchSystemProcess()
{
    m_window.store(nullptr);
}

void CPatchSystemProcess::SetWindowSink(CFWLauncherGUI* window)
{
    m_window.store(window);
}

void CPatchSystemProcess::SetConnector(CObjectConnector* connector)
{
    m_connector.store(connector);
}

void CPatchSystemProcess::ShowPercent(uint16_t bar, double total, double done)
{
    CFWLauncherGUI* window = m_window.load();
    int percent = Percent(total, done);
    if (window && percent >= 0) window->SetProgress(bar, percent);
}

void CPatchSystemProcess::ShowFile(const wchar_t* text, bool prefixed)
{
    CFWLauncherGUI* window = m_window.load();
    CObjectConnector* connector = m_connector.load();
    CLauncherStringTable* table = connector ? connector->GetStringTable() : nullptr;
    if (!window || !table) return;
    if (prefixed)
        window->SetText(kTextCurrentFile, (std::wstring(table->GetString(34)) + L" : " + text).c_str());
    else
        window->SetText(kTextCurrentFile, text);
}

void CPatchSystemProcess::Idle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

int CPatchSystemProcess::Setup(CGameInfoManagerBase* manager)
{
    if (!manager) return 0;
    auto* fields = dynamic_cast<CDefaultGameInfoManager*>(manager);
    if (fields) m_downloader.SetGameFolder(ZP::BackslashToSlash(fields->GetField(kFieldInstallDir)));
    CGameInfo* info = manager->GetGameInfo();
    if (!info) return 0;
    const std::wstring& url = info->GetWide(kGameServerURL);
    if (url.empty()) return 0;
    m_downloader.AddUrl(url);
    const std::wstring& pak = info->GetWide(kGamePakName);
    if (pak.empty()) return 0;
    m_downloader.SetPakName(pak);
    return 1;
}

void CPatchSystemProcess::Status(unsigned entry)
{
    if (CFWLauncherGUI* window = m_window.load()) window->SetTextFromStringTable(kTextStatus, entry);
}

bool CPatchSystemProcess::StopRequested()
{
    return IsUpdaterStopRequested(m_connector.load());
}

int CPatchSystemProcess::Fail(int code, const char* actionCode, int line)
{
    CObjectConnector* connector = m_connector.load();
    CFWLauncherGUI* gui = connector ? connector->GetLauncherGUI() : nullptr;
    if (actionCode && gui) gui->SendActionReport(actionCode);
    ZP_LOG_ERROR(code, "CPatchSystemProcess::StartAutoPatchSystem", line);
    return code;
}

int CPatchSystemProcess::StartAutoPatchSystem()
{
    // The library's byte progress of this run reaches this window, on the thread that runs it.
    ZP::CNotifyHooksScope hooks(m_byteHooks);
    if (!m_downloader.HasUrls()) return Fail(ZP::kErrorNoUrl, "launcher.patch.fail.init", 94);
    if (m_downloader.PakName().empty()) return Fail(ZP::kErrorInvalidString, "launcher.patch.fail.init", 94);
    Status(9);

    if (StopRequested()) return 1;
    int r = m_downloader.FetchServerList();
    if (r != 1) return Fail(r, "launcher.patch.fail.downloadfileinfolist", 104);
    Status(10);

    if (StopRequested()) return 1;
    r = m_downloader.LoadPakSet();
    if (r != 1) return Fail(r, nullptr, 111);
    Status(11);

    if (StopRequested()) return 1;
    m_downloader.CheckRepairList();
    r = m_downloader.BuildLists();
    if (r != 1) return Fail(r, "launcher.patch.fail.comparefile", 125);
    Status(12);

    if (StopRequested()) return 1;
    if (m_downloader.DownloadCount() == 0)
    {
        Status(8);
        if (StopRequested()) return 1;
        if (!m_downloader.RefusedNames().empty())
            return Fail(ZP::kErrorRefusedServerNames, "launcher.patch.fail.downloadfileinfolist", 104);
        Finalize();
        Status(20);
        return 1;
    }

    Status(13);
    if (CFWLauncherGUI* window = m_window.load())
    {
        window->ResetProgress(kBarTotal);
        window->ResetProgress(kBarCurrentFile);
    }
    r = m_downloader.DownloadAll();
    Status(15);
    if (r != 1) return Fail(r, "launcher.patch.fail.downloadfile", 144);

    if (StopRequested()) return 1;
    Status(16);
    r = m_downloader.CheckPaks();
    Status(r == 1 ? 18 : 17);
    if (r != 1) return Fail(r, "launcher.patch.fail.checkfile", 154);

    if (StopRequested()) return 1;
    // The files the list named safely are in place; the game still is not complete.
    if (!m_downloader.RefusedNames().empty())
        return Fail(ZP::kErrorRefusedServerNames, "launcher.patch.fail.downloadfileinfolist", 104);
    Finalize();
    Status(20);
    return 1;
}
