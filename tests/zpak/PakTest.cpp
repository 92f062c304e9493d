#include "zpak/pak/Pak.h"
#include "tests/support/PakBuilder.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/crc/Crc32.h"
#include "zpak/file/File.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

using namespace ZP;

namespace
{
uint32_t U32At(const std::string& s, size_t at)
{
    return ReadU32(reinterpret_cast<const uint8_t*>(s.data() + at));
}

class PakFixture : public ::testing::Test
{
protected:
    std::wstring PakPath() const { return dir.Join(L"game.pak"); }

    // Adds name with content to the pak the way the packer does (plain copy, or a codec).
    int AddFile(CPak& pak, const std::wstring& name, const std::string& content, uint32_t zip = 0)
    {
        return builder.Add(pak, name, content, {.zip = zip});
    }

    std::string Extract(CPak& pak, const std::wstring& name)
    {
        const CFileInfo* r = pak.FindByPath(name);
        if (!r) return "<missing>";
        char* data = nullptr;
        uint32_t length = 0;
        if (pak.ReadFileData(r, true, &data, &length) != 1) return "<unreadable>";
        std::string s(data, length);
        FreeBuffer(data);
        return s;
    }

    testsupport::TempDir dir;
    testsupport::PakBuilder builder{dir};
};
} // namespace

TEST_F(PakFixture, NewPakLayout)
{
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    EXPECT_EQ(pak.Base(), 0u);
    std::string content = testsupport::RandomBytes(5000, 1);
    ASSERT_EQ(AddFile(pak, L"Data/one.bin", content), 1);
    pak.Close();

    std::string bytes = dir.ReadFile(L"game.pak");
    ASSERT_EQ(bytes.size(), 15728640u + 5000u);
    EXPECT_EQ(bytes.substr(0, 4), "PAKS");
    EXPECT_EQ(U32At(bytes, 4 + 4), 0x02040100u);
    EXPECT_EQ(U32At(bytes, 4 + 24), 15728640u + 5000u) << "DataEnd";
    EXPECT_EQ(bytes.substr(4 + 32, 4), "ZPHS");
    EXPECT_EQ(bytes.substr(512000, 8), "FILSFILZ");
    EXPECT_EQ(U32At(bytes, 512008), 1u);
    EXPECT_EQ(U32At(bytes, 512012 + 8), 15728640u) << "the first file starts the data area";
    EXPECT_EQ(U32At(bytes, 512012 + 60), 512012u) << "InfoPos";
    EXPECT_EQ(bytes.substr(512012 + 620, 4), "FILE");
    EXPECT_TRUE(bytes.substr(15728640) == content);

    CPak again;
    ASSERT_EQ(again.Open(PakPath(), false), 1);
    EXPECT_EQ(again.Count(), 1u);
    EXPECT_EQ(Extract(again, L"data/ONE.bin"), content);
}

TEST_F(PakFixture, PakInsideALargerFileStartsPastItsContent)
{
    std::string prefix = testsupport::RandomBytes(5000000, 2);
    dir.WriteFile(L"game.pak", prefix);
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    EXPECT_EQ(pak.Base(), 6291456u);
    ASSERT_EQ(AddFile(pak, L"x.bin", "payload"), 1);
    pak.Close();
    std::string bytes = dir.ReadFile(L"game.pak");
    EXPECT_TRUE(bytes.substr(0, 5000000) == prefix) << "the content before the pak is kept";
    EXPECT_EQ(bytes.substr(6291456, 4), "PAKS");
    CPak again;
    ASSERT_EQ(again.Open(PakPath(), false), 1);
    EXPECT_EQ(again.Base(), 6291456u);
    EXPECT_EQ(Extract(again, L"x.bin"), "payload");
}

TEST_F(PakFixture, DamagedTablesNeverCrashTheReader)
{
    {
        CPak pak;
        ASSERT_EQ(pak.Open(PakPath(), true), 1);
        ASSERT_EQ(AddFile(pak, L"a.bin", testsupport::RandomBytes(3000, 3)), 1);
        ASSERT_EQ(AddFile(pak, L"b.bin", testsupport::RandomBytes(3000, 4)), 1);
    }
    const std::string good = dir.ReadFile(L"game.pak");
    auto put = [](std::string& s, size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            s[at + i] = static_cast<char>(v >> (8 * i));
    };
    struct
    {
        const char* what;
        void (*spoil)(std::string&, decltype(put)&);
        size_t expected;
    } cases[] = {
        {"a record pointing past the end",
         [](std::string& s, decltype(put)& p) { p(s, 512012 + 12, 1u << 30); }, 1},
        {"a record with a bad sign", [](std::string& s, decltype(put)& p) { p(s, 512012 + 68, 0); }, 1},
        {"a count of four billion", [](std::string& s, decltype(put)& p) { p(s, 512008, 0xFFFFFFFFu); }, 0},
        {"a count running into the data area", [](std::string& s, decltype(put)& p) { p(s, 512008, 30000); },
         0},
        {"a file cut inside the table", [](std::string& s, decltype(put)&) { s.resize(512012 + 700); }, 0},
        {"no table at all", [](std::string& s, decltype(put)&) { s.resize(1000); }, 0},
    };
    for (const auto& c : cases)
    {
        std::string bad = good;
        c.spoil(bad, put);
        dir.WriteFile(L"bad.pak", bad);
        {
            CPak pak;
            ASSERT_EQ(pak.Open(dir.Join(L"bad.pak"), false), 1) << c.what;
            EXPECT_EQ(pak.AllRecords().CountLive(true), c.expected) << c.what;
            EXPECT_TRUE(pak.Damage().Any()) << c.what << ": a reader must learn the pak is not whole";
        }
        // Maintenance refuses and keeps every byte; the patcher, which refills it, may rebuild it.
        {
            CPak pak;
            EXPECT_EQ(pak.Open(dir.Join(L"bad.pak"), true, false), kErrorPakBroken) << c.what;
        }
        EXPECT_TRUE(dir.ReadFile(L"bad.pak") == bad) << c.what;
        CPak rebuilt;
        EXPECT_EQ(rebuilt.Open(dir.Join(L"bad.pak"), true, true), 1) << c.what;
    }
    // A pak with nothing added yet has no table, and is not damaged.
    dir.WriteFile(L"fresh.pak", "");
    {
        CPak fresh;
        ASSERT_EQ(fresh.Open(dir.Join(L"fresh.pak"), true, false), 1);
    }
    CPak fresh;
    ASSERT_EQ(fresh.Open(dir.Join(L"fresh.pak"), false), 1);
    EXPECT_FALSE(fresh.Damage().Any());
}

TEST_F(PakFixture, TailOfAShorterReplacementBecomesFreeSpaceOnlyWhenLarge)
{
    struct
    {
        size_t shorterBy;
        size_t freeRecords;
    } cases[] = {{20000, 1}, {10000, 0}};
    for (const auto& c : cases)
    {
        testsupport::TempDir local;
        CPak pak;
        ASSERT_EQ(pak.Open(local.Join(L"t.pak"), true), 1);
        ASSERT_EQ(AddFile(pak, L"first.bin", testsupport::RandomBytes(100000, 5)), 1);
        ASSERT_EQ(AddFile(pak, L"second.bin", testsupport::RandomBytes(1000, 6)), 1);
        std::string replacement = testsupport::RandomBytes(100000 - c.shorterBy, 7);
        ASSERT_EQ(AddFile(pak, L"first.bin", replacement), 1);
        EXPECT_EQ(pak.FreeListSize(), c.freeRecords) << c.shorterBy;
        EXPECT_EQ(Extract(pak, L"first.bin"), replacement);
        if (c.freeRecords)
        {
            const CFileInfo* tail = pak.FreeRecords().front();
            EXPECT_EQ(tail->base.size, c.shorterBy);
            EXPECT_EQ(tail->base.FilePos, 15728640u + replacement.size());
        }
        pak.Close();
        CPak again;
        ASSERT_EQ(again.Open(local.Join(L"t.pak"), false), 1);
        EXPECT_EQ(Extract(again, L"first.bin"), replacement);
        EXPECT_EQ(Extract(again, L"second.bin"), testsupport::RandomBytes(1000, 6));
    }
}

TEST_F(PakFixture, LongerReplacementNeverOverwritesItsNeighbour)
{
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    ASSERT_EQ(AddFile(pak, L"a.bin", testsupport::RandomBytes(1000, 8)), 1);
    ASSERT_EQ(AddFile(pak, L"b.bin", testsupport::RandomBytes(1000, 9)), 1);
    ASSERT_EQ(AddFile(pak, L"a.bin", testsupport::RandomBytes(5000, 10)), 1);
    EXPECT_EQ(Extract(pak, L"a.bin"), testsupport::RandomBytes(5000, 10));
    EXPECT_EQ(Extract(pak, L"b.bin"), testsupport::RandomBytes(1000, 9));
}

TEST_F(PakFixture, OverlappingRecordsAreReadAroundReadOnlyAndCompactedAwayWritable)
{
    {
        CPak pak;
        ASSERT_EQ(pak.Open(PakPath(), true), 1);
        ASSERT_EQ(AddFile(pak, L"a.bin", testsupport::RandomBytes(4000, 11)), 1);
        ASSERT_EQ(AddFile(pak, L"b.bin", testsupport::RandomBytes(4000, 12)), 1);
        ASSERT_EQ(AddFile(pak, L"c.bin", testsupport::RandomBytes(4000, 13)), 1);
    }
    // Point b's data into a's.
    std::string bytes = dir.ReadFile(L"game.pak");
    uint32_t bPos = 15728640 + 2000;
    for (int i = 0; i < 4; ++i)
        bytes[512012 + 620 + 8 + i] = static_cast<char>(bPos >> (8 * i));
    dir.WriteFile(L"game.pak", bytes);

    {
        CPak pak;
        ASSERT_EQ(pak.Open(PakPath(), false), 1);
        EXPECT_EQ(pak.FindByPath(L"a.bin"), nullptr);
        EXPECT_EQ(pak.FindByPath(L"b.bin"), nullptr);
        EXPECT_EQ(pak.Damage().overlapping, 2u);
        EXPECT_EQ(pak.LeftOut().Count(), 2u);
        EXPECT_EQ(Extract(pak, L"c.bin"), testsupport::RandomBytes(4000, 13));
    }
    EXPECT_TRUE(dir.ReadFile(L"game.pak") == bytes) << "a read-only open never writes";

    {
        CPak pak;
        ASSERT_EQ(pak.Open(PakPath(), true), 1);
        EXPECT_EQ(pak.FindByPath(L"a.bin"), nullptr);
    }
    std::string after = dir.ReadFile(L"game.pak");
    EXPECT_EQ(after.size(), 15728640u + 4000u) << "compacted: only c's data is left";
    CPak again;
    ASSERT_EQ(again.Open(PakPath(), false), 1);
    EXPECT_FALSE(again.Damage().Any());
    EXPECT_EQ(again.AllRecords().CountLive(true), 1u);
    EXPECT_EQ(Extract(again, L"c.bin"), testsupport::RandomBytes(4000, 13));
}

TEST_F(PakFixture, DeleteCompactAndReuseFreeSpace)
{
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    ASSERT_EQ(AddFile(pak, L"a.bin", testsupport::RandomBytes(50000, 14)), 1);
    ASSERT_EQ(AddFile(pak, L"b.bin", testsupport::RandomBytes(50000, 15)), 1);
    ASSERT_EQ(AddFile(pak, L"c.bin", testsupport::RandomBytes(50000, 16)), 1);
    ASSERT_EQ(pak.DeleteRecord(dir.Path(), pak.FindByPath(L"a.bin")), 1);
    EXPECT_EQ(pak.FreeListSize(), 1u);
    // A new smaller file goes into the hole instead of the end.
    ASSERT_EQ(AddFile(pak, L"d.bin", testsupport::RandomBytes(30000, 17)), 1);
    EXPECT_EQ(pak.FindByPath(L"d.bin")->base.FilePos, 15728640u);
    EXPECT_EQ(pak.FreeListSize(), 1u) << "the 20,000-byte rest of the hole stays free";
    ASSERT_EQ(pak.DeleteRecord(dir.Path(), pak.FindByPath(L"b.bin")), 1);
    ASSERT_TRUE(pak.Compact());
    EXPECT_EQ(pak.FreeListSize(), 0u);
    EXPECT_EQ(pak.Header().DataEnd, 15728640u + 80000u);
    pak.Close();
    CPak again;
    ASSERT_EQ(again.Open(PakPath(), false), 1);
    EXPECT_EQ(again.AllRecords().CountLive(true), 2u);
    EXPECT_EQ(Extract(again, L"c.bin"), testsupport::RandomBytes(50000, 16));
    EXPECT_EQ(Extract(again, L"d.bin"), testsupport::RandomBytes(30000, 17));
}

TEST_F(PakFixture, CompressedEntriesAndTheBrokenFileHook)
{
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    std::string text(200000, 'z');
    ASSERT_EQ(AddFile(pak, L"Text/readme.txt", text, kZipZlib), 1);
    const CFileInfo* r = pak.FindByPath(L"Text/readme.txt");
    ASSERT_NE(r, nullptr);
    EXPECT_LT(r->base.size, 10000u);
    EXPECT_EQ(pak.VerifyStored(r), 1);
    EXPECT_EQ(Extract(pak, L"Text/readme.txt"), text);
    uint32_t pos = r->base.FilePos;
    pak.Close();

    // Damage one stored byte: verification fails and the hook hears of the record.
    std::string bytes = dir.ReadFile(L"game.pak");
    bytes[pos + 10] ^= 0x55;
    dir.WriteFile(L"game.pak", bytes);
    static int reported = 0;
    reported = 0;
    testsupport::ScopedValue hook(GetNotifyHooks().brokenFile,
                                  [](const CFileInfo*, int code) { reported = code; });
    CPak again;
    ASSERT_EQ(again.Open(PakPath(), false), 1);
    EXPECT_EQ(Extract(again, L"Text/readme.txt"), "<unreadable>");
    EXPECT_EQ(reported, kErrorCrcMismatch);
}

TEST_F(PakFixture, HostileNamesAreNeverExtractedOutsideTheTarget)
{
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    const wchar_t* hostile[] = {L"../escape.txt", L"a/../../escape.txt", L"/tmp/abs.txt", L"C:evil.txt",
                                L"..\\escape2.txt"};
    for (const wchar_t* name : hostile)
        ASSERT_EQ(AddFile(pak, name, "bad"), 1) << "stored as given: only extraction judges names";
    ASSERT_EQ(AddFile(pak, L"ok/fine.txt", "good"), 1);
    testsupport::TempDir target;
    // A link inside the target pointing out of it is not followed either.
    testsupport::TempDir outside;
    ASSERT_EQ(symlink(outside.NativePath().c_str(), (target.NativePath() + "/ok").c_str()), 0);
    for (CFileInfo* r : pak.AllRecords())
        EXPECT_FALSE(pak.ExtractFile(r, target.Path())) << std::string(r->Name().begin(), r->Name().end());
    EXPECT_FALSE(FileExists(dir.Join(L"escape.txt")));
    EXPECT_FALSE(FileExists(outside.Join(L"fine.txt")));
    EXPECT_FALSE(FileExists(L"/tmp/abs.txt"));
}

TEST_F(PakFixture, DamagedPlainFileIsNotLeftBehindWhenExtracted)
{
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    ASSERT_EQ(AddFile(pak, L"Data/plain.bin", testsupport::RandomBytes(70000, 21)), 1);
    uint32_t pos = pak.FindByPath(L"Data/plain.bin")->base.FilePos;
    pak.Close();
    std::string bytes = dir.ReadFile(L"game.pak");
    bytes[pos + 69999] ^= 1;
    dir.WriteFile(L"game.pak", bytes);

    static int reported = 0;
    reported = 0;
    testsupport::ScopedValue hook(GetNotifyHooks().brokenFile,
                                  [](const CFileInfo*, int code) { reported = code; });
    CPak again;
    ASSERT_EQ(again.Open(PakPath(), false), 1);
    testsupport::TempDir target;
    bool extracted = again.ExtractFile(again.FindByPath(L"Data/plain.bin"), target.Path());
    EXPECT_FALSE(extracted);
    EXPECT_EQ(reported, kErrorCrcMismatch);
    EXPECT_FALSE(FileExists(target.Join(L"Data/plain.bin")));
}

TEST_F(PakFixture, ServerDataThatCannotBeReadBackIsNeverStored)
{
    const std::string plain = testsupport::RandomBytes(5000, 21);
    char* packed = nullptr;
    uint32_t packedSize = 0;
    ASSERT_TRUE(Compress(kZipZlib, &packed, &packedSize, plain.data(), static_cast<uint32_t>(plain.size())));
    const std::string stream(packed, packedSize);
    FreeBuffer(packed);
    // A normal server record: one zlib stream that unpacks to the file.
    auto serverRecord = [&](const wchar_t* name)
    {
        CFileInfo r;
        r.SetName(name);
        r.base.Loc = kLocPak;
        r.base.size = static_cast<uint32_t>(stream.size());
        r.base.unzipsize = r.base.OrgSize = static_cast<uint32_t>(plain.size());
        r.base.FileTime = 1700000000;
        return r;
    };
    struct
    {
        const char* what;
        void (*spoil)(CFileInfo&);
        int expected;
    } cases[] = {
        {"an intact record", [](CFileInfo&) {}, 1},
        {"no bytes for 5000", [](CFileInfo& r) { r.base.size = 0; }, kErrorDataSize},
        {"one byte more promised", [](CFileInfo& r) { r.base.OrgSize += 1; }, kErrorDataSize},
        {"an impossible size", [](CFileInfo& r) { r.base.OrgSize = 0xFFFFFFF0u; }, 0},
    };
    const std::wstring source = dir.WriteFile(L"stream.bin", stream);
    CPak pak;
    ASSERT_EQ(pak.Open(PakPath(), true), 1);
    int n = 0;
    for (const auto& c : cases)
    {
        std::wstring name = L"f" + std::to_wstring(n++) + L".bin";
        CFileInfo record = serverRecord(name.c_str());
        c.spoil(record);
        CFile file;
        ASSERT_EQ(file.Open(source.c_str(), kModeRead, 0), 1);
        int r = pak.AddFileData(&file, &record, true);
        const CFileInfo* stored = pak.FindByPath(name);
        if (c.expected == 1)
        {
            EXPECT_EQ(r, 1) << c.what;
            EXPECT_EQ(Extract(pak, name), plain) << c.what;
            continue;
        }
        EXPECT_NE(r, 1) << c.what;
        if (c.expected != 0)
        {
            EXPECT_EQ(r, c.expected) << c.what;
        }
        EXPECT_TRUE(!stored || stored->base.deleted == 1) << c.what << ": no live record of unreadable data";
    }
}
