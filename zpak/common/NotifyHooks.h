#pragma once
// Optional process-wide notification hooks. Each is null until someone installs it, and a null
// hook is skipped: call them through the Notify* helpers. Install on the main thread before the
// worker threads start.
#include <cstdint>

namespace ZP
{

class CFileInfo;

struct sNotifyHooks
{
    // transfer routines and extraction
    void (*byteProgress)(uint64_t total, uint64_t done) = nullptr;
    // list load, save and report
    void (*listStart)(uint32_t count) = nullptr;
    void (*listEnd)() = nullptr;
    void (*recordName)(const wchar_t* name) = nullptr;
    void (*listByteCount)(uint64_t bytes, uint64_t totalBytes) = nullptr;
    void (*listIndexProgress)(uint32_t count, uint32_t index) = nullptr;
    // extraction of a whole pak
    void (*extractStart)(uint32_t count) = nullptr;
    void (*extractEnd)() = nullptr;
    void (*extractFileBegin)(const wchar_t* name) = nullptr;
    void (*extractFileEnd)(const wchar_t* name, uint64_t size) = nullptr;
    void (*extractProgress)(uint32_t count, uint32_t index) = nullptr;
    // status and failure texts of unpacking
    void (*statusText)(const wchar_t* text) = nullptr;
    void (*failureText)(const wchar_t* text) = nullptr;
    // compaction
    void (*compactStart)(uint32_t volumes) = nullptr;
    void (*compactEnd)() = nullptr;
    void (*compactVolumeProgress)(uint32_t count, uint32_t index) = nullptr;
    void (*compactFileName)(const wchar_t* name) = nullptr;
    void (*compactFileProgress)(uint32_t count, uint32_t index) = nullptr;
    // repair
    void (*repairStart)(uint32_t count) = nullptr;
    void (*repairEnd)() = nullptr;
    void (*repairFile)(const wchar_t* name) = nullptr;
    void (*repairProgress)(uint32_t count, uint32_t index) = nullptr;
    // a pak record failed its CRC, sum or decoding
    void (*brokenFile)(const CFileInfo* record, int code) = nullptr;
};

sNotifyHooks& GetNotifyHooks();

template <typename Hook, typename... Args>
inline void Notify(Hook hook, Args... args)
{
    if (hook)
        hook(args...);
}

} // namespace ZP
