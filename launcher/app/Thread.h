#pragma once
// A worker thread with a stop byte. The stop byte is written by the thread that asks for the stop
// and read by the worker between its steps; a forced end raises the pak library's stop flag
// (CStopper) with it, so the pak library's long loops end too.
#include "launcher/app/Components.h"
#include "launcher/app/ThreadProcessCall.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

class IRunnable
{
public:
    virtual ~IRunnable() = default;
    virtual int Run() = 0;
    virtual void ForceTerminate() = 0;
};

class CThread : public IRunnable, public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    // Clears the stop byte and the pak library's stop flag: a new worker starts unstopped.
    CThread();
    // Stops and waits for a thread still running.
    ~CThread() override;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    int Initialize() override { return 1; }
    // Stops and waits for a thread still running.
    void Finalize() override;
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }

    // Runs the thread body on a new thread: Run, then the completion listener with its result
    // unless a stop was asked for meanwhile. 1, or 14096 when no thread can be made (also while
    // an earlier one still runs).
    int Start();
    // The delegate's Run when one is set, else 0.
    int Run() override;
    // Sets the stop byte and the pak library's stop flag, asks the delegate to stop and waits
    // without a time limit for the thread to end. On the worker's own thread it does not wait.
    void ForceTerminate() override;

    bool IsStopRequested() const { return m_stop.load() != 0; }
    // Both borrowed; they must outlive the thread. Set them before Start.
    void SetDelegate(IRunnable* delegate) { m_delegate = delegate; }
    void SetCompletionListener(IThreadProcessCall* listener) { m_listener.store(listener); }
    // True from Start until the thread body has returned.
    bool IsRunning() const { return m_running.load(); }

protected:
    CObjectConnector* m_connector = nullptr;

private:
    void Body();
    void Join();

    std::atomic<uint8_t> m_stop{0};
    std::atomic<bool> m_running{false};
    IRunnable* m_delegate = nullptr;
    std::atomic<IThreadProcessCall*> m_listener{nullptr};
    std::atomic<std::thread::id> m_workerId{};
    std::mutex m_joinLock;
    std::thread m_thread;
};
