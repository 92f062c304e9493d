#include "platform/process/CloseSignal.h"

#include <csignal>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace platform::process
{
namespace
{
std::mutex g_lock;
std::function<void()> g_handler;
bool g_watching = false;

sigset_t CloseSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void Watch()
{
    const sigset_t set = CloseSignals();
    for (;;)
    {
        int received = 0;
        if (::sigwait(&set, &received) != 0) continue;
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_handler) g_handler();
    }
}
} // namespace

void WatchCloseSignals(std::function<void()> handler)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_handler = std::move(handler);
    if (g_watching) return;
    const sigset_t set = CloseSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // The watcher lives as long as the process; it owns nothing that needs tearing down.
    std::thread(Watch).detach();
    g_watching = true;
}

void StopWatchingCloseSignals()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_handler = nullptr;
}
} // namespace platform::process
