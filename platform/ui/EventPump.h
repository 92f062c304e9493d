#pragma once
// The calling thread's user-interface events while it waits for something else (a started program).
// A window back end installs its pump from the thread that owns the windows; the pump itself answers
// only on that thread. Until one is installed nothing is ever pending and nothing is dispatched, so
// the waits work the same without a window.

namespace platform::ui
{

struct sEventPump
{
    // True when an event waits for the calling thread.
    bool (*hasPending)() = nullptr;
    // Removes one pending event of the calling thread and dispatches it; false when there was none.
    bool (*dispatchOne)() = nullptr;
};

// Returns the previous pump.
sEventPump SetEventPump(sEventPump pump);

bool HasPendingEvents();
bool DispatchOneEvent();

} // namespace platform::ui
