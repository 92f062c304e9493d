#pragma once
// Environment strings.
#include <string>
#include <string_view>

namespace platform::process
{

// Replaces each %NAME% by the value of the environment variable NAME. The name is looked up as
// written first, then without regard to case (scripts written for a platform whose names are
// case-insensitive say %Temp% or %ProgramFiles%). A reference to a variable that does not exist, a
// lone "%" and "%%" stay as they are.
std::wstring ExpandEnvironmentText(std::wstring_view text);

// The value of the variable name exactly as written; false when it is not set or empty.
bool GetEnvironmentValue(const char* name, std::wstring& out);

} // namespace platform::process
