#pragma once
// Names that come from a pak, a server list or a list archive are untrusted. Before a name is
// joined to a folder to write, extract or delete a file, it must stay inside that folder.
#include <string>
#include <string_view>

namespace ZP
{

// A relative name with no empty "..", no drive prefix, no leading separator and no NUL.
// Backslashes count as separators.
bool IsSafeRelativeName(std::wstring_view name);

// folder + "/" + name when the name is safe and no folder between folder and the file is a
// symbolic link (which could lead out of it); empty otherwise. A link in place of the file itself
// is refused as well.
std::wstring PathInside(std::wstring_view folder, std::wstring_view name);

} // namespace ZP
