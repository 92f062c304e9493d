#include "zpak/common/Stopper.h"

#include "zpak/common/CriticalSection.h"

#include <atomic>

namespace ZP
{
namespace
{
struct sStopState
{
    CCriticalSection lock;
    // Readers in hot loops use the atomic alone; writers also take the lock so that a raise and a
    // clear from two threads are ordered.
    std::atomic<bool> requested{false};
};

sStopState& State()
{
    static sStopState state;
    return state;
}
} // namespace

void CStopper::EnsureStopper()
{
    State();
}

bool CStopper::IsStopRequested()
{
    return State().requested.load(std::memory_order_acquire);
}

void CStopper::SetStopRequested(bool value)
{
    sStopState& s = State();
    CCriticalSectionMgr guard(&s.lock);
    s.requested.store(value, std::memory_order_release);
}

} // namespace ZP
