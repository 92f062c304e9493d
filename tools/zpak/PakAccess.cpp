#include "tools/zpak/PakAccess.h"

#include "platform/text/TextCodec.h"
#include "tools/zpak/Printable.h"
#include "zpak/message/ResultCodes.h"

#include <algorithm>
#include <cstdio>

namespace zpak_cli
{
namespace
{
void Explain(const ZP::CPak& pak)
{
    const ZP::sPakDamage& d = pak.Damage();
    const std::string path = PrintableName(pak.Path());
    if (d.notAPak) std::fprintf(stderr, "zpak: %s: no pak header\n", path.c_str());
    if (d.tableUnreadable)
        std::fprintf(stderr, "zpak: %s: the info table cannot be read to its end\n", path.c_str());
    if (d.dropped)
        std::fprintf(stderr, "zpak: %s: %u record(s) unreadable or with data past the end of the file\n",
                     path.c_str(), d.dropped);
    if (d.overlapping)
        std::fprintf(stderr, "zpak: %s: %u record(s) whose data overlap\n", path.c_str(), d.overlapping);
}
} // namespace

bool TakeWaitFlag(Args& args)
{
    auto end = std::remove(args.begin(), args.end(), std::string("--wait"));
    bool found = end != args.end();
    args.erase(end, args.end());
    return found;
}

int OpenPakSet(ZP::CPakMgr& set, ZP::CPakLock& lock, const std::string& pak, bool write, bool wait)
{
    std::wstring path = platform::text::Utf8ToWide(pak);
    int r = lock.Acquire({ZP::CPakLock::FolderOfPak(path)}, write, wait);
    if (r == ZP::kErrorPakLocked)
        std::fprintf(stderr, "zpak: %s is in use by another run (try --wait)\n", pak.c_str());
    if (r != 1) return PrintError(r);
    r = set.OpenSet(path, write, false);
    if (r == ZP::kErrorPakBroken)
    {
        // The set was closed again: open it for reading only to say what is wrong.
        ZP::CPakMgr look;
        if (look.OpenSet(path, false) == 1) ReportDamage(look);
        std::fprintf(stderr, "zpak: %s: damaged, left as it is (a patch run rebuilds it)\n", pak.c_str());
    }
    return r == 1 ? 0 : PrintError(r);
}

int ReportDamage(const ZP::CPakMgr& set)
{
    int problems = 0;
    for (size_t v = 0; const ZP::CPak* pak = set.VolumeAt(v); ++v)
        if (pak->Damage().Any())
        {
            Explain(*pak);
            ++problems;
        }
    return problems;
}

} // namespace zpak_cli
