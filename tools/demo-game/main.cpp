// demo-game: a small game client for the demo and the tests. It writes down how it was started (its
// arguments and working folder), checks the pak sets in its own folder with the pak library, says
// what it found and exits: 0 when every pak set read back intact (or there is none), 1 otherwise.
//
// The record goes to the file named by VELMORA_DEMO_GAME_RECORD, else to "demo-game.record" beside
// the program. It is UTF-8, one item per line: "cwd\t<folder>", then "arg\t<argument>" for each
// argument in order.
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/info/FileInfo.h"
#include "zpak/pak/PakLock.h"
#include "zpak/pak/PakMgr.h"
#include "zpak/repair/PakRepairUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr const char* kRecordVariable = "VELMORA_DEMO_GAME_RECORD";
constexpr const wchar_t* kRecordName = L"demo-game.record";

std::string Utf8(const std::wstring& text)
{
    return platform::text::WideToUtf8(text);
}

bool WriteRecord(const std::wstring& folder, const std::wstring& workingFolder, int argc, char** argv)
{
    std::string text = "cwd\t" + Utf8(workingFolder) + "\n";
    for (int i = 1; i < argc; ++i)
        text += std::string("arg\t") + argv[i] + "\n";
    const char* named = std::getenv(kRecordVariable);
    std::wstring path =
        named && *named ? platform::text::Utf8ToWide(named) : ZP::JoinPath(folder, kRecordName);
    return ZP::WriteWholeFile(path, text);
}

bool IsMainPak(const std::wstring& name)
{
    return name.size() > 4 && ZP::CompareNoCase(ZP::GetExtension(name), L".pak") == 0;
}

// Reads back every live packed record of the set; the number of damaged ones, -1 when it cannot be
// opened.
int CheckPakSet(const std::wstring& path, size_t& files)
{
    ZP::CPakLock lock;
    if (lock.Acquire({ZP::CPakLock::FolderOfPak(path)}, false, true) != 1) return -1;
    ZP::CPakMgr set;
    if (set.OpenSet(path, false, false) != 1) return -1;
    int damaged = 0;
    files = 0;
    // What the open had to leave out is damage too: the set cannot be read in full.
    for (size_t v = 0; const ZP::CPak* pak = set.VolumeAt(v); ++v)
    {
        const ZP::sPakDamage& d = pak->Damage();
        if (d.Any()) damaged += std::max<int>(1, static_cast<int>(d.dropped + d.overlapping));
    }
    for (const ZP::CFileInfo* record : set.MergedIndex())
    {
        if (!record || record->base.Loc != ZP::kLocPak || record->base.deleted == 1) continue;
        ++files;
        ZP::CPak* volume = set.VolumeAt(record->Volume);
        if (!volume || ZP::CPakRepairUtil::VerifyRecord(*volume, *record, false) != 1) ++damaged;
    }
    return damaged;
}
} // namespace

int main(int argc, char** argv)
{
    const std::wstring folder = ZP::GetFolderPart(platform::fs::ExecutablePath());
    const std::wstring workingFolder = platform::fs::CurrentDirectory();
    std::printf("demo-game: started in %s with %d argument(s)\n", Utf8(workingFolder).c_str(), argc - 1);
    for (int i = 1; i < argc; ++i)
        std::printf("demo-game: argument %d: %s\n", i, argv[i]);
    if (!WriteRecord(folder, workingFolder, argc, argv))
        std::fprintf(stderr, "demo-game: cannot write the record of this start\n");

    std::vector<platform::fs::sDirEntry> entries;
    platform::fs::ListDirectory(folder, entries);
    int status = 0;
    int sets = 0;
    for (const platform::fs::sDirEntry& entry : entries)
    {
        if (!IsMainPak(entry.name)) continue;
        ++sets;
        size_t files = 0;
        int damaged = CheckPakSet(ZP::JoinPath(folder, entry.name), files);
        if (damaged < 0)
        {
            std::printf("demo-game: pak set %s cannot be opened\n", Utf8(entry.name).c_str());
            status = 1;
        }
        else
        {
            std::printf("demo-game: pak set %s: %zu file(s), %d damaged\n", Utf8(entry.name).c_str(), files,
                        damaged);
            if (damaged > 0) status = 1;
        }
    }
    if (sets == 0) std::printf("demo-game: no pak set in %s\n", Utf8(folder).c_str());
    return status;
}
