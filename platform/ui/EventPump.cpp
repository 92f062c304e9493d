#include "platform/ui/EventPump.h"

#include <atomic>

namespace platform::ui
{
namespace
{
// Read by waiting threads while the main thread may install the pump: each pointer on its own.
std::atomic<bool (*)()> g_hasPending{nullptr};
std::atomic<bool (*)()> g_dispatchOne{nullptr};
} // namespace

sEventPump SetEventPump(sEventPump pump)
{
    sEventPump previous;
    previous.hasPending = g_hasPending.exchange(pump.hasPending);
    previous.dispatchOne = g_dispatchOne.exchange(pump.dispatchOne);
    return previous;
}

bool HasPendingEvents()
{
    bool (*fn)() = g_hasPending.load();
    return fn && fn();
}

bool DispatchOneEvent()
{
    bool (*fn)() = g_dispatchOne.load();
    return fn && fn();
}

} // namespace platform::ui
