// CopyPlain between two local files, beside cp of the same file, in the same run.
#include "platform/text/TextCodec.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t kFileBytes = 256u << 20;

const std::string& Folder()
{
    static std::string folder = []
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string f = std::string(tmp && *tmp ? tmp : "/tmp") + "/velmora-bench-copy";
        std::string cmd = "mkdir -p " + f;
        if (std::system(cmd.c_str()) != 0) std::abort();
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 2654435761u >> 13);
        FILE* out = std::fopen((f + "/source.bin").c_str(), "wb");
        for (uint32_t i = 0; i < (kFileBytes >> 20); ++i)
            std::fwrite(block.data(), 1, block.size(), out);
        std::fclose(out);
        return f;
    }();
    return folder;
}

void BM_CopyPlain(benchmark::State& state)
{
    std::wstring source = platform::text::Utf8ToWide(Folder() + "/source.bin");
    std::wstring target = platform::text::Utf8ToWide(Folder() + "/ours.bin");
    for (auto _ : state)
    {
        ZP::CFile in, out;
        in.Open(source.c_str(), ZP::kModeRead, 0);
        out.Open(target.c_str(), ZP::kModeCreate, 0);
        ZP::CFileInfo record;
        if (ZP::CFileInfoUtil::CopyPlain(&in, &out, kFileBytes, &record) != kFileBytes)
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileBytes);
}

void BM_CpCommand(benchmark::State& state)
{
    std::string cmd = "cp " + Folder() + "/source.bin " + Folder() + "/theirs.bin";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileBytes);
}
} // namespace

BENCHMARK(BM_CopyPlain)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CpCommand)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
