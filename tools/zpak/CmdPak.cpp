// Pak set commands: add, ls, extract, compact, rm.
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/PakAccess.h"
#include "tools/zpak/Printable.h"
#include "tools/zpak/Progress.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/file/File.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/pak/PakMgr.h"
#include "zpak/scan/LocalFile.h"

#include <cstdio>
#include <cstring>

namespace zpak_cli
{
namespace
{
std::wstring Wide(const std::string& s)
{
    return platform::text::Utf8ToWide(s);
}

void Warn(const std::wstring& name, int code)
{
    PrintError(code, name);
}
} // namespace

int CmdAdd(const Args& arguments)
{
    Args args = arguments;
    const bool wait = TakeWaitFlag(args);
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--method")) return 2;
    uint32_t method = ZP::kZipNone;
    if (args.size() == 4)
    {
        if (args[3] == "zlib")
            method = ZP::kZipZlib;
        else if (args[3] == "lzma")
            method = ZP::kZipLzma;
        else if (args[3] != "none")
            return 2;
    }
    std::wstring folder = Wide(args[1]);
    ZP::CLocalFile scan;
    if (!scan.Scan(folder, true, false, nullptr, true)) return PrintError(ZP::kErrorFileSearch);
    ZP::CPakLock lock;
    ZP::CPakMgr set;
    if (OpenPakSet(set, lock, args[0], true, wait) != 0) return 1;

    int r;
    uint64_t total = 0, done = 0;
    for (uint64_t size : scan.Sizes())
        total += size;
    CProgressLine progress;
    int failures = 0;
    for (size_t i = 0; i < scan.Count(); ++i)
    {
        const std::wstring& name = scan.Paths()[i];
        if (scan.Sizes()[i] > 0xFFFFFFFFULL || !ZP::CFileInfo::FitsName(name))
        {
            // A cut name would file this file under another one's name.
            Warn(name, scan.Sizes()[i] > 0xFFFFFFFFULL ? ZP::kErrorFileSize : ZP::kErrorNameTooLong);
            ++failures;
            continue;
        }
        ZP::CFile source;
        std::wstring full = ZP::JoinPath(ZP::RemoveTrailingSeparator(ZP::BackslashToSlash(folder)), name);
        if ((r = source.Open(full.c_str(), ZP::kModeRead, 0)) != 1)
        {
            Warn(name, r);
            ++failures;
            continue;
        }
        ZP::CFileInfo record;
        record.SetName(name);
        record.base.Loc = ZP::kLocPak;
        record.base.size = record.base.OrgSize = static_cast<uint32_t>(scan.Sizes()[i]);
        record.base.FileTime = static_cast<uint32_t>(scan.LastWriteTimes()[i]);
        record.base.zip = scan.Sizes()[i] > 0 ? method : ZP::kZipNone;
        record.FillDateTimeIfEmpty();
        if (record.base.size == 0)
        {
            // Nothing to store: an empty file is remembered by its record alone.
            r = set.VolumeAt(0)->AddRecord(new ZP::CFileInfo(record), true) ? 1 : ZP::kErrorNoRecord;
        }
        else
            r = set.AddFile(&source, &record, false);
        if (r != 1)
        {
            Warn(name, r);
            ++failures;
        }
        done += scan.Sizes()[i];
        progress.Update(done, total);
    }
    progress.Finish();
    set.CloseAll();
    return failures ? 1 : 0;
}

int CmdLs(const Args& arguments)
{
    Args args = arguments;
    const bool wait = TakeWaitFlag(args);
    if (args.size() != 1) return 2;
    ZP::CPakLock lock;
    ZP::CPakMgr set;
    if (OpenPakSet(set, lock, args[0], false, wait) != 0) return 1;
    std::printf("Name\tVolume\tFilePos\tsize\tOrgSize\tzip\tenc\tdeleted\tLoc\tOrgCrc\n");
    for (const ZP::CFileInfo* rec : set.MergedIndex())
    {
        const ZP::sFileInfoBase& b = rec->base;
        std::printf("%s\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%08x\n", PrintableName(rec->Name()).c_str(),
                    rec->Volume, b.FilePos, b.size, b.OrgSize, b.zip, b.enc, b.deleted, b.Loc, b.OrgCrc);
    }
    // What could be read is listed; a set that could not be read in full is still a failure.
    return ReportDamage(set) ? PrintError(ZP::kErrorPakBroken) : 0;
}

namespace
{
std::wstring g_extracting;
void OnExtractFile(const wchar_t* name)
{
    g_extracting = name ? name : L"";
}
} // namespace

int CmdExtract(const Args& arguments)
{
    Args args = arguments;
    const bool wait = TakeWaitFlag(args);
    if (args.size() != 2) return 2;
    ZP::CPakLock lock;
    {
        // A set that cannot be read in full is not extracted in part.
        ZP::CPakMgr set;
        if (OpenPakSet(set, lock, args[0], false, wait) != 0) return 1;
        if (ReportDamage(set)) return PrintError(ZP::kErrorPakBroken);
    }
    CProgressLine progress("bytes of the current file");
    ZP::sNotifyHooks& hooks = ZP::GetNotifyHooks();
    hooks.extractFileBegin = OnExtractFile;
    g_extracting.clear();
    ZP::CPakMgr set;
    int r = set.Unpack(Wide(args[0]), Wide(args[1]));
    hooks.extractFileBegin = nullptr;
    if (r == 1) return 0;
    progress.Finish();
    r = r == 0 ? ZP::kErrorUnpack : r;
    if (!g_extracting.empty())
    {
        Warn(g_extracting, r);
        return 1;
    }
    return PrintError(r);
}

int CmdCompact(const Args& arguments)
{
    Args args = arguments;
    const bool wait = TakeWaitFlag(args);
    if (args.size() != 1) return 2;
    ZP::CPakLock lock;
    ZP::CPakMgr set;
    if (OpenPakSet(set, lock, args[0], true, wait) != 0) return 1;
    return set.CompactAll(true) ? 0 : PrintError(ZP::kErrorStopped);
}

int CmdRm(const Args& arguments)
{
    Args args = arguments;
    const bool wait = TakeWaitFlag(args);
    if (args.size() < 2) return 2;
    ZP::CPakLock lock;
    ZP::CPakMgr set;
    if (OpenPakSet(set, lock, args[0], true, wait) != 0) return 1;
    int missing = 0;
    for (size_t i = 1; i < args.size(); ++i)
    {
        std::wstring name = Wide(args[i]);
        ZP::CFileInfo* record = set.FindByPathAll(name);
        ZP::CPak* volume = record ? set.VolumeAt(record->Volume) : nullptr;
        if (!volume)
        {
            Warn(name, ZP::kErrorFileSearch);
            ++missing;
            continue;
        }
        volume->DeleteRecord(ZP::DefaultFolder(L""), record);
    }
    set.CloseAll();
    return missing ? 1 : 0;
}

} // namespace zpak_cli
