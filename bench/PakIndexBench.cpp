// Opening a pak set of 100,000 records over several volumes, and looking every name up once.
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/file/File.h"
#include "zpak/pak/PakMgr.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr int kRecords = 100000;

std::wstring NameOf(int i)
{
    return ZP::FormatWide(255, L"KVGame/CookedPC/Dir%03d/File%06d.upk", i % 997, i);
}

const std::wstring& SetPath()
{
    static std::wstring path = []
    {
        const char* tmp = std::getenv("TMPDIR");
        std::wstring folder =
            platform::text::Utf8ToWide(std::string(tmp && *tmp ? tmp : "/tmp")) + L"/velmora-bench-index";
        std::wstring main = folder + L"/res.pak";
        std::wstring done = folder + L"/complete";
        if (ZP::FileExists(done)) return main;
        ZP::RemoveFolderTree(folder, true);
        ZP::CreateFolderTree(folder);
        std::wstring source = folder + L"/one.bin";
        ZP::WriteWholeFile(source, "x");
        ZP::CPakMgr set;
        set.OpenSet(main, true);
        for (int i = 0; i < kRecords; ++i)
        {
            ZP::CFile file;
            file.Open(source.c_str(), ZP::kModeRead, 0);
            ZP::CFileInfo record;
            record.SetName(NameOf(i));
            record.base.Loc = ZP::kLocPak;
            record.base.size = record.base.OrgSize = 1;
            record.base.FileTime = 1700000000 + i;
            record.FillDateTimeIfEmpty();
            if (set.AddFile(&file, &record, false) != 1) std::abort();
        }
        set.CloseAll();
        ZP::WriteWholeFile(done, "");
        return main;
    }();
    return path;
}

void BM_OpenSet100k(benchmark::State& state)
{
    const std::wstring& path = SetPath();
    size_t volumes = 0, records = 0;
    for (auto _ : state)
    {
        ZP::CPakMgr set;
        if (set.OpenSet(path, false) != 1) state.SkipWithError("open failed");
        volumes = set.VolumeCount();
        records = set.CountAll();
    }
    state.counters["volumes"] = static_cast<double>(volumes);
    state.counters["records"] = static_cast<double>(records);
}

void BM_Lookup100k(benchmark::State& state)
{
    ZP::CPakMgr set;
    set.OpenSet(SetPath(), false);
    std::vector<std::wstring> names;
    names.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i)
        names.push_back(NameOf(i));
    for (auto _ : state)
    {
        int found = 0;
        for (const std::wstring& n : names)
            found += set.FindByPathAll(n) != nullptr;
        if (found != kRecords) state.SkipWithError("a name was not found");
    }
}
} // namespace

BENCHMARK(BM_OpenSet100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Lookup100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
