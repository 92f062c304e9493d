#pragma once
// Optional notification hooks of the pak library. Each is empty until someone sets it, and an
// empty hook is skipped: call them through Notify. A hook is a callable that carries its own
// context (the window, the progress line it reports to).
//
// The hooks that report progress belong to a run, not to the process: a run installs its set on the
// thread it runs on with CNotifyHooksScope, and the library's code on that thread reports to it;
// other threads never see it, so nothing is rewritten under another thread's feet. Hooks the run
// leaves empty fall back to the process-wide set, which holds what the library itself installs
// (the repair list's broken-file hook) and is written only at start-up, before worker threads run.
#include <cstdint>
#include <functional>

namespace ZP
{

class CFileInfo;

struct sNotifyHooks
{
    // transfer routines and extraction
    std::function<void(uint64_t total, uint64_t done)> byteProgress;
    // list load, save and report
    std::function<void(uint32_t count)> listStart;
    std::function<void()> listEnd;
    std::function<void(const wchar_t* name)> recordName;
    std::function<void(uint64_t bytes, uint64_t totalBytes)> listByteCount;
    std::function<void(uint32_t count, uint32_t index)> listIndexProgress;
    // extraction of a whole pak
    std::function<void(uint32_t count)> extractStart;
    std::function<void()> extractEnd;
    std::function<void(const wchar_t* name)> extractFileBegin;
    std::function<void(const wchar_t* name, uint64_t size)> extractFileEnd;
    std::function<void(uint32_t count, uint32_t index)> extractProgress;
    // status and failure texts of unpacking
    std::function<void(const wchar_t* text)> statusText;
    std::function<void(const wchar_t* text)> failureText;
    // compaction
    std::function<void(uint32_t volumes)> compactStart;
    std::function<void()> compactEnd;
    std::function<void(uint32_t count, uint32_t index)> compactVolumeProgress;
    std::function<void(const wchar_t* name)> compactFileName;
    std::function<void(uint32_t count, uint32_t index)> compactFileProgress;
    // repair
    std::function<void(uint32_t count)> repairStart;
    std::function<void()> repairEnd;
    std::function<void(const wchar_t* name)> repairFile;
    std::function<void(uint32_t count, uint32_t index)> repairProgress;
    // a pak record failed its CRC, sum or decoding
    std::function<void(const CFileInfo* record, int code)> brokenFile;
};

// The hooks of the calling thread's current run; the process-wide set when no run is installed.
sNotifyHooks& GetNotifyHooks();

// Installs a run's hooks on the calling thread until the scope ends (over the hooks in force, which
// fill the ones the run leaves empty); the previous hooks come back then, also when the scope ends
// by an exception or a failed test assertion. The hooks are copied: their contexts must outlive
// the scope.
class CNotifyHooksScope
{
public:
    explicit CNotifyHooksScope(const sNotifyHooks& run);
    ~CNotifyHooksScope();
    CNotifyHooksScope(const CNotifyHooksScope&) = delete;
    CNotifyHooksScope& operator=(const CNotifyHooksScope&) = delete;

private:
    sNotifyHooks m_hooks;
    sNotifyHooks* m_previous;
};

template <typename Hook, typename... Args> inline void Notify(const Hook& hook, Args... args)
{
    if (hook) hook(args...);
}

} // namespace ZP
