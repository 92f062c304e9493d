#pragma once
// SIGINT and SIGTERM as a close request. The signals are blocked in every thread and taken by one
// watcher thread, so the request is handled as ordinary code (locks, window queues) and never
// interrupts a write half-way. Programs the process starts get the default handling back.
#include <functional>

namespace platform::process
{
// Call on the main thread before any other thread exists (threads inherit the blocked set). The
// handler runs on the watcher thread, once per signal received; a later call replaces it.
void WatchCloseSignals(std::function<void()> handler);
// After this no handler runs; a signal received then is ignored. Waits for a handler that is
// running.
void StopWatchingCloseSignals();
} // namespace platform::process
