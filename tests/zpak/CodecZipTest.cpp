// Compression registry: round trips, the stream layouts other tools read, and hostile streams.
#include "tests/support/CodecOutput.h"
#include "tests/support/TempDir.h"
#include "zpak/codec/Lzma.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/codec/Zlib.h"
#include "zpak/file/FileBase.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <random>
#include <string>

// AllocBuffer takes its memory from the nothrow array new; recording the largest request shows
// whether a hostile expected length got as far as an allocation. Behaves exactly as the standard
// version otherwise (so it pairs with the ordinary delete[]).
namespace
{
std::atomic<size_t> g_largestNothrowArray{0};
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    size_t seen = g_largestNothrowArray.load();
    while (size > seen && !g_largestNothrowArray.compare_exchange_weak(seen, size))
    {
    }
    try
    {
        return ::operator new[](size);
    }
    catch (...)
    {
        return nullptr;
    }
}

namespace
{
using sOutput = testsupport::sCodecOutput;

// Text-like lines interleaved with random blocks: compressible but not trivially so.
std::string MixedData(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    const char* words[] = {"pak ", "volume ", "record ", "patch ", "launcher ", "\r\n", "0x5D ", "data/"};
    std::string s;
    while (s.size() < size)
    {
        if (rng() % 4 == 0)
            for (int i = 0; i < 300; ++i)
                s.push_back(static_cast<char>(rng()));
        else
            for (int i = 0; i < 40; ++i)
                s += words[rng() % 8];
    }
    s.resize(size);
    return s;
}

std::string CompressOrDie(int method, const std::string& input)
{
    sOutput out;
    EXPECT_TRUE(
        ZP::Compress(method, &out.data, &out.length, input.data(), static_cast<uint32_t>(input.size())));
    return out.data ? out.Str(out.length) : std::string();
}

bool DecompressTo(int method, uint32_t expected, const std::string& input, std::string* result = nullptr)
{
    sOutput out;
    bool ok = ZP::Decompress(method, &out.data, expected, input.data(), static_cast<uint32_t>(input.size()));
    EXPECT_EQ(ok, out.data != nullptr) << "failure must leave no output";
    if (ok && result) *result = out.Str(expected);
    return ok;
}
} // namespace

TEST(CodecZip, UnknownMethodsAndUsedOutputSlotsFail)
{
    const std::string data = MixedData(1000, 1);
    for (int method : {-1, 0, 3, 100})
    {
        sOutput out;
        EXPECT_FALSE(ZP::Compress(method, &out.data, &out.length, data.data(), 1000)) << method;
        EXPECT_FALSE(ZP::Decompress(method, &out.data, 1000, data.data(), 1000)) << method;
        EXPECT_EQ(out.data, nullptr);
    }
    for (int method : {1, 2})
    {
        char keep = 0;
        char* used = &keep;
        uint32_t length = 0;
        EXPECT_FALSE(ZP::Compress(method, &used, &length, data.data(), 1000)) << method;
        const std::string stream = CompressOrDie(method, data);
        EXPECT_FALSE(
            ZP::Decompress(method, &used, 1000, stream.data(), static_cast<uint32_t>(stream.size())));
        EXPECT_EQ(used, &keep) << "a filled slot is left alone";
        EXPECT_FALSE(ZP::Compress(method, nullptr, &length, data.data(), 1000));
    }
}

TEST(CodecZip, RoundTripsWithPrefixCopiedUnchanged)
{
    const std::string cases[] = {std::string(), std::string(1, 'x'), MixedData(100, 2), MixedData(300000, 3),
                                 std::string(70000, '\0')};
    for (int method : {ZP::kZipZlib, ZP::kZipLzma})
        for (uint32_t prefix : {0u, 3u})
            for (const std::string& body : cases)
            {
                const std::string input = std::string("\x01\x02\x03", prefix) + body;
                const uint32_t n = static_cast<uint32_t>(input.size());
                sOutput packed;
                ASSERT_TRUE(ZP::Compress(method, &packed.data, &packed.length, input.data(), n, prefix))
                    << "method " << method << " size " << body.size();
                EXPECT_EQ(packed.Str(prefix), input.substr(0, prefix));
                sOutput plain;
                ASSERT_TRUE(ZP::Decompress(method, &plain.data, n, packed.data, packed.length, prefix))
                    << "method " << method << " size " << body.size();
                EXPECT_TRUE(plain.Str(n) == input) << "method " << method << " size " << body.size();
            }
}

TEST(CodecZip, LzmaStreamStartsWithPropertiesAndDictionary)
{
    const std::string stream = CompressOrDie(ZP::kZipLzma, MixedData(5000, 4));
    ASSERT_GE(stream.size(), 5u);
    EXPECT_EQ(stream.substr(0, 5), std::string("\x5D\x00\x00\x00\x01", 5));
}

// The zlib streams are plain RFC 1950 streams: the system's zlib (through python3) reads ours and
// we read its level-9 output.
TEST(CodecZip, ZlibStreamsInteroperateWithSystemZlib)
{
    testsupport::TempDir dir;
    const std::string data = MixedData(200000, 5);
    dir.WriteFile(L"ours.z", CompressOrDie(ZP::kZipZlib, data));
    dir.WriteFile(L"plain", data);
    const std::string script = "import sys,zlib; r=lambda p: open(p,'rb').read(); "
                               "open(sys.argv[3],'wb').write(zlib.decompress(r(sys.argv[1]))); "
                               "open(sys.argv[4],'wb').write(zlib.compress(r(sys.argv[2]), 9))";
    const std::string folder = dir.NativePath();
    std::string err;
    ASSERT_EQ(testsupport::RunCommand("python3 -c \"" + script + "\" " + folder + "/ours.z " + folder +
                                          "/plain " + folder + "/inflated " + folder + "/theirs.z",
                                      nullptr, &err),
              0)
        << err;
    EXPECT_TRUE(dir.ReadFile(L"inflated") == data);
    std::string back;
    ASSERT_TRUE(
        DecompressTo(ZP::kZipZlib, static_cast<uint32_t>(data.size()), dir.ReadFile(L"theirs.z"), &back));
    EXPECT_TRUE(back == data);
}

TEST(CodecZip, HostileStreamsFailCleanly)
{
    const std::string data = MixedData(50000, 6);
    const uint32_t n = static_cast<uint32_t>(data.size());
    const std::string zlib = CompressOrDie(ZP::kZipZlib, data);
    const std::string lzma = CompressOrDie(ZP::kZipLzma, data);
    auto withByte = [](std::string s, size_t at, char value)
    {
        s[at] = value;
        return s;
    };
    struct sCase
    {
        const char* what;
        int method;
        std::string stream;
        uint32_t expected;
    } cases[] = {
        {"zlib cut in half", 1, zlib.substr(0, zlib.size() / 2), n},
        {"zlib without its checksum", 1, zlib.substr(0, zlib.size() - 4), n},
        {"zlib ends short of the expected length", 1, zlib, n + 1},
        {"zlib goes on past the expected length", 1, zlib, n - 1},
        {"zlib corrupted in the middle", 1, withByte(zlib, zlib.size() / 2, zlib[zlib.size() / 2] ^ 0x55), n},
        {"zlib empty input", 1, std::string(), n},
        {"lzma cut in half", 2, lzma.substr(0, lzma.size() / 2), n},
        {"lzma shorter than its properties", 2, lzma.substr(0, 4), n},
        {"lzma ends short of the expected length", 2, lzma, n + 1},
        {"lzma goes on past the expected length", 2, lzma, n - 1},
        {"lzma property byte beyond lc/lp/pb", 2, withByte(lzma, 0, '\xE1'), n},
        {"lzma dictionary above 2^24", 2, withByte(lzma, 1, '\x01'), n},
        {"lzma dictionary of 4 GiB", 2, withByte(withByte(lzma, 4, '\xFF'), 3, '\xFF'), n},
    };
    for (const sCase& c : cases)
        EXPECT_FALSE(DecompressTo(c.method, c.expected, c.stream)) << c.what;
}

// An expected length no stream of that size can produce is refused before the output is allocated,
// while real streams at the highest ratios each format reaches still decode.
TEST(CodecZip, ExpectedLengthIsBoundedByTheStream)
{
    for (int method : {ZP::kZipZlib, ZP::kZipLzma})
    {
        const std::string stream = CompressOrDie(method, MixedData(2000, 7));
        g_largestNothrowArray = 0;
        EXPECT_FALSE(DecompressTo(method, 3000000000u, stream)) << method;
        EXPECT_LT(g_largestNothrowArray.load(), 1u << 20)
            << "method " << method << " allocated for the claim";
    }
    // A tiny stream claiming gigabytes, as a hostile server would send it.
    const std::string tinyZlib("\x78\xDA\x03\x00\x00\x00\x00\x01", 8);
    g_largestNothrowArray = 0;
    EXPECT_FALSE(DecompressTo(ZP::kZipZlib, 0xFFFFFFFFu, tinyZlib));
    EXPECT_LT(g_largestNothrowArray.load(), 1u << 20);

    const std::string zeros(8u << 20, '\0');
    for (int method : {ZP::kZipZlib, ZP::kZipLzma})
    {
        const std::string stream = CompressOrDie(method, zeros);
        std::string back;
        EXPECT_TRUE(DecompressTo(method, static_cast<uint32_t>(zeros.size()), stream, &back))
            << "method " << method << " ratio " << zeros.size() / stream.size();
        EXPECT_TRUE(back == zeros);
    }
}
