#pragma once
// Shortcuts as the desktops here know them: freedesktop ".desktop" entries. A file link is an
// entry of type Application that runs the target; an internet shortcut is an entry of type Link
// that opens the URL.
#include <string>

namespace platform::shell
{

enum class eShortcutKind
{
    File,
    Url,
};

struct sShortcut
{
    eShortcutKind kind = eShortcutKind::File;
    // The program (File) or the URL (Url).
    std::wstring target;
    std::wstring arguments;
    std::wstring workingFolder;
    std::wstring description;
    std::wstring iconPath;
};

// Writes the entry to path, replacing a file there, and makes it executable (desktops only start
// trusted entries). The entry's name is the file's name without its extension. False on any failure;
// nothing is left half-written (the entry is written beside the path and renamed over it).
bool WriteShortcut(const sShortcut& shortcut, const std::wstring& path);

} // namespace platform::shell
