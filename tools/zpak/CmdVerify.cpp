// "verify": reads back every live packed record of a pak set and names the damaged ones. The
// launcher's verification pass would add them to its repair list; the tool only reports.
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/Progress.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/pak/PakMgr.h"
#include "zpak/repair/PakRepairUtil.h"

#include <cstdio>

namespace zpak_cli
{
namespace
{
bool IsLivePacked(const ZP::CFileInfo* r) { return r && r->base.Loc == ZP::kLocPak && r->base.deleted != 1; }

// A tab or line break inside a stored name must not split or fake a report line.
std::string PrintableName(const std::wstring& name)
{
    std::string text = platform::text::WideToUtf8(name);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}
} // namespace

int CmdVerify(const Args& args)
{
    if (args.size() != 1)
        return 2;
    ZP::CPakMgr set;
    int r = set.OpenSet(platform::text::Utf8ToWide(args[0]), false);
    if (r != 1)
        return PrintError(r);

    uint64_t total = 0, done = 0;
    for (const ZP::CFileInfo* rec : set.MergedIndex())
        if (IsLivePacked(rec))
            total += rec->base.size;
    CProgressLine progress;
    int damaged = 0;
    for (const ZP::CFileInfo* rec : set.MergedIndex())
    {
        ZP::CPak* volume = IsLivePacked(rec) ? set.VolumeAt(rec->Volume) : nullptr;
        if (!volume)
            continue;
        int code = ZP::CPakRepairUtil::VerifyRecord(*volume, *rec, false);
        if (code != 1)
        {
            progress.Finish();
            std::printf("%s\t%d\t%s\n", PrintableName(rec->Name()).c_str(), code,
                        platform::text::WideToUtf8(ZP::GetMessageText(code)).c_str());
            std::fflush(stdout);
            ++damaged;
        }
        done += rec->base.size;
        progress.Update(done, total);
    }
    progress.Finish();
    return damaged ? 1 : 0;
}

} // namespace zpak_cli
