#include "launcher/app/SelfUpdateStep.h"
#include "launcher/app/MessageBox.h"
#include "launcher/app/RestartProcess.h"
#include "launcher/app/StringTable.h"
#include "launcher/gui/ConsoleLauncherGUI.h"
#include "launcher/info/LauncherInfo.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/ScriptTestApp.h"
#include "zpak/common/Stopper.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{
class CAnsweringRestart : public CRestartProcess
{
public:
    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector*) override {}
    CLauncherInfo* GetLauncherInfo() override { return &info; }
    int Restart() override
    {
        ++calls;
        return answer;
    }
    CLauncherInfo info;
    int answer = 1;
    int calls = 0;
};

// Where the console window's lines go (made before the window, closed after it).
struct CSink
{
    CSink() : file(std::tmpfile()) {}
    ~CSink() { std::fclose(file); }
    std::FILE* file;
};

// Keeps every status text in order.
class CRecordingGUI : private CSink, public CConsoleLauncherGUI
{
public:
    CRecordingGUI() : CConsoleLauncherGUI(CSink::file) {}
    void SetText(uint16_t index, const wchar_t* text) override
    {
        if (index == kTextStatus) statuses.emplace_back(text);
        CConsoleLauncherGUI::SetText(index, text);
    }
    std::vector<std::wstring> statuses;
};

class CRecordingBox : public CGUIMessageBox
{
public:
    int Show() override
    {
        shown.emplace_back(GetText(), GetType());
        return 1;
    }
    std::vector<std::pair<std::wstring, unsigned>> shown;
};

class CStepApp : public testsupport::CScriptTestApp
{
public:
    CStepApp()
    {
        std::string csv = "key,value\n";
        for (int i = 1; i <= 37; ++i)
            csv += "k" + std::to_string(i) + ",문구" + std::to_string(i) + "\n";
        table.Load(csv.data(), csv.size());
        InstallMessageBox(box);
    }
    ~CStepApp() override { RemoveMessageBox(); }
    CRestartProcess* GetRestartProcess() override { return restart.get(); }
    CLauncherStringTable* GetStringTable() override { return &table; }
    CFWLauncherGUI* GetLauncherGUI() override { return &gui; }

    std::unique_ptr<CAnsweringRestart> restart = std::make_unique<CAnsweringRestart>();
    CFWLStringTable table;
    CRecordingGUI gui;
    std::shared_ptr<CRecordingBox> box = std::make_shared<CRecordingBox>();
};

sSelfUpdateTimes NoWaits()
{
    sSelfUpdateTimes times;
    times.checkingTextMs = times.restartingTextMs = times.currentTextMs = times.fileRetryMs = 0;
    return times;
}
} // namespace

TEST(SelfUpdateStep, StatusTextsResultAndTheFailureMessage)
{
    testsupport::ScopedValue waits(SelfUpdateTimes(), NoWaits());
    struct
    {
        int restart;
        std::vector<std::wstring> statuses;
        const wchar_t* message; // null: none
    } cases[] = {
        {1, {L"문구1", L"문구2"}, nullptr},
        {ZP::kRestartNeeded, {L"문구1", L"문구3"}, nullptr},
        {ZP::kErrorHttp404, {L"문구1"}, L"문구28(E:90009)[LI][14054]"},
        {ZP::kErrorCloneCreate, {L"문구1"}, L"문구28(E:90009)[LI][14093]"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.restart);
        CStepApp app;
        app.restart->answer = c.restart;
        EXPECT_EQ(CheckLauncherUpdateAndRestart(&app, ""), c.restart);
        EXPECT_EQ(app.gui.statuses, c.statuses);
        if (c.message)
        {
            ASSERT_EQ(app.box->shown.size(), 1u);
            EXPECT_EQ(app.box->shown[0].first, c.message);
            EXPECT_EQ(app.box->shown[0].second, kMessageNotice);
        }
        else
        {
            EXPECT_TRUE(app.box->shown.empty());
        }
    }
}

TEST(SelfUpdateStep, InitialisationFunctionRunsBeforeTheRestartAndNoRestartProcessGivesZero)
{
    testsupport::ScopedValue waits(SelfUpdateTimes(), NoWaits());
    CStepApp app;
    app.Run("calls = 0\nfunction InitLauncher() calls = calls + 1 return 7 end\n");
    EXPECT_EQ(CheckLauncherUpdateAndRestart(&app, "InitLauncher"), 1) << "the function's answer is not used";
    EXPECT_EQ(app.Global("calls"), "1");
    EXPECT_EQ(app.restart->calls, 1);

    app.restart.reset();
    EXPECT_EQ(CheckLauncherUpdateAndRestart(&app, "InitLauncher"), 0);
    EXPECT_EQ(app.Global("calls"), "2");
    EXPECT_EQ(app.gui.statuses.size(), 2u) << "nothing shown without a restart process";
}

// A forced end of the updater must not sit out the status texts' waits.
TEST(SelfUpdateStep, WaitsEndEarlyOnceTheUpdaterIsStopped)
{
    auto start = std::chrono::steady_clock::now();
    std::thread stopper(
        []
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ZP::CStopper::SetStopRequested(true);
        });
    SelfUpdateWait(20000);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ZP::CStopper::SetStopRequested(false);
}
