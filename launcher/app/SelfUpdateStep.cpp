#include "launcher/app/SelfUpdateStep.h"

#include "launcher/app/MessageBox.h"
#include "launcher/app/RestartProcess.h"
#include "launcher/app/StringTable.h"
#include "launcher/gui/LauncherGUI.h"
#include "launcher/script/LauncherScript.h"
#include "zpak/common/Format.h"
#include "zpak/common/Stopper.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{
constexpr int kStopPollMs = 50;
constexpr size_t kMessageChars = 1024;

const wchar_t* Entry(CLauncherStringTable* table, unsigned id)
{
    return table ? table->GetString(id) : L"";
}

void ShowStatus(CFWLauncherGUI* gui, CLauncherStringTable* table, unsigned id)
{
    if (gui) gui->SetText(kTextStatus, Entry(table, id));
}
} // namespace

sSelfUpdateTimes& SelfUpdateTimes()
{
    static sSelfUpdateTimes times;
    return times;
}

void SelfUpdateWait(int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        auto now = std::chrono::steady_clock::now();
        if (now >= end || ZP::CStopper::IsStopRequested()) return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(end - now, std::chrono::milliseconds(kStopPollMs)));
    }
}

int CheckLauncherUpdateAndRestart(CObjectConnector* connector, const char* initFunction)
{
    ZP::LogF(L"Check Launcher Update And Restart");
    if (!connector) return ZP::kResultFail;
    if (initFunction && *initFunction)
    {
        if (CLauncherScript* script = connector->GetScript()) script->CallScriptFunction(initFunction);
    }
    CRestartProcess* restart = connector->GetRestartProcess();
    CLauncherStringTable* table = connector->GetStringTable();
    CFWLauncherGUI* gui = connector->GetLauncherGUI();
    if (!restart) return ZP::kResultFail;

    const sSelfUpdateTimes& times = SelfUpdateTimes();
    ShowStatus(gui, table, kEntryCheckingLauncher);
    SelfUpdateWait(times.checkingTextMs);

    int r = restart->Restart();
    if (r == ZP::kRestartNeeded)
    {
        ShowStatus(gui, table, kEntryLauncherRestarting);
        SelfUpdateWait(times.restartingTextMs);
        return r;
    }
    if (r == ZP::kResultOk)
    {
        ShowStatus(gui, table, kEntryLauncherCurrent);
        SelfUpdateWait(times.currentTextMs);
        return r;
    }
    std::wstring text =
        ZP::FormatWide(kMessageChars, L"%s(E:90009)[LI][%d]", Entry(table, kEntryLauncherUpdateFailed), r);
    ShowMessage(text.c_str(), kMessageNotice);
    return r;
}
