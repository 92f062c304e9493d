// Size totals and the human-readable list report.
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/Stopper.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/info/ReportOpener.h"
#include "zpak/log/ZpakLog.h"

namespace ZP
{

namespace
{
// The list's records as a read-only view.
std::span<const CFileInfo* const> RecordsOf(const vFileInfo& list)
{
    return {list.Raw().data(), list.Raw().size()};
}
} // namespace

int CFileInfoUtil::SumSizes(const vFileInfo* list, uint64_t* plainTotal, uint64_t* storedTotal)
{
    if (!list) return kErrorInvalidPointer;
    return SumSizes(RecordsOf(*list), plainTotal, storedTotal);
}

int CFileInfoUtil::SumSizes(std::span<const CFileInfo* const> records, uint64_t* plainTotal,
                            uint64_t* storedTotal)
{
    if (!plainTotal || !storedTotal) return kErrorInvalidPointer;
    *plainTotal = 0;
    *storedTotal = 0;
    if (records.empty()) return 0;
    for (const CFileInfo* r : records)
    {
        if (CStopper::IsStopRequested()) return kErrorStopped;
        if (!r || r->base.Loc == kLocNoList) continue;
        *plainTotal += r->base.OrgSize;
        *storedTotal += r->base.size;
    }
    return 1;
}

std::wstring CFileInfoUtil::WriteListReport(const std::wstring& stem, const vFileInfo* list,
                                            uint32_t elapsedMs, bool open, IReportOpener* opener)
{
    if (!list) return std::wstring();
    return WriteListReport(stem, RecordsOf(*list), elapsedMs, open, opener);
}

std::wstring CFileInfoUtil::WriteListReport(const std::wstring& stem,
                                            std::span<const CFileInfo* const> records, uint32_t elapsedMs,
                                            bool open, IReportOpener* opener)
{
    if (records.empty()) return std::wstring();
    sSystemTime now = LocalNow();
    std::wstring path = FormatWide(1023, L"%s_%04d%02d%02d_%02d%02d%02d.txt", stem.c_str(), now.year,
                                   now.month, now.day, now.hour, now.minute, now.second);
    CreateParentFolders(path);

    std::wstring text;
    text += FormatWide(1023, L"File Count : %d\r\n", static_cast<int>(records.size()));
    uint32_t seconds = elapsedMs / 1000;
    text += FormatWide(1023, L"Time - %02d:%02d:%02d\r\n", elapsedMs / 3600000, (seconds % 3600) / 60,
                       (seconds % 3600) % 60);
    uint64_t plain = 0, stored = 0;
    if (SumSizes(records, &plain, &stored) == 1)
    {
        text += FormatWide(1023, L"\r\nOrgTotalSize : %s\r\n", ByteSizeText(plain).c_str());
        text += FormatWide(1023, L"ZipTotalSize : %s\r\n\r\n", ByteSizeText(stored).c_str());
    }
    sNotifyHooks& hooks = GetNotifyHooks();
    Notify(hooks.listStart, static_cast<uint32_t>(records.size()));
    bool stopped = false;
    uint32_t index = 0;
    for (const CFileInfo* r : records)
    {
        if (CStopper::IsStopRequested())
        {
            stopped = true;
            break;
        }
        ++index;
        if (!r || r->base.Loc == kLocNoList) continue;
        const sFileInfoBase& b = r->base;
        text += FormatWide(
            2047,
            L"%s - %08d_%06d - InfoPos:%d - FilePos:%d - size:%d - unzipsize:%d - zip:%d - enc:%d - "
            L"deleted:%d - Loc:%d\r\n",
            r->Name().c_str(), b.Date, b.Time, b.InfoPos, b.FilePos, b.size, b.unzipsize, b.zip, b.enc,
            b.deleted, b.Loc);
        Notify(hooks.recordName, r->Name().c_str());
        Notify(hooks.listIndexProgress, static_cast<uint32_t>(records.size()), index);
    }
    Notify(hooks.listEnd);
    // Report files are read on Korean systems as ANSI text.
    if (!WriteWholeFile(path, platform::text::WideToMultiByte(text, platform::text::kCodePageKorean)))
    {
        ZP_LOG_ERROR(kErrorFileCreate, "CFileInfoUtil::WriteListReport");
        return std::wstring();
    }
    if (open && !stopped) (opener ? opener : ShellReportOpener())->Open(path);
    return path;
}

} // namespace ZP
