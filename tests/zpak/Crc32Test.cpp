#include "zpak/crc/Crc32.h"
#include "platform/fs/FileSystem.h"
#include "tests/support/TempDir.h"
#include "zpak/common/Stopper.h"
#include "zpak/crc/Crc32Fold.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using ZP::CCrc32;

namespace
{
// The textbook bit-at-a-time definitions, to check the fast paths against.
uint32_t ReferenceCrc(const unsigned char* p, size_t n, uint32_t crc)
{
    crc = ~crc;
    for (size_t i = 0; i < n; ++i)
    {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

int32_t ReferenceSum(const unsigned char* p, size_t n)
{
    uint32_t s = 0;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(p[i])));
    return static_cast<int32_t>(s);
}

uint32_t CrcOf(const std::string& s)
{
    return CCrc32::Get().Update(s.data(), s.size(), 0);
}
} // namespace

TEST(Crc32, KnownAnswers)
{
    int32_t sum = 0;
    EXPECT_EQ(CCrc32::Get().Update("123456789", 9, 0, &sum), 0xCBF43926u);
    EXPECT_EQ(sum, 477);
    sum = 0;
    const unsigned char ff01[] = {0xFF, 0x01};
    CCrc32::Get().Update(ff01, 2, 0, &sum);
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(CCrc32::Get().Update(nullptr, 5, 0x1234u), 0x1234u) << "null data leaves the CRC as it was";
    EXPECT_EQ(CCrc32::Get().Update("", 0, 0), 0u);
}

TEST(Crc32, FastPathsMatchTheDefinitionAtEveryLengthAndAlignment)
{
    std::mt19937 rng(7);
    std::vector<unsigned char> data(300000);
    for (auto& b : data)
        b = static_cast<unsigned char>(rng());
    // Lengths around the vector widths and the poll block, at odd offsets.
    for (size_t len : {size_t(0), size_t(1), size_t(15), size_t(63), size_t(64), size_t(65), size_t(1000),
                       size_t(65535), size_t(65536), size_t(65537), size_t(200003)})
        for (size_t off : {size_t(0), size_t(1), size_t(7)})
        {
            int32_t sum = 0;
            uint32_t crc = CCrc32::Get().Update(data.data() + off, len, 0, &sum);
            EXPECT_EQ(crc, ReferenceCrc(data.data() + off, len, 0)) << len << "@" << off;
            EXPECT_EQ(sum, ReferenceSum(data.data() + off, len)) << len << "@" << off;
        }
    // All 0x80 bytes: the most negative sum per byte.
    std::vector<unsigned char> low(1000, 0x80);
    EXPECT_EQ(static_cast<int32_t>(ZP::AddByteSum(low.data(), low.size(), 0)), -128000);
}

TEST(Crc32, ChainedUpdatesEqualOneUpdate)
{
    std::string text = "The quick brown fox jumps over the lazy dog";
    int32_t sumWhole = 0, sumParts = 0;
    uint32_t whole = CCrc32::Get().Update(text.data(), text.size(), 0, &sumWhole);
    uint32_t part = CCrc32::Get().Update(text.data(), 10, 0, &sumParts);
    part = CCrc32::Get().Update(text.data() + 10, text.size() - 10, part, &sumParts);
    EXPECT_EQ(part, whole);
    EXPECT_EQ(sumParts, sumWhole);
}

TEST(Crc32, RaisedStopFlagGivesZero)
{
    std::vector<unsigned char> data(1 << 20, 0x5A);
    ZP::CStopper::SetStopRequested(true);
    uint32_t crc = CCrc32::Get().Update(data.data(), data.size(), 0);
    ZP::CStopper::SetStopRequested(false);
    EXPECT_EQ(crc, 0u);
    EXPECT_NE(CCrc32::Get().Update(data.data(), data.size(), 0), 0u);
}

TEST(Crc32, FileAndStreamRanges)
{
    testsupport::TempDir dir;
    std::string content(100000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 31);
    std::wstring path = dir.WriteFile(L"data.bin", content);

    int32_t sum = 0;
    EXPECT_EQ(CCrc32::Get().UpdateFile(path, 0, 0, &sum), CrcOf(content));
    EXPECT_EQ(sum, ReferenceSum(reinterpret_cast<const unsigned char*>(content.data()), content.size()));
    EXPECT_EQ(CCrc32::Get().UpdateFile(path, 40000, 0), CrcOf(content.substr(40000)));
    EXPECT_EQ(CCrc32::Get().UpdateFile(path, 1000, 50000), CrcOf(content.substr(1000, 50000)));
    EXPECT_EQ(CCrc32::Get().UpdateFile(path, 99000, 5000), 0u) << "a range past the end fails";
    EXPECT_EQ(CCrc32::Get().UpdateFile(dir.Join(L"missing"), 0, 0), 0u);

    platform::fs::File f;
    ASSERT_TRUE(f.Open(path, platform::fs::eOpenMode::Read));
    ASSERT_TRUE(f.Seek(123, platform::fs::eSeekOrigin::Begin));
    EXPECT_EQ(CCrc32::Get().UpdateStream(f, 0, 0), CrcOf(content));
    EXPECT_EQ(f.Tell(), 123) << "the stream position is restored";
}

TEST(Crc32, NameKeys)
{
    CCrc32& crc = CCrc32::Get();
    EXPECT_EQ(crc.HashString(L"a/b.TXT"), CrcOf("A/B.TXT"));
    EXPECT_EQ(crc.HashString(L""), 0u);
    // Only the low 8 bits of each UTF-16 unit count: U+AC00 hashes like the byte 0x00.
    EXPECT_EQ(crc.HashString(L"\uAC00"), CrcOf(std::string(1, '\0')));
    // A character beyond the basic plane counts as its two surrogate units (D83D DE00 -> 3D 00).
    EXPECT_EQ(crc.HashString(L"\U0001F600"), CrcOf(std::string("\x3D\x00", 2)));

    struct
    {
        int part;
        const char* expected;
    } parts[] = {{0, "DATA/SUB/FILE.TXT"}, {1, "FILE.TXT"}, {2, ".TXT"}, {3, "DATA/SUB"}};
    for (const auto& p : parts)
        EXPECT_EQ(crc.HashPart(L"Data/Sub/file.txt", p.part), CrcOf(p.expected)) << p.part;
    EXPECT_EQ(crc.HashPart(L"Data\\Sub\\file.txt", 3), CrcOf("DATA\\SUB"));
    EXPECT_EQ(crc.HashPart(L"file", 2), 0u) << "no extension, no key";
    EXPECT_EQ(crc.HashPart(L"file.txt", 4), 0u);
}

TEST(Crc32, FoldedEngineAgreesWithZlibAtEveryLengthAndStart)
{
    if (!ZP::HasFoldedCrc32()) GTEST_SKIP() << "no carry-less multiplication on this processor";
    std::mt19937 rng(11);
    std::vector<unsigned char> data(70000);
    for (auto& b : data)
        b = static_cast<unsigned char>(rng());
    for (size_t len = 0; len < 700; ++len)
        for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u})
            ASSERT_EQ(ZP::FoldedCrc32(start, data.data() + len % 13, len),
                      ReferenceCrc(data.data() + len % 13, len, start))
                << len;
    EXPECT_EQ(ZP::FoldedCrc32(0, data.data(), data.size()), ReferenceCrc(data.data(), data.size(), 0));
}
