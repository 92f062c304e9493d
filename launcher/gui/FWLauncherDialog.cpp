#include "launcher/gui/FWLauncherDialog.h"

#include "launcher/app/MessageBox.h"
#include "launcher/app/StringTable.h"
#include "launcher/gui/DefaultGUISetup.h"
#include "launcher/gui/SkinMessageBox.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/report/ActionReport.h"
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/message/ResultCodes.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace
{
using platform::ui::eControlKind;
using platform::ui::eControlRole;

constexpr int kTextIds[] = {kIdVersionText, kIdStatusText, kIdCurrentFileText};
constexpr int kButtonIds[] = {kIdGameStartButton, kIdStartButton, kIdCloseButton, kIdMinimizeButton};
constexpr int kBarIds[] = {kIdTotalBar, kIdFileBar};
constexpr int kCheckIds[] = {kIdCheckBox1, kIdCheckBox2, kIdCheckBox3};
constexpr uint16_t kTextCount = 3;
constexpr uint16_t kButtonCount = 4;
constexpr uint16_t kBarCount = 2;
constexpr uint16_t kCheckCount = 3;

// String-table entry of the status text once the updater has finished.
constexpr unsigned kEntryReady = 20;
// Pause before the finished state is shown, so the last progress update is seen first.
constexpr auto kFinishPause = std::chrono::milliseconds(10);
// Longest text of a failed updater run.
constexpr size_t kFailureTextChars = 1023;

constexpr const wchar_t* kExpiredText =
    L"인증 시간이 만료되었습니다. 홈페이지에서 게임을 다시 실행해 주세요.";

int64_t SystemSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

platform::ui::sRect ToRect(const sGUIRect& r)
{
    return platform::ui::sRect{r.left, r.top, r.right, r.bottom};
}
} // namespace

CFWLauncherDialog::CFWLauncherDialog(std::shared_ptr<platform::ui::IWindowBackend> backend, Clock clock)
    : m_window(std::move(backend)), m_clock(clock ? std::move(clock) : Clock(SystemSeconds))
{
    m_creationTime = m_clock();
    m_window.SetCommandHandler([this](int id) { OnCommand(id); });
    m_window.SetCloseHandler([this] { FinalizeGUI(); });
}

CFWLauncherDialog::~CFWLauncherDialog() = default;

int CFWLauncherDialog::DoModal()
{
    auto box = std::dynamic_pointer_cast<CSkinMessageBox>(GetCurrentMessageBox());
    m_window.RunModal(
        [this, &box]
        {
            if (box) box->SetOwnerWindow(&m_window);
            OnInitDialog();
        });
    if (box) box->SetOwnerWindow(nullptr);
    return platform::ui::kAnswerOk;
}

void CFWLauncherDialog::OnInitDialog()
{
    m_window.SetTitle(m_title);
    if (InitializeGUI() != ZP::kResultOk)
    {
        ZP::LogF(L"InitializeGUI Failed");
        CloseLauncher();
        return;
    }
    if (!m_links || !m_links->HasUpdater())
    {
        ZP::LogF(L"Updater Failed");
        return;
    }
    ZP::LogF(L"Launcher Updater Start");
    if (m_links->StartUpdater() != ZP::kResultOk) CloseLauncher();
}

int CFWLauncherDialog::InitializeGUI()
{
    const int r = InitializeLauncherResource();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, "CFWLauncherDialog::InitializeGUI", 128);
        return r;
    }
    ShowButton(0, true);
    ShowButton(1, false);
    m_window.SetEnabled(kIdGameStartButton, false);
    return ZP::kResultOk;
}

int CFWLauncherDialog::InitializeLauncherResource()
{
    ZP::LogF(L"InitializeLauncherResource");
    const struct
    {
        int (CFWLauncherDialog::*step)();
        int line;
    } steps[] = {
        {&CFWLauncherDialog::InitializePositionResource, 329},
        {&CFWLauncherDialog::InitializeStaticTextResource, 339},
        {&CFWLauncherDialog::InitializeButtonResource, 347},
        {&CFWLauncherDialog::InitializeProgressBarResource, 355},
        {&CFWLauncherDialog::InitializeCheckBox, 359},
    };
    for (const auto& s : steps)
    {
        const int r = (this->*s.step)();
        if (r != ZP::kResultOk)
        {
            ZP_LOG_ERROR(r, "CFWLauncherDialog::InitializeLauncherResource", s.line);
            return r;
        }
        if (s.step == &CFWLauncherDialog::InitializePositionResource)
        {
            // A window without its notice page still works.
            InitializeWebBrowserResource();
            // The window takes the size of its background.
            auto background = m_table.find(L"IMAGE_Background");
            if (background != m_table.end())
            {
                const sGUIRect& b = background->second;
                m_window.SetRect(platform::ui::sRect{0, 0, b.right - b.left, b.bottom - b.top});
            }
        }
    }
    SendReport("launcher.start.success", "1");
    return ZP::kResultOk;
}

int CFWLauncherDialog::InitializePositionResource()
{
    if (!m_positions) return ZP::kErrorInvalidPointer;
    m_table.clear();
    return m_positions->ReadWindowPositions(m_table);
}

bool CFWLauncherDialog::AddControl(const wchar_t* position, int id, eControlKind kind, eControlRole role,
                                   const std::wstring& text)
{
    auto it = m_table.find(position);
    if (it == m_table.end()) return false;
    platform::ui::sControl control;
    control.id = id;
    control.kind = kind;
    control.role = role;
    control.rect = ToRect(it->second);
    control.text = text;
    return m_window.AddControl(control);
}

int CFWLauncherDialog::InitializeWebBrowserResource()
{
    ZP::LogF(L"InitializeWebBrowserResource");
    auto it = m_table.find(L"Web_Notice");
    if (it == m_table.end()) return ZP::kErrorWindowResourceLoad;
    const std::wstring url = m_setup ? m_setup->GetSettings().NoticeURL : std::wstring();
    const sGUIRect& r = it->second;
    if (url.empty() || r.right <= r.left || r.bottom <= r.top) return ZP::kResultOk;
    m_window.RemoveControl(kIdNoticeBrowser);
    if (!AddControl(L"Web_Notice", kIdNoticeBrowser, eControlKind::Browser, eControlRole::None, url))
        return ZP::kErrorWindowResourceCreate;
    return ZP::kResultOk;
}

int CFWLauncherDialog::InitializeStaticTextResource()
{
    ZP::LogF(L"InitializeStaticTextResource");
    const std::wstring version = m_links ? m_links->GetOwnVersion() : std::wstring();
    if (!AddControl(L"TXT_Version", kIdVersionText, eControlKind::Text, eControlRole::None, version) ||
        !AddControl(L"TXT_Status", kIdStatusText, eControlKind::Text, eControlRole::StatusText, L"") ||
        !AddControl(L"TXT_CurrentFile", kIdCurrentFileText, eControlKind::Text, eControlRole::CurrentFileText,
                    L""))
        return ZP::kErrorWindowResourceCreate;
    return ZP::kResultOk;
}

int CFWLauncherDialog::InitializeButtonResource()
{
    ZP::LogF(L"InitializeButtonResource");
    const struct
    {
        const wchar_t* position;
        int id;
        eControlRole role;
        int line;
    } buttons[] = {
        {L"BUTTON_Start", kIdStartButton, eControlRole::None, 496},
        {L"BUTTON_Exit", kIdGameStartButton, eControlRole::ProceedButton, 501},
        {L"BUTTON_Close", kIdCloseButton, eControlRole::CloseButton, 506},
        {L"BUTTON_Minimize", kIdMinimizeButton, eControlRole::None, 511},
    };
    for (const auto& b : buttons)
        if (!AddControl(b.position, b.id, eControlKind::Button, b.role, L""))
        {
            ZP_LOG_ERROR(ZP::kErrorWindowResourceCreate, "CFWLauncherDialog::InitializeButtonResource",
                         b.line);
            return ZP::kErrorWindowResourceCreate;
        }
    return ZP::kResultOk;
}

int CFWLauncherDialog::InitializeProgressBarResource()
{
    ZP::LogF(L"InitializeProgressBarResource");
    if (!AddControl(L"PROGRESS_TotalProgress", kIdTotalBar, eControlKind::ProgressBar, eControlRole::TotalBar,
                    L""))
    {
        ZP_LOG_ERROR(ZP::kErrorWindowResourceCreate, "CFWLauncherDialog::InitializeProgressBarResource", 576);
        return ZP::kErrorWindowResourceCreate;
    }
    if (!AddControl(L"PROGRESS_FileProgress", kIdFileBar, eControlKind::ProgressBar, eControlRole::FileBar,
                    L""))
    {
        ZP_LOG_ERROR(ZP::kErrorWindowResourceCreate, "CFWLauncherDialog::InitializeProgressBarResource", 579);
        return ZP::kErrorWindowResourceCreate;
    }
    return ZP::kResultOk;
}

int CFWLauncherDialog::InitializeCheckBox()
{
    ZP::LogF(L"InitializeCheckBox");
    const sGUISetupSettings defaults;
    const sGUISetupSettings& settings = m_setup ? m_setup->GetSettings() : defaults;
    const std::wstring* texts[] = {&settings.CheckBoxText01, &settings.CheckBoxText02,
                                   &settings.CheckBoxText03};
    const wchar_t* positions[] = {L"CHECK_01", L"CHECK_02", L"CHECK_03"};
    for (uint16_t i = 0; i < kCheckCount; ++i)
        if (!AddControl(positions[i], kCheckIds[i], eControlKind::CheckBox, eControlRole::None, *texts[i]))
            return ZP::kErrorWindowResourceCreate;

    unsigned char remembered = 0;
    platform::fs::File file;
    if (file.Open(SettingsFilePath(), platform::fs::eOpenMode::Read) && file.Read(&remembered, 1) != 1)
        remembered = 0;
    m_window.SetChecked(kIdCheckBox3, remembered != 0);
    return ZP::kResultOk;
}

void CFWLauncherDialog::FinalizeGUI()
{
    if (m_links)
    {
        m_links->StopUpdater();
        m_links->ClearPatchSystemWindow();
    }
    m_window.RemoveAllControls();
}

bool CFWLauncherDialog::GetWindowPosition(sGUIPoint& out)
{
    const platform::ui::sRect r = m_window.GetRect();
    out.x = r.left;
    out.y = r.top;
    return true;
}

bool CFWLauncherDialog::GetWindowRect(sGUIRect& out)
{
    const platform::ui::sRect r = m_window.GetRect();
    out = sGUIRect{r.left, r.top, r.right, r.bottom};
    return true;
}

void CFWLauncherDialog::ShowLauncher(bool show)
{
    SetShowState(show ? platform::ui::kShowNormal : platform::ui::kShowHidden);
}

void CFWLauncherDialog::SetShowState(int state)
{
    m_window.SetShowState(state);
}

void CFWLauncherDialog::SetProgress(uint16_t index, int percent)
{
    if (index < kBarCount) m_window.SetPosition(kBarIds[index], percent);
}

void CFWLauncherDialog::SetTextFromStringTable(uint16_t index, unsigned entry)
{
    CLauncherStringTable* table = m_connector ? m_connector->GetStringTable() : nullptr;
    if (table) SetText(index, table->GetString(entry));
}

void CFWLauncherDialog::SetText(uint16_t index, const wchar_t* text)
{
    if (index < kTextCount) m_window.SetText(kTextIds[index], text ? text : L"");
}

void CFWLauncherDialog::ShowButton(uint16_t index, bool show)
{
    if (index < kButtonCount) m_window.SetVisible(kButtonIds[index], show);
}

void CFWLauncherDialog::SetCheckBoxText(uint16_t index, const wchar_t* text)
{
    if (index < kCheckCount) m_window.SetText(kCheckIds[index], text ? text : L"");
}

void CFWLauncherDialog::SetCheckBoxCheck(uint16_t index, bool check)
{
    if (index < kCheckCount) m_window.SetChecked(kCheckIds[index], check);
}

bool CFWLauncherDialog::GetCheckBoxCheck(uint16_t index)
{
    return index < kCheckCount && m_window.IsChecked(kCheckIds[index]);
}

void CFWLauncherDialog::SendReport(const std::string& actionCode, const std::string& flag)
{
    CGameInfoManagerBase* manager = m_connector ? m_connector->GetGameInfoManager() : nullptr;
    CGameInfo* info = manager ? manager->GetGameInfo() : nullptr;
    if (!info) return;
    ActionReport(platform::text::WideToUtf8(info->GetWide(kGameBIUrl)), actionCode,
                 platform::text::WideToUtf8(info->GetWide(kGameEnv)),
                 platform::text::WideToUtf8(manager->GetMemberNo()), flag);
}

void CFWLauncherDialog::ApplyOptions()
{
    if (!m_links) return;
    for (uint16_t i = 0; i < kCheckCount; ++i)
        m_links->DoOption(i, GetCheckBoxCheck(i));
}

void CFWLauncherDialog::OnCommand(int id)
{
    switch (id)
    {
    case kIdStartButton:
        OnStartButton();
        break;
    case kIdGameStartButton:
        OnGameStartButton();
        break;
    case kIdCloseButton:
        OnCloseButton();
        break;
    case kIdMinimizeButton:
        OnMinimizeButton();
        break;
    case kIdCheckBox3:
        OnCheckBox3();
        break;
    default:
        break;
    }
}

void CFWLauncherDialog::OnStartButton()
{
    if (m_links) m_links->DoApplication();
    CloseLauncher();
}

void CFWLauncherDialog::OnGameStartButton()
{
    // A clock set back counts as inside the window.
    if (m_clock() - m_creationTime >= kAuthenticationSeconds)
    {
        ShowMessage(kExpiredText, kMessageNotice);
        SendReport("launcher.start.fail.authkeyexpired", "1");
        CloseLauncher();
        return;
    }
    ApplyOptions();
    const int r = m_links ? m_links->DoApplication() : ZP::kResultFail;
    SendReport(r == ZP::kResultOk ? "launcher.game.start" : "launcher.game.cannotrunexefile", "1");
    CloseLauncher();
}

void CFWLauncherDialog::OnCloseButton()
{
    if (m_closeLock != 0) return;
    SendReport("launcher.start.fail.closedbyuser", "1");
    ApplyOptions();
    CloseLauncher();
}

std::wstring CFWLauncherDialog::SettingsFilePath() const
{
    if (!m_settingsPath.empty()) return m_settingsPath;
    std::wstring folder = platform::fs::ExecutablePath();
    const size_t slash = folder.find_last_of(L"/\\");
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
    return folder + L"/Setting";
}

void CFWLauncherDialog::OnCheckBox3()
{
    const unsigned char value = GetCheckBoxCheck(2) ? 1 : 0;
    platform::fs::File file;
    // Not kept when it cannot be written.
    if (file.Open(SettingsFilePath(), platform::fs::eOpenMode::CreateAlways)) file.WriteAll(&value, 1);
}

void CFWLauncherDialog::OnPatchFinished(int result)
{
    SendReport("launcher.patch.status", std::to_string(result));
    if (result == ZP::kResultOk)
    {
        std::this_thread::sleep_for(kFinishPause);
        SetTextFromStringTable(kTextStatus, kEntryReady);
        SetText(kTextCurrentFile, L"");
        SetProgress(kBarTotal, 100);
        SetProgress(kBarCurrentFile, 100);
        m_window.SetEnabled(kIdGameStartButton, true);
        if (GetCheckBoxCheck(2)) OnGameStartButton();
    }
    else
    {
        const wchar_t* message = ZP::GetMessageText(result);
        std::wstring text = std::wstring(message ? message : L"") + L"[" + std::to_wstring(result) + L"]";
        if (text.size() > kFailureTextChars) text.resize(kFailureTextChars);
        ShowMessage(text.c_str(), kMessageNotice);
        CloseLauncher();
    }
    m_window.NotifyWorkFinished(result);
}
