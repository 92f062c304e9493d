// The compression registry's zlib and LZMA entry points, each beside a direct call of the library on
// the same data in the same run. Both sides allocate a fresh output per call, as every one-shot user
// must; the difference is our argument checks, bounds and prefix handling.
#include "zpak/codec/Lzma.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/file/FileBase.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <lzma/LzmaDec.h>
#include <lzma/LzmaEnc.h>
#include <memory>
#include <string>
#include <zlib.h>

namespace
{
// Log-like text lines with random blocks between them (about a quarter of the bytes): compresses to
// roughly a third, so both the matcher and the literal coder get work.
std::string MakeData(size_t size)
{
    const char* words[] = {"[2026-12-11 12:00:00] ",
                           "patch ",
                           "volume ",
                           "record ",
                           "Datas/",
                           "map_",
                           ".pak ",
                           "ok\r\n",
                           "CRC2 ",
                           "size=",
                           "0123 ",
                           "launcher "};
    uint64_t x = 0x9E3779B97F4A7C15ULL;
    auto next = [&x]
    {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x;
    };
    std::string s;
    s.reserve(size + 4096);
    while (s.size() < size)
    {
        if (next() % 4 == 0)
            for (int i = 0; i < 512; ++i)
                s.push_back(static_cast<char>(next()));
        else
            for (int i = 0; i < 64; ++i)
                s += words[next() % 12];
    }
    s.resize(size);
    return s;
}

// zlib runs on 8 MiB. LZMA is slower by an order of magnitude (about 2 MB/s encoding at level 5, 40 MB/s
// decoding on this data), so it decodes 4 MiB and encodes 1 MiB of the same data to keep its runs short.
const std::string& Data()
{
    static const std::string data = MakeData(8u << 20);
    return data;
}

const std::string& LzmaDecodeData()
{
    static const std::string data = Data().substr(0, 4u << 20);
    return data;
}

const std::string& LzmaEncodeData()
{
    static const std::string data = Data().substr(0, 1u << 20);
    return data;
}

std::string Packed(int method, const std::string& data)
{
    char* out = nullptr;
    uint32_t length = 0;
    if (!ZP::Compress(method, &out, &length, data.data(), static_cast<uint32_t>(data.size()))) std::abort();
    std::string s(out, length);
    ZP::FreeBuffer(out);
    return s;
}

const std::string& PackedZlib()
{
    static const std::string s = Packed(ZP::kZipZlib, Data());
    return s;
}

const std::string& PackedLzma()
{
    static const std::string s = Packed(ZP::kZipLzma, LzmaDecodeData());
    return s;
}

void* SdkAlloc(void*, size_t size)
{
    return size ? std::malloc(size) : nullptr;
}
void SdkFree(void*, void* address)
{
    std::free(address);
}
ISzAlloc g_alloc = {SdkAlloc, SdkFree};

void SetBytes(benchmark::State& state, size_t size)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void BM_ZpakZlibCompress(benchmark::State& state)
{
    const std::string& d = Data();
    for (auto _ : state)
    {
        char* out = nullptr;
        uint32_t length = 0;
        if (!ZP::Compress(ZP::kZipZlib, &out, &length, d.data(), static_cast<uint32_t>(d.size())))
            state.SkipWithError("compress failed");
        benchmark::DoNotOptimize(out);
        ZP::FreeBuffer(out);
    }
    SetBytes(state, d.size());
}

void BM_DirectZlibCompress(benchmark::State& state)
{
    const std::string& d = Data();
    for (auto _ : state)
    {
        uLongf length = compressBound(d.size());
        std::unique_ptr<Bytef[]> out(new Bytef[length]);
        if (compress2(out.get(), &length, reinterpret_cast<const Bytef*>(d.data()), d.size(), 9) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(out.get());
    }
    SetBytes(state, d.size());
}

void BM_ZpakZlibDecompress(benchmark::State& state)
{
    const std::string& d = Data();
    const std::string& packed = PackedZlib();
    for (auto _ : state)
    {
        char* out = nullptr;
        if (!ZP::Decompress(ZP::kZipZlib, &out, static_cast<uint32_t>(d.size()), packed.data(),
                            static_cast<uint32_t>(packed.size())))
            state.SkipWithError("decompress failed");
        benchmark::DoNotOptimize(out);
        ZP::FreeBuffer(out);
    }
    SetBytes(state, d.size());
}

void BM_DirectZlibDecompress(benchmark::State& state)
{
    const std::string& d = Data();
    const std::string& packed = PackedZlib();
    for (auto _ : state)
    {
        uLongf length = d.size();
        std::unique_ptr<Bytef[]> out(new Bytef[length]);
        if (uncompress(out.get(), &length, reinterpret_cast<const Bytef*>(packed.data()), packed.size()) !=
            Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(out.get());
    }
    SetBytes(state, d.size());
}

void BM_ZpakLzmaCompress(benchmark::State& state)
{
    const std::string& d = LzmaEncodeData();
    for (auto _ : state)
    {
        char* out = nullptr;
        uint32_t length = 0;
        if (!ZP::Compress(ZP::kZipLzma, &out, &length, d.data(), static_cast<uint32_t>(d.size())))
            state.SkipWithError("compress failed");
        benchmark::DoNotOptimize(out);
        ZP::FreeBuffer(out);
    }
    SetBytes(state, d.size());
}

void BM_DirectLzmaCompress(benchmark::State& state)
{
    const std::string& d = LzmaEncodeData();
    for (auto _ : state)
    {
        CLzmaEncProps props;
        LzmaEncProps_Init(&props);
        props.level = 5;
        props.dictSize = 1u << 24;
        SizeT length = d.size() * 10 / 9 + 65536;
        std::unique_ptr<Byte[]> out(new Byte[length + LZMA_PROPS_SIZE]);
        SizeT propsSize = LZMA_PROPS_SIZE;
        if (LzmaEncode(out.get() + LZMA_PROPS_SIZE, &length, reinterpret_cast<const Byte*>(d.data()),
                       d.size(), &props, out.get(), &propsSize, 0, nullptr, &g_alloc, &g_alloc) != SZ_OK)
            state.SkipWithError("LzmaEncode failed");
        benchmark::DoNotOptimize(out.get());
    }
    SetBytes(state, d.size());
}

void BM_ZpakLzmaDecompress(benchmark::State& state)
{
    const std::string& d = LzmaDecodeData();
    const std::string& packed = PackedLzma();
    for (auto _ : state)
    {
        char* out = nullptr;
        if (!ZP::Decompress(ZP::kZipLzma, &out, static_cast<uint32_t>(d.size()), packed.data(),
                            static_cast<uint32_t>(packed.size())))
            state.SkipWithError("decompress failed");
        benchmark::DoNotOptimize(out);
        ZP::FreeBuffer(out);
    }
    SetBytes(state, d.size());
}

void BM_DirectLzmaDecompress(benchmark::State& state)
{
    const std::string& d = LzmaDecodeData();
    const std::string& packed = PackedLzma();
    for (auto _ : state)
    {
        SizeT length = d.size();
        SizeT streamLength = packed.size() - LZMA_PROPS_SIZE;
        std::unique_ptr<Byte[]> out(new Byte[length]);
        ELzmaStatus status;
        const Byte* p = reinterpret_cast<const Byte*>(packed.data());
        if (LzmaDecode(out.get(), &length, p + LZMA_PROPS_SIZE, &streamLength, p, LZMA_PROPS_SIZE,
                       LZMA_FINISH_ANY, &status, &g_alloc) != SZ_OK)
            state.SkipWithError("LzmaDecode failed");
        benchmark::DoNotOptimize(out.get());
    }
    SetBytes(state, d.size());
}
} // namespace

// The compressing runs take about a second (zlib) and half a second (LZMA) per call: one call per
// repetition is a stable sample and keeps the whole codec set near half a minute.
BENCHMARK(BM_ZpakZlibCompress)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DirectZlibCompress)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ZpakZlibDecompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectZlibDecompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZpakLzmaCompress)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DirectLzmaCompress)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ZpakLzmaDecompress)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DirectLzmaDecompress)->Unit(benchmark::kMillisecond)->Iterations(3);
