#include "zpak/common/NotifyHooks.h"

namespace ZP
{
namespace
{
sNotifyHooks*& Installed()
{
    thread_local sNotifyHooks* installed = nullptr;
    return installed;
}

sNotifyHooks& ProcessHooks()
{
    static sNotifyHooks hooks;
    return hooks;
}

// A hook added to the set must be added to Overlay as well, or a run's hook of that name is lost.
static_assert(sizeof(sNotifyHooks) == 23 * sizeof(std::function<void()>), "Overlay lists every hook");

// Every hook the run sets replaces the one in force.
void Overlay(sNotifyHooks& into, const sNotifyHooks& run)
{
    auto take = [&](auto member)
    {
        if (run.*member) into.*member = run.*member;
    };
    take(&sNotifyHooks::byteProgress);
    take(&sNotifyHooks::listStart);
    take(&sNotifyHooks::listEnd);
    take(&sNotifyHooks::recordName);
    take(&sNotifyHooks::listByteCount);
    take(&sNotifyHooks::listIndexProgress);
    take(&sNotifyHooks::extractStart);
    take(&sNotifyHooks::extractEnd);
    take(&sNotifyHooks::extractFileBegin);
    take(&sNotifyHooks::extractFileEnd);
    take(&sNotifyHooks::extractProgress);
    take(&sNotifyHooks::statusText);
    take(&sNotifyHooks::failureText);
    take(&sNotifyHooks::compactStart);
    take(&sNotifyHooks::compactEnd);
    take(&sNotifyHooks::compactVolumeProgress);
    take(&sNotifyHooks::compactFileName);
    take(&sNotifyHooks::compactFileProgress);
    take(&sNotifyHooks::repairStart);
    take(&sNotifyHooks::repairEnd);
    take(&sNotifyHooks::repairFile);
    take(&sNotifyHooks::repairProgress);
    take(&sNotifyHooks::brokenFile);
}
} // namespace

sNotifyHooks& GetNotifyHooks()
{
    sNotifyHooks* installed = Installed();
    return installed ? *installed : ProcessHooks();
}

CNotifyHooksScope::CNotifyHooksScope(const sNotifyHooks& run)
    : m_hooks(GetNotifyHooks()), m_previous(Installed())
{
    Overlay(m_hooks, run);
    Installed() = &m_hooks;
}

CNotifyHooksScope::~CNotifyHooksScope()
{
    Installed() = m_previous;
}

} // namespace ZP
