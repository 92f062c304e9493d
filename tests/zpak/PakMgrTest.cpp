#include "zpak/pak/PakMgr.h"
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "tests/support/PakBuilder.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/TempDir.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/file/File.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace ZP;

namespace
{
class PakSet : public ::testing::Test
{
protected:
    std::wstring Main() const { return dir.Join(L"data/res.pak"); }

    std::unique_ptr<CFileInfo> Record(const std::wstring& name, const std::string& content,
                                      uint32_t loc = kLocPak)
    {
        return testsupport::PakRecord(name, content, loc);
    }

    int Add(CPakMgr& set, const std::wstring& name, const std::string& content)
    {
        return builder.Add(set, name, content);
    }

    // The file time a loose file must carry to be off by seconds from the record.
    static int64_t MtimeOffBy(uint32_t recordTime, int64_t seconds)
    {
        // The rule reads the file's UTC fields back as local time; invert that for the test.
        time_t guess = static_cast<time_t>(recordTime) + seconds;
        std::tm local{};
        localtime_r(&guess, &local);
        return static_cast<int64_t>(timegm(&local));
    }

    testsupport::TempDir dir;
    testsupport::PakBuilder builder{dir};
};
} // namespace

TEST_F(PakSet, VolumesAreContiguousAndGrowPastTheLimit)
{
    {
        CPakMgr set;
        ASSERT_EQ(set.OpenSet(Main(), true), 1);
        ASSERT_EQ(Add(set, L"a.bin", "AAAA"), 1);
    }
    // Volume 1 exists, volume 3 too, but 2 does not: only the main pak and volume 1 belong.
    ASSERT_TRUE(CopyFile(Main(), CPakMgr::VolumeName(Main(), 1), false));
    ASSERT_TRUE(CopyFile(Main(), CPakMgr::VolumeName(Main(), 3), false));
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), true), 1);
    EXPECT_EQ(set.VolumeCount(), 2u);
    EXPECT_EQ(set.MergedIndex().Count(), 2u);

    // Both volumes full (sparse files at the limit): the next file opens volume 2.
    for (size_t i = 0; i < 2; ++i)
        ASSERT_TRUE(set.VolumeAt(i)->File()->Truncate(static_cast<uint32_t>(CPakMgr::kVolumeLimit - 500)));
    ASSERT_EQ(Add(set, L"b.bin", std::string(1000, 'b')), 1);
    EXPECT_EQ(set.VolumeCount(), 3u);
    EXPECT_TRUE(FileExists(CPakMgr::VolumeName(Main(), 2)));
    set.RebuildIndex();
    ASSERT_NE(set.FindByPathAll(L"b.bin"), nullptr);
    EXPECT_EQ(set.FindByPathAll(L"b.bin")->Volume, 2u);

    CPakMgr readOnly;
    EXPECT_EQ(readOnly.OpenSet(dir.Join(L"missing.pak"), false), kErrorFileOpen);
}

TEST_F(PakSet, ServerComparisonDeletesOutdatedAndListsDownloads)
{
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), true), 1);
    ASSERT_EQ(Add(set, L"Data/same.bin", "same"), 1);
    ASSERT_EQ(Add(set, L"Data/old.bin", "old"), 1);
    ASSERT_EQ(Add(set, L"Data/gone.bin", "gone"), 1);
    set.RebuildIndex();

    // Loose files: one 39,999 s off (current), one 40,001 s off (stale).
    std::wstring game = dir.Path();
    auto looseOk = Record(L"KVGame/ok.ini", "12345", kLocLoose);
    auto looseStale = Record(L"KVGame/stale.ini", "12345", kLocLoose);
    dir.WriteFile(L"KVGame/ok.ini", "12345");
    dir.WriteFile(L"KVGame/stale.ini", "12345");
    ASSERT_TRUE(
        platform::fs::SetLastWriteTime(dir.Join(L"KVGame/ok.ini"), {MtimeOffBy(1700000000, 39999), 0}));
    ASSERT_TRUE(
        platform::fs::SetLastWriteTime(dir.Join(L"KVGame/stale.ini"), {MtimeOffBy(1700000000, 40001), 0}));
    ASSERT_TRUE(set.AddLooseRecord(new CFileInfo(*looseOk), true));
    ASSERT_TRUE(set.AddLooseRecord(new CFileInfo(*looseStale), true));
    set.RebuildIndex();

    // Stray files: under Movies (removed) and elsewhere (kept).
    dir.WriteFile(L"KVGame/Movies/extra.bik", "x");
    dir.WriteFile(L"KVGame/ReleasePC/extra.dat", "x");
    dir.WriteFile(L"KVGame/CookedPC/extra.upk", "x");

    vFileInfo server;
    server.Add(Record(L"Data/same.bin", "same").release());
    auto newer = Record(L"Data/old.bin", "older!");
    server.Add(newer.release());
    server.Add(Record(L"Data/new.bin", "new").release());
    server.Add(new CFileInfo(*looseOk));
    server.Add(new CFileInfo(*looseStale));

    vFileInfo downloads, deletions;
    ASSERT_TRUE(set.Synchronise(game, server, downloads, deletions));
    std::vector<std::wstring> deleted, wanted;
    for (const CFileInfo* r : deletions)
        deleted.push_back(r->Name());
    for (const CFileInfo* r : downloads)
        wanted.push_back(r->Name());
    std::sort(deleted.begin(), deleted.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(deleted, (std::vector<std::wstring>{L"Data/gone.bin", L"Data/old.bin", L"KVGame/stale.ini"}));
    EXPECT_EQ(wanted, (std::vector<std::wstring>{L"Data/new.bin", L"Data/old.bin", L"KVGame/stale.ini"}));
    EXPECT_FALSE(FileExists(dir.Join(L"KVGame/stale.ini"))) << "a stale loose file is deleted";
    EXPECT_TRUE(FileExists(dir.Join(L"KVGame/ok.ini")));
    EXPECT_FALSE(FileExists(dir.Join(L"KVGame/Movies/extra.bik")));
    EXPECT_FALSE(FileExists(dir.Join(L"KVGame/ReleasePC/extra.dat")));
    EXPECT_TRUE(FileExists(dir.Join(L"KVGame/CookedPC/extra.upk")));
    EXPECT_EQ(set.FindByPathAll(L"Data/gone.bin"), nullptr);
    EXPECT_NE(set.FindByPathAll(L"Data/same.bin"), nullptr);
}

TEST_F(PakSet, UnpackExtractsEveryVolume)
{
    {
        CPakMgr set;
        ASSERT_EQ(set.OpenSet(Main(), true), 1);
        ASSERT_EQ(Add(set, L"one/a.txt", "first"), 1);
    }
    {
        CPak volume;
        ASSERT_EQ(volume.Open(CPakMgr::VolumeName(Main(), 1), true), 1);
        ASSERT_EQ(builder.Add(volume, L"two/b.txt", "second"), 1);
    }
    static std::vector<std::wstring> statuses;
    statuses.clear();
    testsupport::ScopedValue hook(GetNotifyHooks().statusText,
                                  [](const wchar_t* t) { statuses.emplace_back(t); });
    CPakMgr set;
    int r = set.Unpack(Main(), dir.Join(L"out"));
    ASSERT_EQ(r, 1);
    EXPECT_EQ(dir.ReadFile(L"out/one/a.txt"), "first");
    EXPECT_EQ(dir.ReadFile(L"out/two/b.txt"), "second");
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), L"팩 풀기 성공.");
    EXPECT_EQ(set.Unpack(dir.Join(L"none.pak"), dir.Join(L"out")), kErrorFileOpen);
}

TEST_F(PakSet, Utf8ListingsMatchTheWideOnesOverEveryVolume)
{
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), true), 1);
    ASSERT_EQ(Add(set, L"데이터/가.bin", "ga"), 1);
    ASSERT_EQ(Add(set, L"데이터/b.bin", "b"), 1);
    ASSERT_EQ(Add(set, L"other.bin", "o"), 1);
    set.RebuildIndex();

    std::vector<std::wstring> wideDir, wideAll;
    ASSERT_EQ(set.ListDirAll(L"데이터", wideDir), 1);
    ASSERT_EQ(set.ListAllNames(wideAll), 1);
    ASSERT_EQ(wideDir.size(), 2u);
    ASSERT_EQ(wideAll.size(), 3u);
    auto utf8Of = [](const std::vector<std::wstring>& wide)
    {
        std::vector<std::string> out;
        for (const auto& w : wide)
            out.push_back(platform::text::WideToUtf8(w));
        return out;
    };
    std::vector<std::string> names{"left over"};
    ASSERT_EQ(set.ListDirAllUtf8("\xEB\x8D\xB0\xEC\x9D\xB4\xED\x84\xB0", names), 1); // "데이터"
    EXPECT_EQ(names, utf8Of(wideDir));
    names = {"left over"};
    ASSERT_EQ(set.ListAllNamesUtf8(names), 1);
    EXPECT_EQ(names, utf8Of(wideAll));
}
