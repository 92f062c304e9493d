#pragma once
// Programs that arrive as downloads (installers, packages) carry no execute permission; the launcher
// marks them before it starts them, as the platform it was designed for runs any downloaded program.
#include <string_view>

namespace platform::fs
{

// Adds execute permission for whoever may read the file. False when the file cannot be changed.
bool MarkExecutable(std::wstring_view path);

} // namespace platform::fs
