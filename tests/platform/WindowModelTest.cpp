#include "platform/ui/Backend.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>
#include <vector>

using namespace platform::ui;

namespace
{
// A back end whose user answers only when the test lets them, and tells on which thread.
class CGatedBackend : public IWindowBackend
{
public:
    void OnControlChanged(CWindow&, const sControl& control) override { changes.push_back(control); }
    int AnswerMessage(CWindow*, const sMessageRequest& request) override
    {
        answeredOn = std::this_thread::get_id();
        asked.set_value(request.text);
        return answer.get_future().get();
    }

    std::vector<sControl> changes;
    std::promise<std::wstring> asked;
    std::promise<int> answer;
    std::thread::id answeredOn;
};

sControl Make(int id, eControlKind kind, eControlRole role = eControlRole::None)
{
    sControl c;
    c.id = id;
    c.kind = kind;
    c.role = role;
    return c;
}

std::string ReadAll(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    return text;
}
} // namespace

TEST(WindowModel, WorkerWaitsForTheWindowThreadToAnswer)
{
    auto backend = std::make_shared<CGatedBackend>();
    CWindow window(backend);
    std::thread::id windowThread;
    std::future<int> worker;
    std::future<std::wstring> asked = backend->asked.get_future();
    std::thread ui(
        [&]
        {
            windowThread = std::this_thread::get_id();
            window.RunModal(
                [&]
                {
                    worker = std::async(std::launch::async,
                                        [&]
                                        {
                                            sMessageRequest request;
                                            request.text = L"install?";
                                            request.type = kBoxYesNo;
                                            return window.AskMessage(request);
                                        });
                });
        });
    EXPECT_EQ(asked.get(), L"install?");
    // The question is open: the worker must still be waiting.
    while (!worker.valid())
        std::this_thread::yield();
    EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    backend->answer.set_value(kAnswerYes);
    EXPECT_EQ(worker.get(), kAnswerYes);
    window.PostClose();
    ui.join();
    EXPECT_EQ(backend->answeredOn, windowThread);
}

TEST(WindowModel, CloseFromAnotherThreadEndsTheLoopOnceAndDropsLaterPresses)
{
    CWindow window(std::make_shared<CHeadlessBackend>(std::tmpfile(), false));
    ASSERT_TRUE(window.AddControl(Make(7, eControlKind::Button)));
    std::vector<int> commands;
    int closes = 0;
    std::thread::id closedOn;
    window.SetCommandHandler([&](int id) { commands.push_back(id); });
    window.SetCloseHandler(
        [&]
        {
            ++closes;
            closedOn = std::this_thread::get_id();
        });
    std::thread other(
        [&]
        {
            window.PostCommand(7);
            window.PostClose();
            window.PostCommand(7);
            window.PostClose();
        });
    window.RunModal();
    other.join();
    EXPECT_EQ(commands, std::vector<int>{7});
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(closedOn, std::this_thread::get_id());
    EXPECT_TRUE(window.IsClosed());
    window.RunModal(); // a closed window does not open again
}

TEST(WindowModel, QuestionAskedWhileTheWindowClosesDoesNotWaitForIt)
{
    // The close handler waits for a worker that asks a question meanwhile (the updater stopping).
    CWindow window(std::make_shared<CHeadlessBackend>(std::tmpfile(), false));
    std::thread worker;
    std::atomic<int> answer{0};
    window.SetCloseHandler(
        [&]
        {
            worker = std::thread(
                [&]
                {
                    sMessageRequest request;
                    request.type = kBoxOk;
                    answer = window.AskMessage(request);
                });
            worker.join();
        });
    window.PostClose();
    window.RunModal();
    EXPECT_EQ(answer.load(), kAnswerOk);
}

TEST(WindowModel, PressesAndChanges)
{
    auto backend = std::make_shared<CGatedBackend>();
    CWindow window(backend);
    ASSERT_TRUE(window.AddControl(Make(1, eControlKind::Button)));
    ASSERT_TRUE(window.AddControl(Make(2, eControlKind::CheckBox)));
    ASSERT_TRUE(window.AddControl(Make(3, eControlKind::ProgressBar)));
    EXPECT_FALSE(window.AddControl(Make(3, eControlKind::Text)));

    std::vector<std::pair<int, bool>> seen; // id, check state when the handler ran
    window.SetCommandHandler([&](int id) { seen.emplace_back(id, window.IsChecked(2)); });
    window.SetEnabled(1, false);
    window.PostCommand(1); // disabled: nobody can press it
    window.PostCommand(2); // toggles before the handler hears of it
    window.SetEnabled(1, true);
    window.SetVisible(1, false);
    window.PostCommand(1); // hidden
    window.PostClose();
    window.RunModal();
    EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{2, true}}));

    backend->changes.clear();
    window.SetPosition(3, 150);
    window.SetPosition(3, 100); // unchanged after clamping: no notice
    window.SetPosition(3, -5);
    window.SetText(99, L"unknown");
    ASSERT_EQ(backend->changes.size(), 2u);
    EXPECT_EQ(backend->changes[0].position, 100);
    EXPECT_EQ(backend->changes[1].position, 0);
}

TEST(HeadlessBackend, PrintsStatusBarsAndMessages)
{
    testsupport::ScopedEnv answer("VELMORA_HEADLESS_ANSWER", "6");
    for (bool terminal : {false, true})
    {
        std::FILE* out = std::tmpfile();
        CWindow window(std::make_shared<CHeadlessBackend>(out, terminal));
        window.AddControl(Make(1, eControlKind::Text, eControlRole::StatusText));
        window.AddControl(Make(2, eControlKind::Text, eControlRole::CurrentFileText));
        window.AddControl(Make(3, eControlKind::ProgressBar, eControlRole::TotalBar));
        window.AddControl(Make(4, eControlKind::ProgressBar, eControlRole::FileBar));
        window.SetText(1, L"Checking");
        window.SetText(2, L"a.pak");
        window.SetPosition(3, 5);
        window.SetPosition(3, 10);
        window.SetPosition(4, 40);
        sMessageRequest request;
        request.text = L"Done?";
        request.type = kBoxYesNo;
        EXPECT_EQ(window.AskMessage(request), kAnswerYes);
        const std::string text = ReadAll(out);
        std::fclose(out);
        if (!terminal)
        {
            // A line for each tenth of the total bar, none for the file bar.
            EXPECT_EQ(text, "[total   0%] [file   0%] \nChecking\n[total  10%] [file   0%] a.pak\n"
                            "[message] Done? -> 6\n");
            continue;
        }
        // One line redrawn in place; the status line and the message end it first.
        EXPECT_NE(text.find("\nChecking\n"), std::string::npos) << text;
        const size_t last = text.rfind('\r');
        ASSERT_NE(last, std::string::npos);
        EXPECT_EQ(text.compare(last, 31, "\r[total  10%] [file  40%] a.pak"), 0) << text;
        EXPECT_NE(text.find(" \n[message] Done? -> 6\n", last), std::string::npos) << text;
    }
}

TEST(HeadlessBackend, AnswersByBoxType)
{
    {
        testsupport::ScopedEnv unset("VELMORA_HEADLESS_ANSWER", static_cast<const char*>(nullptr));
        EXPECT_EQ(CHeadlessBackend::HeadlessAnswer(kBoxYesNo), kAnswerNo);
    }
    testsupport::ScopedEnv yes("VELMORA_HEADLESS_ANSWER", "6");
    EXPECT_EQ(CHeadlessBackend::HeadlessAnswer(kBoxYesNo), kAnswerYes);
    EXPECT_EQ(CHeadlessBackend::HeadlessAnswer(kBoxOk), kAnswerOk);
    EXPECT_EQ(CHeadlessBackend::HeadlessAnswer(kBoxOkCancel), kAnswerCancel);
    EXPECT_EQ(CHeadlessBackend::HeadlessAnswer(kBoxRetryCancel), kAnswerCancel);
}

TEST(HeadlessBackend, ActsForTheUserWhenTheWorkEnds)
{
    for (int result : {1, 14003})
    {
        std::FILE* out = std::tmpfile();
        CWindow window(std::make_shared<CHeadlessBackend>(out, false));
        window.AddControl(Make(10, eControlKind::Button, eControlRole::ProceedButton));
        window.AddControl(Make(11, eControlKind::Button, eControlRole::CloseButton));
        std::vector<int> pressed;
        window.SetCommandHandler(
            [&](int id)
            {
                pressed.push_back(id);
                window.PostClose();
            });
        std::thread worker([&] { window.NotifyWorkFinished(result); });
        window.RunModal();
        worker.join();
        EXPECT_EQ(pressed, std::vector<int>{result == 1 ? 10 : 11});
        EXPECT_EQ(ReadAll(out).find("result 14003") != std::string::npos, result != 1);
        std::fclose(out);
    }
}

TEST(Backend, ChoiceFollowsTheSettingAndTheDisplay)
{
    EXPECT_EQ(ChooseBackend(nullptr, false), eBackendKind::Headless);
    EXPECT_EQ(ChooseBackend("gtk", false), eBackendKind::Headless);
    EXPECT_EQ(ChooseBackend("headless", true), eBackendKind::Headless);
    EXPECT_EQ(ChooseBackend("gtk", true), eBackendKind::Gtk);
    EXPECT_EQ(ChooseBackend(nullptr, true), eBackendKind::Gtk);
}
