#pragma once
// Command lines: splitting an argument text the way programs started on the launcher's home platform
// split theirs, and this process's own arguments.
#include <string>
#include <string_view>
#include <vector>

namespace platform::process
{

// Arguments are separated by blanks (space, tab); a double quote starts or ends a quoted part in
// which blanks are kept; 2n backslashes before a quote give n backslashes and the quote keeps its
// meaning, 2n+1 give n backslashes and a literal quote; other backslashes are literal.
std::vector<std::wstring> SplitArguments(std::wstring_view text);

// This process's arguments, the program path first. Read from the system unless set below.
std::vector<std::wstring> OwnArguments();
// Replaces what OwnArguments returns (a program that receives its arguments in main(), tests).
void SetOwnArguments(std::vector<std::wstring> arguments);

} // namespace platform::process
