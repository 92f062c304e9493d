#include "platform/debug/DebugOutput.h"

#include <mutex>

namespace platform::debug
{
namespace
{
std::mutex g_sinkLock;
DebugSink g_sink;
} // namespace

void DebugOutput(std::wstring_view text)
{
    std::lock_guard<std::mutex> guard(g_sinkLock);
    if (g_sink) g_sink(text);
}

DebugSink SetDebugSink(DebugSink sink)
{
    std::lock_guard<std::mutex> guard(g_sinkLock);
    DebugSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}

} // namespace platform::debug
