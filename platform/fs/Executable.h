#pragma once
// Programs that arrive as downloads (installers, packages) carry no execute permission; the launcher
// marks them before it starts them, as the platform it was designed for runs any downloaded program.
#include <string_view>

namespace platform::fs
{

// Adds execute permission for whoever may read the file. False when the file cannot be changed.
bool MarkExecutable(std::wstring_view path);

// True when the file starts as a program this system runs: an ELF image or a "#!" script. A game's
// own programs arrive from the patch server as plain data and need their permission back.
bool IsProgramFile(std::wstring_view path);

} // namespace platform::fs
