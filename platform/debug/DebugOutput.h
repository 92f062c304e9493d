#pragma once
// Stand-in for the debugger output channel. With no sink installed the text goes nowhere, as on
// a machine without a debugger attached; tools and tests install a sink to watch it.
#include <functional>
#include <string_view>

namespace platform::debug
{

using DebugSink = std::function<void(std::wstring_view)>;

void DebugOutput(std::wstring_view text);
// Returns the previous sink. Install before worker threads start.
DebugSink SetDebugSink(DebugSink sink);

} // namespace platform::debug
