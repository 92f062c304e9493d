// CRC-32 plus byte sum of a 256 MiB buffer, beside zlib's CRC-32 alone over the same buffer.
#include "zpak/crc/Crc32.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>
#include <zlib.h>

namespace
{
const std::vector<unsigned char>& Buffer()
{
    static std::vector<unsigned char> buffer = []
    {
        std::vector<unsigned char> b(256u << 20);
        uint64_t x = 0x9E3779B97F4A7C15ULL;
        for (auto& c : b)
        {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            c = static_cast<unsigned char>(x);
        }
        return b;
    }();
    return buffer;
}

void BM_CrcAndSum(benchmark::State& state)
{
    const auto& b = Buffer();
    ZP::CCrc32& crc = ZP::CCrc32::Get();
    for (auto _ : state)
    {
        int32_t sum = 0;
        benchmark::DoNotOptimize(crc.Update(b.data(), b.size(), 0, &sum));
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}

void BM_ZlibCrc(benchmark::State& state)
{
    const auto& b = Buffer();
    for (auto _ : state)
    {
        uLong c = crc32(0L, Z_NULL, 0);
        const unsigned char* p = b.data();
        size_t left = b.size();
        while (left > 0)
        {
            uInt n = left > (1u << 30) ? (1u << 30) : static_cast<uInt>(left);
            c = crc32(c, p, n);
            p += n;
            left -= n;
        }
        benchmark::DoNotOptimize(c);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}
} // namespace

BENCHMARK(BM_CrcAndSum)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ZlibCrc)->Unit(benchmark::kMillisecond)->MinTime(1.0);
