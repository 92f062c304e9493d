#include "launcher/gui/ConsoleLauncherGUI.h"

#include "launcher/app/StringTable.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/report/ActionReport.h"
#include "platform/text/TextCodec.h"
#include "platform/ui/Console.h"
#include "zpak/log/ZpakLog.h"

CConsoleLauncherGUI::CConsoleLauncherGUI(std::FILE* out)
    : m_out(out), m_terminal(out == stderr && platform::ui::StderrIsTerminal())
{
}

void CConsoleLauncherGUI::FinalizeGUI()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_lineOpen) std::fputc('\n', m_out);
    m_lineOpen = false;
}

bool CConsoleLauncherGUI::GetWindowPosition(sGUIPoint& out)
{
    out = sGUIPoint();
    return true;
}

bool CConsoleLauncherGUI::GetWindowRect(sGUIRect& out)
{
    out = sGUIRect();
    return true;
}

void CConsoleLauncherGUI::DrawBars()
{
    const std::string file = platform::text::WideToUtf8(m_texts[kTextCurrentFile]);
    if (m_terminal)
    {
        std::fprintf(m_out, "\r[total %3d%%] [file %3d%%] %-50.50s", m_bars[0], m_bars[1], file.c_str());
        std::fflush(m_out);
        m_lineOpen = true;
        return;
    }
    // Plain output: a line for each step of ten percent of the total bar.
    if (m_bars[0] / 10 != m_lastDrawn[0] / 10 || m_lastDrawn[0] < 0)
    {
        std::fprintf(m_out, "[total %3d%%] %s\n", m_bars[0], file.c_str());
        m_lastDrawn[0] = m_bars[0];
    }
}

void CConsoleLauncherGUI::SetProgress(uint16_t index, int percent)
{
    if (index >= 2) return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_bars[index] = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    DrawBars();
}

void CConsoleLauncherGUI::SetTextFromStringTable(uint16_t index, unsigned entry)
{
    CLauncherStringTable* table = m_connector ? m_connector->GetStringTable() : nullptr;
    if (!table) return;
    SetText(index, table->GetString(entry));
}

void CConsoleLauncherGUI::SetText(uint16_t index, const wchar_t* text)
{
    if (index >= 3) return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_texts[index] = text ? text : L"";
    if (index == kTextStatus && !m_texts[index].empty())
    {
        if (m_lineOpen) std::fputc('\n', m_out);
        m_lineOpen = false;
        std::fprintf(m_out, "%s\n", platform::text::WideToUtf8(m_texts[index]).c_str());
    }
    else if (index == kTextCurrentFile && m_terminal)
        DrawBars();
}

void CConsoleLauncherGUI::ShowButton(uint16_t index, bool show)
{
    if (index >= 4) return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_buttons[index] = show;
}

void CConsoleLauncherGUI::SetCheckBoxText(uint16_t index, const wchar_t* text)
{
    if (index >= 3) return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_checkTexts[index] = text ? text : L"";
}

void CConsoleLauncherGUI::SetCheckBoxCheck(uint16_t index, bool check)
{
    if (index >= 3) return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_checks[index] = check;
}

bool CConsoleLauncherGUI::GetCheckBoxCheck(uint16_t index)
{
    if (index >= 3) return false;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_checks[index];
}

void CConsoleLauncherGUI::CloseLauncher()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_closeRequested = true;
}

void CConsoleLauncherGUI::SetShowState(int state)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_showState = state;
}

int CConsoleLauncherGUI::GetShowState()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_showState;
}

void CConsoleLauncherGUI::OnPatchFinished(int result)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_patchResult = result;
    }
    CGameInfoManagerBase* manager = m_connector ? m_connector->GetGameInfoManager() : nullptr;
    CGameInfo* info = manager ? manager->GetGameInfo() : nullptr;
    if (info)
        ActionReport(platform::text::WideToUtf8(info->GetWide(kGameBIUrl)), "launcher.patch.status",
                     platform::text::WideToUtf8(info->GetWide(kGameEnv)), std::string(),
                     std::to_string(result));
}

void CConsoleLauncherGUI::SendActionReport(const char* actionCode)
{
    CGameInfoManagerBase* manager = m_connector ? m_connector->GetGameInfoManager() : nullptr;
    CGameInfo* info = manager ? manager->GetGameInfo() : nullptr;
    if (info && actionCode)
        ActionReport(platform::text::WideToUtf8(info->GetWide(kGameBIUrl)), actionCode,
                     platform::text::WideToUtf8(info->GetWide(kGameEnv)),
                     platform::text::WideToUtf8(manager->GetMemberNo()), "1");
}

void CConsoleLauncherGUI::SetCloseLock(int lock)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_closeLock = lock;
}

std::wstring CConsoleLauncherGUI::Text(uint16_t index)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return index < 3 ? m_texts[index] : std::wstring();
}

int CConsoleLauncherGUI::Progress(uint16_t index)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return index < 2 ? m_bars[index] : 0;
}

bool CConsoleLauncherGUI::IsCloseRequested()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_closeRequested;
}

int CConsoleLauncherGUI::PatchResult()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_patchResult;
}
