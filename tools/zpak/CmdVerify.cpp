// "verify": reads back every live packed record of a pak set, names the damaged ones, and puts them
// on the game folder's repair list, so that the next patch run downloads them again.
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/PakAccess.h"
#include "tools/zpak/Printable.h"
#include "tools/zpak/Progress.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/repair/PakRepair.h"
#include "zpak/repair/PakRepairUtil.h"

#include <cstdio>

namespace zpak_cli
{
namespace
{
bool IsLivePacked(const ZP::CFileInfo* r)
{
    return r && r->base.Loc == ZP::kLocPak && r->base.deleted != 1;
}

void PrintFinding(const std::wstring& name, int code)
{
    std::printf("%s\t%d\t%s\n", PrintableName(name).c_str(), code,
                platform::text::WideToUtf8(ZP::GetMessageText(code)).c_str());
    std::fflush(stdout);
}
} // namespace

int CmdVerify(const Args& arguments)
{
    Args args = arguments;
    const bool wait = TakeWaitFlag(args);
    std::wstring game;
    if (args.size() == 3 && args[1] == "--game")
        game = platform::text::Utf8ToWide(args[2]);
    else if (args.size() != 1)
        return 2;
    ZP::CPakLock lock;
    ZP::CPakMgr set;
    if (OpenPakSet(set, lock, args[0], false, wait) != 0) return 1;
    // The patcher looks for the list in the game folder, which holds the pak unless told otherwise.
    if (game.empty()) game = ZP::CPakLock::FolderOfPak(platform::text::Utf8ToWide(args[0]));
    ZP::CPakRepairUtil repair; // points the list at "_tmp": the game folder is set after it
    ZP::CPakRepair::Get().SetFolder(0, ZP::BackslashToSlash(ZP::JoinPath(game, L"_tmp")));

    int damaged = 0;
    auto found = [&damaged](const ZP::CFileInfo& record, int code)
    {
        PrintFinding(record.Name(), code);
        ZP::AppendToRepairList(&record, code);
        ++damaged;
    };
    // What the open had to leave out is damage too: the set cannot be read in full.
    int volumeDamage = ReportDamage(set);
    for (size_t v = 0; const ZP::CPak* pak = set.VolumeAt(v); ++v)
    {
        const ZP::sPakDamage& d = pak->Damage();
        if (d.notAPak || d.tableUnreadable || d.dropped > pak->LeftOut().Count())
            PrintFinding(pak->Path(), ZP::kErrorPakBroken);
        for (const ZP::CFileInfo* rec : pak->LeftOut())
            found(*rec, ZP::kErrorPakBroken);
    }

    uint64_t total = 0, done = 0;
    for (const ZP::CFileInfo* rec : set.MergedIndex())
        if (IsLivePacked(rec)) total += rec->base.size;
    CProgressLine progress;
    for (const ZP::CFileInfo* rec : set.MergedIndex())
    {
        ZP::CPak* volume = IsLivePacked(rec) ? set.VolumeAt(rec->Volume) : nullptr;
        if (!volume) continue;
        int code = ZP::CPakRepairUtil::VerifyRecord(*volume, *rec, false);
        if (code != 1)
        {
            progress.Finish();
            found(*rec, code);
        }
        done += rec->base.size;
        progress.Update(done, total);
    }
    progress.Finish();
    if (damaged)
        std::fprintf(
            stderr, "zpak: %d damaged file(s) put on the repair list %s: the next patch fetches them again\n",
            damaged, PrintableName(ZP::CPakRepair::Get().Path()).c_str());
    return damaged || volumeDamage ? 1 : 0;
}

} // namespace zpak_cli
