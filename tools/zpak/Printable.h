#pragma once
// Names from paks and lists are untrusted text: printed raw, a line break or tab would fake rows
// and an escape sequence would drive the terminal. Every command prints them through this.
#include <string>

namespace zpak_cli
{

// UTF-8 of name with control characters (C0, DEL, C1) written as "\n", "\t", "\r" or "\xNN", and
// a backslash as "\\", so that every printed name is one unambiguous field.
std::string PrintableName(const std::wstring& name);

} // namespace zpak_cli
