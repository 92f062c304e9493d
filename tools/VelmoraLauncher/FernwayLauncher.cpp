#include "tools/VelmoraLauncher/FernwayLauncher.h"

#include "launcher/app/BuildSettings.h"
#include "launcher/app/LauncherLog.h"
#include "launcher/app/LauncherUpdater.h"
#include "launcher/app/MessageBox.h"
#include "launcher/app/ProcessStatus.h"
#include "launcher/app/RestartProcessClone.h"
#include "launcher/app/StringTable.h"
#include "launcher/gui/CurrentResourceModule.h"
#include "launcher/gui/CustomResourceManager.h"
#include "launcher/gui/DefaultGUISetup.h"
#include "launcher/gui/FWLauncherDialog.h"
#include "launcher/gui/LauncherOptions.h"
#include "launcher/gui/SkinMessageBox.h"
#include "launcher/gui/WindowResourceLoader.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/info/LauncherInfo.h"
#include "launcher/patch/PatchSystemProcess.h"
#include "launcher/report/ActionReport.h"
#include "launcher/script/FernwayLauncherScript.h"
#include "launcher/workflow/LauncherImplement.h"
#include "platform/fs/FileSystem.h"
#include "platform/process/CommandLine.h"
#include "platform/sysinfo/SystemVersion.h"
#include "platform/text/TextCodec.h"
#include "platform/ui/Backend.h"
#include "tools/VelmoraLauncher/SkinSources.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

namespace
{
constexpr unsigned kEntryGameInfoFailed = 23;
constexpr unsigned kEntryGameInfoNotDownloaded = 26;
constexpr unsigned kEntryAlreadyRunning = 30;
constexpr uint8_t kProductWorkstation = 1;

// The window's options 0 and 1 done by the launcher itself, after the script's option function
// (which CFWLImplement::DoOption has already run, so the options get no hook here).
class CVelmoraImplement : public CFWLImplement
{
public:
    void SetGUISetup(CDefaultGUISetup* setup) { m_setup = setup; }

protected:
    int ApplyOption(uint32_t index) override
    {
        CLauncherOptions options(m_connector, m_setup, nullptr);
        return options.DoOption(index, true);
    }

private:
    CDefaultGUISetup* m_setup = nullptr;
};

std::wstring ExecutableFolder()
{
    std::wstring exe = platform::fs::ExecutablePath();
    return exe.substr(0, exe.find_last_of(L'/') + 1);
}

std::wstring Entry(CLauncherStringTable* table, unsigned id)
{
    const wchar_t* text = table ? table->GetString(id) : nullptr;
    return text ? text : L"";
}
} // namespace

CFernwayLauncher::CFernwayLauncher()
{
    std::vector<std::wstring> arguments = platform::process::OwnArguments();
    for (size_t i = 1; i < arguments.size(); ++i)
        m_arguments += arguments[i] + L" ";
    SetupLauncherLog();
    m_resources = std::make_unique<CCustomResourceManager>();
    ZP::LogF(L"Initialize InstallDialog");
    SetCurrentResourceManager(m_resources.get());
    FillDefaultResourceIds(*m_resources);
}

CFernwayLauncher::~CFernwayLauncher()
{
    RemoveMessageBox();
    if (GetCurrentResourceManager() == m_resources.get()) SetCurrentResourceManager(nullptr);
}

int CFernwayLauncher::InitInstance()
{
    if (AskElevation() != ZP::kResultOk) return 0;
    int r = InitializeFramework();
    if (r == ZP::kResultOk)
    {
        CFWLauncherDialog* dialog = m_dialog.load();
        if (dialog && !m_closeRequested.load()) dialog->DoModal();
        return 0;
    }
    ZP_LOG_ERROR(r, "CFernwayLauncher::InitInstance");
    return r;
}

void CFernwayLauncher::ExitInstance()
{
    FinalizeFramework();
}

int CFernwayLauncher::AskElevation()
{
    platform::sysinfo::sSystemVersion version;
    if (!platform::sysinfo::ReadSystemVersion(version)) return 0;
    if (version.ntFamily && version.productType == kProductWorkstation && version.major >= 6)
    {
        // An elevation prompt exists only there; this launcher has nothing to ask for.
        ZP::LogF(L"AskElevation : no elevation needed");
    }
    return ZP::kResultOk;
}

int CFernwayLauncher::InitializeFramework()
{
    const char* operation = "CFernwayLauncher::InitializeFramework";
    int r = CFWLauncherApp::InitializeFramework();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, operation);
        return r;
    }

    m_setup = std::make_unique<CDefaultGUISetup>();
    r = m_setup->Initialize();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, operation);
        return r;
    }
    m_setup->SetConnector(this);
    if (CFWLauncherDialog* dialog = m_dialog.load()) dialog->SetGUISetup(m_setup.get());
    if (auto* implement = dynamic_cast<CVelmoraImplement*>(m_implement))
        implement->SetGUISetup(m_setup.get());

    r = LoadResourceModule();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, operation);
        return r;
    }
    r = InitializeStringTable();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, operation);
        return r;
    }
    r = InitializeMessageBox();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, operation);
        return r;
    }

    m_positions = std::make_unique<CResourceWindowPositions>(m_resources.get());
    if (CFWLauncherDialog* dialog = m_dialog.load()) dialog->SetPositionSource(m_positions.get());

    auto* manager = static_cast<CFWLGameInfoManager*>(m_gameInfo);
    r = manager->PrepareGameInfo();
    std::wstring text = Entry(m_stringTable, kEntryGameInfoFailed) + L"(E:90003)";
    if (r != ZP::kResultOk)
    {
        ShowMessage(text.c_str(), kMessageNotice);
        ZP_LOG_ERROR(r, operation);
        return r;
    }

    text = Entry(m_stringTable, kEntryGameInfoNotDownloaded) + L"(E:90007)[GI]";
    if (manager->PrepareGameInfoData() != ZP::kResultOk) ShowMessage(text.c_str(), kMessageNotice);

    m_processStatus->SetLauncherFileName(m_restart->GetSettings().launcherExecutable.c_str());
    r = m_processStatus->CheckProcess();
    text = Entry(m_stringTable, kEntryAlreadyRunning) + L"(E:90011)";
    if (r == ZP::kResultOk) return r;

    if (CGameInfo* info = manager->GetGameInfo())
    {
        ActionReport(platform::text::WideToUtf8(info->GetWide(kGameBIUrl)), "launcher.start.fail.areadyrun",
                     platform::text::WideToUtf8(info->GetWide(kGameEnv)),
                     platform::text::WideToUtf8(manager->GetMemberNo()), "1");
    }
    ShowMessage(text.c_str(), kMessageNotice);
    ZP_LOG_ERROR(r, operation);
    return r;
}

int CFernwayLauncher::LoadResourceModule()
{
    CLauncherInfo* info = m_restart->GetLauncherInfo();
    if (info->GetCurrentPath().empty()) info->SetCurrentPath(ExecutableFolder().c_str());
    return ::LoadResourceModule(info->GetCurrentPath(), m_restart->GetModuleType() == kModuleTypeClone);
}

int CFernwayLauncher::InitializeStringTable()
{
    IWindowResourceLoader loader;
    std::unique_ptr<char[]> buffer;
    size_t size = 0;
    if (loader.LoadCustomWindowResource(GetResourceModule(), m_resources->GetResourceId(kResStringTable),
                                        kResourceTypeCsv, buffer, &size) != ZP::kResultOk)
    {
        ZP_LOG_ERROR(ZP::kResultFail, "CFernwayLauncher::InitializeStringTable");
        return ZP::kResultFail;
    }
    int r = GetStringTable()->Load(buffer.get(), size);
    if (r != ZP::kResultOk) ZP_LOG_ERROR(r, "CFernwayLauncher::InitializeStringTable");
    return r;
}

int CFernwayLauncher::InitializeMessageBox()
{
    ZP::LogF(L"Initialize MessageBox");
    auto box = std::make_shared<CSkinMessageBox>(
        m_backend, std::make_shared<CResourceMessageBoxSkin>(m_resources.get()));
    box->SetConnector(this);
    InstallMessageBox(box);
    return ZP::kResultOk;
}

int CFernwayLauncher::FinalizeFramework()
{
    m_dialog.store(nullptr);
    ReleaseResourceModule();
    CFWLauncherApp::FinalizeFramework();
    if (m_setup)
    {
        m_setup->Finalize();
        m_setup.reset();
    }
    return ZP::kResultOk;
}

CFWLauncherGUI* CFernwayLauncher::CreateLauncherGUI()
{
    if (!m_backend) m_backend = platform::ui::CreateWindowBackend();
    auto* dialog = new CFWLauncherDialogEx(m_backend);
    dialog->SetLinks(this);
    m_dialog.store(dialog);
    if (m_patch) m_patch->SetWindowSink(dialog);
    return dialog;
}

CRestartProcess* CFernwayLauncher::CreateRestartProcess()
{
    auto* restart = new CRestartProcessClone();
    if (restart->SetSettings(LauncherRestartSettings()) != ZP::kResultOk)
    {
        delete restart;
        return nullptr;
    }
    return restart;
}

CLauncherUpdater* CFernwayLauncher::CreateUpdater()
{
    return new CDefaultLauncherUpdater();
}

CPatchSystemProcess* CFernwayLauncher::CreatePatchSystem()
{
    return new CPatchSystemProcess();
}

CGameInfoManagerBase* CFernwayLauncher::CreateGameInfoManager()
{
    auto* manager = new CFWLGameInfoManager();
    manager->SetRegistryName(kRegRootKey, L"SOFTWARE\\Quillmark");
    manager->SetRegistryName(kRegProduct, L"Velmora");
    manager->SetRegistryName(kRegInstallDir, L"Install_Dir");
    manager->SetRegistryName(kRegPatcher, L"Patcher");
    manager->SetRegistryName(kRegArgument, L"Argument");
    manager->SetGameInfoFileName(L"GameInfo.dat");
    return manager;
}

CLauncherScript* CFernwayLauncher::CreateScript()
{
    return new CFernwayLauncherScript();
}

CLauncherStringTable* CFernwayLauncher::CreateStringTable()
{
    return new CFWLStringTable();
}

CProcessStatus* CFernwayLauncher::CreateProcessStatus()
{
    return new CDefaultProcessStatus();
}

CLauncherImplement* CFernwayLauncher::CreateImplement()
{
    auto* implement = new CVelmoraImplement();
    // The updater tells the implementation how its run ended.
    if (m_updater) m_updater->SetCompletionListener(implement);
    return implement;
}

int CFernwayLauncher::StartUpdater()
{
    return m_updater ? m_updater->Start() : ZP::kErrorInvalidPointer;
}

void CFernwayLauncher::StopUpdater()
{
    if (m_updater) m_updater->ForceTerminate();
}

void CFernwayLauncher::ClearPatchSystemWindow()
{
    if (m_patch) m_patch->SetWindowSink(nullptr);
}

int CFernwayLauncher::DoApplication()
{
    return m_implement ? m_implement->DoApplication() : ZP::kErrorInvalidPointer;
}

int CFernwayLauncher::DoOption(uint16_t index, bool checked)
{
    return m_implement ? m_implement->DoOption(index, checked ? 1 : 0) : ZP::kErrorInvalidPointer;
}

std::wstring CFernwayLauncher::GetOwnVersion()
{
    return LauncherOwnVersion();
}

bool CFernwayLauncher::IsUpdaterStopRequested()
{
    return m_updater && m_updater->IsStopRequested();
}

void CFernwayLauncher::SetSetupText(eGUISetupText field, const std::wstring& text)
{
    if (!m_setup) return;
    sGUISetupSettings& s = m_setup->GetSettings();
    std::wstring* target = nullptr;
    switch (field)
    {
    case kSetupCheckBoxText01:
        target = &s.CheckBoxText01;
        break;
    case kSetupCheckBoxText02:
        target = &s.CheckBoxText02;
        break;
    case kSetupCheckBoxText03:
        target = &s.CheckBoxText03;
        break;
    case kSetupIEStartPage:
        target = &s.IEStartPage;
        break;
    case kSetupShortcutURL:
        target = &s.ShortcutURL;
        break;
    case kSetupShortcutName:
        target = &s.ShortcutName;
        break;
    case kSetupShortcutIncludeIconFileName:
        target = &s.ShortcutIncludeIconFileName;
        break;
    case kSetupDefaultFont:
        target = &s.DefaultFont;
        break;
    case kSetupNoticeURL:
        target = &s.NoticeURL;
        break;
    case kGUISetupTextCount:
        break;
    }
    if (target) *target = text.substr(0, kGUISetupTextChars);
}

void CFernwayLauncher::SetDefaultFontSize(int size)
{
    if (m_setup) m_setup->SetDefaultFontSize(size);
}

void CFernwayLauncher::RequestClose()
{
    ZP::LogF(L"Close requested");
    m_closeRequested.store(true);
    if (CFWLauncherDialog* dialog = m_dialog.load()) dialog->CloseLauncher();
}
