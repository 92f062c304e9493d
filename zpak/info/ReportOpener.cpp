#include "zpak/info/ReportOpener.h"

#include "platform/process/Process.h"

namespace ZP
{
namespace
{
class CShellReportOpener : public IReportOpener
{
public:
    void Open(const std::wstring& path) override
    {
        // The viewer runs on its own; nothing waits for it.
        platform::process::Process viewer;
        platform::process::ShellOpen(path, L"", viewer);
    }
};
} // namespace

IReportOpener* ShellReportOpener()
{
    static CShellReportOpener opener;
    return &opener;
}

} // namespace ZP
