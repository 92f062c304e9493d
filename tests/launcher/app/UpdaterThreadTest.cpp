#include "launcher/app/LauncherUpdater.h"
#include "launcher/workflow/LauncherImplement.h"
#include "tests/support/StubConnector.h"
#include "zpak/common/Stopper.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace
{
using namespace std::chrono_literals;

// Hands the worker's result over to the test, with the thread it arrived on.
class CResultListener : public IThreadProcessCall
{
public:
    void OnThreadProcessEnd(int result) override
    {
        thread = std::this_thread::get_id();
        calls.fetch_add(1);
        done.set_value(result);
    }
    std::promise<int> done;
    std::thread::id thread;
    std::atomic<int> calls{0};
};

// Runs until it is told to stop (or for ever), then answers `result`.
class CBlockingRunnable : public IRunnable
{
public:
    int Run() override
    {
        started.store(true);
        while (!stop.load())
            std::this_thread::sleep_for(1ms);
        return result;
    }
    void ForceTerminate() override { stop.store(true); }
    std::atomic<bool> started{false};
    std::atomic<bool> stop{false};
    int result = 1;
};

bool WaitFor(const std::atomic<bool>& flag)
{
    for (int i = 0; i < 5000 && !flag.load(); ++i)
        std::this_thread::sleep_for(1ms);
    return flag.load();
}
} // namespace

TEST(WorkerThread, ListenerGetsTheResultOnTheWorker)
{
    CBlockingRunnable work;
    work.result = 14054;
    work.stop = true;
    CResultListener listener;
    CThread thread;
    thread.SetDelegate(&work);
    thread.SetCompletionListener(&listener);
    ASSERT_EQ(thread.Start(), 1);
    auto result = listener.done.get_future();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), 14054);
    EXPECT_NE(listener.thread, std::this_thread::get_id());

    CThread empty;
    EXPECT_EQ(empty.Run(), 0) << "no delegate, nothing done";
}

TEST(WorkerThread, ForceTerminateStopsBothFlagsWaitsAndSilencesTheListener)
{
    ZP::CStopper::SetStopRequested(true);
    CThread thread;
    EXPECT_FALSE(ZP::CStopper::IsStopRequested()) << "a new worker starts unstopped";

    CBlockingRunnable work;
    CResultListener listener;
    thread.SetDelegate(&work);
    thread.SetCompletionListener(&listener);
    ASSERT_EQ(thread.Start(), 1);
    ASSERT_TRUE(WaitFor(work.started));
    EXPECT_EQ(thread.Start(), ZP::kErrorThreadCreate) << "one run at a time";

    thread.ForceTerminate();
    EXPECT_FALSE(thread.IsRunning()) << "ForceTerminate returns only once the worker has ended";
    EXPECT_TRUE(thread.IsStopRequested());
    EXPECT_TRUE(ZP::CStopper::IsStopRequested());
    EXPECT_TRUE(work.stop.load()) << "the delegate was asked to stop";
    EXPECT_EQ(listener.calls.load(), 0) << "a stopped run reports nothing";
    ZP::CStopper::SetStopRequested(false);
}

// A listener that ends everything from the worker itself must not wait for its own thread.
TEST(WorkerThread, ForceTerminateFromTheWorkerDoesNotWaitForItself)
{
    class CClosingListener : public IThreadProcessCall
    {
    public:
        explicit CClosingListener(CThread& t) : thread(t) {}
        void OnThreadProcessEnd(int) override
        {
            thread.ForceTerminate();
            returned.store(true);
        }
        CThread& thread;
        std::atomic<bool> returned{false};
    };
    CBlockingRunnable work;
    work.stop = true;
    CThread thread;
    CClosingListener listener(thread);
    thread.SetDelegate(&work);
    thread.SetCompletionListener(&listener);
    ASSERT_EQ(thread.Start(), 1);
    EXPECT_TRUE(WaitFor(listener.returned));
    thread.Finalize();
    ZP::CStopper::SetStopRequested(false);
}

namespace
{
// The workflow's four steps, recording their order; step i answers answers[i].
class CStepsImplement : public CDefaultLauncherImplement
{
public:
    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector*) override {}

    int CheckLauncherUpdateAndRestart() override { return Step(0); }
    int CheckInstallVM() override { return Step(1); }
    int UpdateDistPackages() override { return Step(2); }
    int ProcessPatchSystem() override { return Step(3); }

    int Step(int i)
    {
        calls.push_back(i);
        // The tests run the updater on their own thread: there is no worker to wait for.
        if (stopAfter == i && updater) updater->ForceTerminate();
        return answers[i];
    }

    int answers[4] = {1, 1, 1, 1};
    int stopAfter = -1;
    CDefaultLauncherUpdater* updater = nullptr;
    std::vector<int> calls;
};

class CUpdaterApp : public testsupport::CStubConnector
{
public:
    CLauncherImplement* GetImplement() override { return implement; }
    CLauncherImplement* implement = nullptr;
};
} // namespace

TEST(LauncherUpdater, RunsTheStepsInOrderAndStopsAtTheFirstFailureOrStop)
{
    struct
    {
        int failing;   // step answering 14054 (-1: none)
        int stopAfter; // step after which a stop is asked (-1: none)
        int result;
        std::vector<int> calls;
    } cases[] = {
        {-1, -1, 1, {0, 1, 2, 3}},
        {0, -1, 14054, {0}},
        {1, -1, 14054, {0, 1}},
        {2, -1, 14054, {0, 1, 2}},
        {3, -1, 14054, {0, 1, 2, 3}},
        {-1, 0, 1, {0}},
        {-1, 1, 1, {0, 1}},
        // The patch run looks at the stop byte itself.
        {-1, 2, 1, {0, 1, 2, 3}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "failing " << c.failing << ", stop after " << c.stopAfter);
        CStepsImplement implement;
        if (c.failing >= 0) implement.answers[c.failing] = 14054;
        CDefaultLauncherUpdater updater;
        implement.stopAfter = c.stopAfter;
        implement.updater = &updater;
        CUpdaterApp app;
        app.implement = &implement;
        updater.SetConnector(&app);
        EXPECT_EQ(updater.Run(), c.result);
        EXPECT_EQ(implement.calls, c.calls);
    }
    ZP::CStopper::SetStopRequested(false);
}

TEST(LauncherUpdater, WithoutAnImplementationOrAfterAStopNothingRuns)
{
    CUpdaterApp app;
    CDefaultLauncherUpdater updater;
    updater.SetConnector(&app);
    EXPECT_EQ(updater.Run(), ZP::kErrorInvalidPointer);

    CStepsImplement implement;
    app.implement = &implement;
    updater.ForceTerminate();
    EXPECT_EQ(updater.Run(), 1);
    EXPECT_TRUE(implement.calls.empty());
    ZP::CStopper::SetStopRequested(false);
}
