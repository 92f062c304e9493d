#pragma once
// Opens a written report for the user. The list reports take one, so that a caller (a test) can
// record the request instead of starting a viewer; the default hands the file to the shell's "open".
#include <string>

namespace ZP
{

class IReportOpener
{
public:
    virtual ~IReportOpener() = default;
    virtual void Open(const std::wstring& path) = 0;
};

// The shell's "open"; lives until exit.
IReportOpener* ShellReportOpener();

} // namespace ZP
