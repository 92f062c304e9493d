#include "zpak/repair/PakRepair.h"
#include "platform/text/TextCodec.h"
#include "tests/support/PakBuilder.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "zpak/codec/EncodeMgr.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/File.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/pak/PakMgr.h"
#include "zpak/repair/PakRepairUtil.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <thread>

using namespace ZP;

namespace
{
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();)
    {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

// The repair list owner and the broken-file hook are process-wide: every test points them at its
// own folder and leaves no hook behind for the other suites.
class PakRepairTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPakRepair::Get().SetFolder(0, RepairFolder());
        CPakRepair::InstallBrokenFileHook();
    }
    void TearDown() override { CPakRepair::Get().SetFolder(0, L"_tmp"); }

    std::wstring Game() const { return dir.Path(); }
    std::wstring Main() const { return dir.Join(L"res.pak"); }
    std::wstring RepairFolder() const { return dir.Join(L"_tmp"); }
    std::wstring ListPath() const { return dir.Join(L"_tmp/repair.info"); }

    int Add(CPakMgr& set, const std::wstring& name, const std::string& content, uint32_t enc = 0)
    {
        return builder.Add(set, name, content, {.enc = enc});
    }

    // A set of the named files (content from the name's position), closed again.
    void BuildSet(const std::vector<std::wstring>& names, size_t size = 20000)
    {
        CPakMgr set;
        ASSERT_EQ(set.OpenSet(Main(), true), 1);
        for (size_t i = 0; i < names.size(); ++i)
            ASSERT_EQ(Add(set, names[i], testsupport::RandomBytes(size, static_cast<unsigned>(i))), 1);
    }

    static std::set<std::wstring> LiveNames(const CPakMgr& set)
    {
        std::set<std::wstring> names;
        for (const CFileInfo* r : set.MergedIndex())
            if (r->base.deleted != 1) names.insert(r->Name());
        return names;
    }

    // (name, code) of every list line.
    std::set<std::pair<std::string, int>> ListedCodes() const
    {
        std::set<std::pair<std::string, int>> listed;
        for (const std::string& line : SplitLines(dir.ReadFile(L"_tmp/repair.info")))
        {
            size_t sizeField = line.find("] [FileSize : ");
            size_t codeStart = sizeField == std::string::npos ? sizeField : line.find("] [", sizeField + 1);
            if (codeStart == std::string::npos) continue;
            codeStart += 3;
            size_t colon = line.find(" : ", codeStart);
            int code = std::stoi(line.substr(codeStart, colon - codeStart));
            listed.insert({line.substr(0, line.find(' ')), code});
        }
        return listed;
    }

    testsupport::TempDir dir;
    testsupport::PakBuilder builder{dir};
    testsupport::ScopedValue<decltype(sNotifyHooks::brokenFile)> brokenFileHook{GetNotifyHooks().brokenFile};
};
} // namespace

TEST_F(PakRepairTest, CommentLinesAndLaterWordsNeverMarkRecords)
{
    // Records named like the comment lines: were a comment taken as a name, it would hit one.
    BuildSet({L"#hash.upk", L";semi.upk", L"@at.upk", L"/slash.upk", L"KVGame/a.upk", L"KVGame/b.upk"});
    dir.WriteFile(L"_tmp/repair.info",
                  "#hash.upk\r\n;semi.upk\r\n@at.upk\r\n/slash.upk\r\njunk KVGame/b.upk\r\n");
    CFileInfo damaged;
    damaged.SetName(L"KVGame/a.upk");
    damaged.base.FilePos = 15728640;
    damaged.base.size = 20000;
    ASSERT_EQ(AppendToRepairList(&damaged, kErrorCrcMismatch), 1);

    // The appended line: CP949 text, CR LF, the record's place and the code with its message.
    std::vector<std::string> lines = SplitLines(dir.ReadFile(L"_tmp/repair.info"));
    ASSERT_EQ(lines.size(), 6u);
    std::string prefix = "KVGame/a.upk [FilePos : 15728640] [FileSize : 20000] [14071 : " +
                         platform::text::WideToMultiByte(GetMessageText(kErrorCrcMismatch), 949) + "] [";
    EXPECT_EQ(lines[5].substr(0, prefix.size()), prefix);
    EXPECT_EQ(lines[5].size(), prefix.size() + 16) << "a yyyymmdd_hhmmss stamp and ']'";

    CPakRepairUtil util;
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), true), 1);
    ASSERT_EQ(util.Run(&set, L"res.pak", Game(), true), 1);
    EXPECT_EQ(util.Counter(), 1u);
    EXPECT_FALSE(FileExists(ListPath())) << "the list is deleted when asked";
    set.CloseAll();
    ASSERT_EQ(set.OpenSet(Main(), false), 1);
    EXPECT_EQ(LiveNames(set), (std::set<std::wstring>{L"#hash.upk", L";semi.upk", L"@at.upk", L"/slash.upk",
                                                      L"KVGame/b.upk"}));
}

TEST_F(PakRepairTest, RunWithoutAListChangesNothing)
{
    BuildSet({L"KVGame/a.upk", L"KVGame/b.upk"});
    std::string before = dir.ReadFile(L"res.pak");
    CPakRepairUtil util;
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), true), 1);
    EXPECT_EQ(util.Run(nullptr, L"", Game(), true), kErrorInvalidPointer);
    // A second run joins the game folder to the same sub-folder, not to the first run's result.
    for (int run = 0; run < 2; ++run)
    {
        EXPECT_EQ(util.Run(&set, L"res.pak", Game(), true), kErrorFileMissing);
        EXPECT_EQ(CPakRepair::Get().Path(), ListPath());
    }
    set.CloseAll();
    EXPECT_TRUE(dir.ReadFile(L"res.pak") == before);
    EXPECT_FALSE(FolderExists(RepairFolder()));
}

TEST_F(PakRepairTest, DamagedRecordIsListedThenRemovedAndTheSetCompacted)
{
    BuildSet({L"KVGame/a.upk", L"KVGame/b.upk", L"KVGame/c.upk"});
    uint32_t pos = 0;
    {
        CPakMgr set;
        ASSERT_EQ(set.OpenSet(Main(), false), 1);
        pos = set.FindByPathAll(L"KVGame/b.upk")->base.FilePos;
    }
    std::string bytes = dir.ReadFile(L"res.pak");
    bytes[pos + 123] ^= 0x40;
    dir.WriteFile(L"res.pak", bytes);
    // No free space in the pak: only the repair step itself can make the deletion stick.
    ASSERT_EQ(CPakRepair::Get().CreateIfMissing(), 1);

    CPakRepairUtil util;
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), true), 1);
    ASSERT_EQ(util.Run(&set, L"res.pak", Game(), false), 1);
    EXPECT_EQ(util.Counter(), 1u);
    EXPECT_EQ(ListedCodes(), (std::set<std::pair<std::string, int>>{{"KVGame/b.upk", kErrorCrcMismatch}}));
    set.CloseAll();

    EXPECT_EQ(dir.ReadFile(L"res.pak").size(), 15728640u + 40000u);
    CPak pak;
    ASSERT_EQ(pak.Open(Main(), false), 1);
    EXPECT_EQ(pak.AllRecords().Count(), 2u) << "no record, live or free, is left of the damaged file";
    for (auto [name, seed] : {std::pair{L"KVGame/a.upk", 0u}, std::pair{L"KVGame/c.upk", 2u}})
    {
        const CFileInfo* r = pak.FindByPath(name);
        ASSERT_NE(r, nullptr);
        char* data = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(pak.ReadFileData(r, true, &data, &length), 1);
        EXPECT_TRUE(std::string(data, length) == testsupport::RandomBytes(20000, seed));
        FreeBuffer(data);
    }
}

TEST_F(PakRepairTest, VerifyAllListsEachDamagedRecordWithItsCode)
{
    IEncoder* aes = GetEncodeMgr().GetEncoder(kEncAes);
    ASSERT_TRUE(aes->SetKeyString("0123456789abcdef0123456789abcdef"));
    uint32_t brokenPos = 0;
    {
        CPakMgr set;
        ASSERT_EQ(set.OpenSet(Main(), true), 1);
        ASSERT_EQ(Add(set, L"plain.bin", testsupport::RandomBytes(20000, 1)), 1);
        ASSERT_EQ(Add(set, L"broken.bin", testsupport::RandomBytes(20000, 2)), 1);
        ASSERT_EQ(Add(set, L"misplaced.bin", testsupport::RandomBytes(20000, 3)), 1);
        ASSERT_EQ(Add(set, L"sealed.bin", testsupport::RandomBytes(32000, 4), kEncAes), 1);
        ASSERT_EQ(set.FindByPathAll(L"sealed.bin")->base.enc, static_cast<uint32_t>(kEncAes));
        CFileInfo* empty = new CFileInfo;
        empty->SetName(L"empty.bin");
        empty->base.Loc = kLocPak;
        ASSERT_TRUE(set.VolumeAt(0)->AddRecord(empty, true)) << "an empty packed record sits at position 0";
        brokenPos = set.FindByPathAll(L"broken.bin")->base.FilePos;
    }
    // Like the launcher: no key, so the sealed record cannot be decoded.
    aes->ClearKey();
    std::string bytes = dir.ReadFile(L"res.pak");
    bytes[brokenPos + 5] ^= 1;
    dir.WriteFile(L"res.pak", bytes);
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), false), 1);
    set.FindByPathAll(L"misplaced.bin")->base.FilePos = 512100; // inside the info table

    struct sCase
    {
        bool skipEncrypted;
        std::set<std::pair<std::string, int>> listed;
    };
    const sCase cases[] = {
        {false,
         {{"broken.bin", kErrorCrcMismatch},
          {"misplaced.bin", kErrorPakBroken},
          {"sealed.bin", kErrorDecrypt}}},
        {true, {{"broken.bin", kErrorCrcMismatch}, {"misplaced.bin", kErrorPakBroken}}},
    };
    for (const sCase& c : cases)
    {
        DeleteFile(ListPath());
        CPakRepairUtil util;
        CPakRepair::Get().SetFolder(0, RepairFolder());
        util.SetSkipEncrypted(c.skipEncrypted);
        EXPECT_EQ(util.VerifyAll(&set), 1);
        EXPECT_EQ(ListedCodes(), c.listed) << "skip encrypted " << c.skipEncrypted;
    }

    CPakRepairUtil util;
    CStopper::SetStopRequested(true);
    EXPECT_EQ(util.VerifyAll(&set), kErrorStopped);
    CStopper::SetStopRequested(false);
}

TEST_F(PakRepairTest, HostileListLinesAreReadSafely)
{
    BuildSet({L"KVGame/a.upk", L"KVGame/b.upk", L"KVGame/c.upk", L"KVGame/d.upk", L"KVGame/e.upk"}, 100);
    // A record name carrying a line break must not smuggle a second name into the list.
    CFileInfo injected;
    injected.SetName(L"zz\nKVGame/d.upk");
    ASSERT_EQ(AppendToRepairList(&injected, kErrorCrcMismatch), 1);
    std::string list = dir.ReadFile(L"_tmp/repair.info");
    list += std::string(4100, ' ') + "KVGame/a.upk\r\n";       // a name past the line limit
    list += std::string(4095, 'x') + "KVGame/a.upk\r\n";       // a first word cut by the limit
    list += std::string(300, 'y') + "\r\n";                    // longer than any name
    list += std::string("KVGame/c.upk\0KVGame/b.upk\r\n", 27); // a NUL ends the line's text
    list += std::string("\0KVGame/b.upk\r\n", 15);
    list += "\xFF\xFE\x81 \x81\r\n\r\n   \r\n"; // invalid CP949, blank lines
    list += "KVGame/e.upk";                     // no final line break
    dir.WriteFile(L"_tmp/repair.info", list);

    CPakRepairUtil util;
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), false), 1);
    ASSERT_EQ(util.ApplyList(&set, ListPath()), 1);
    EXPECT_EQ(util.Counter(), 2u);
    EXPECT_EQ(LiveNames(set), (std::set<std::wstring>{L"KVGame/a.upk", L"KVGame/b.upk", L"KVGame/d.upk"}));
    EXPECT_EQ(util.ApplyList(&set, dir.Join(L"_tmp/missing.info")), kErrorFileOpen);
}

TEST_F(PakRepairTest, AppendsFromManyThreadsKeepEveryLineWhole)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [t]
            {
                for (int i = 0; i < kLines; ++i)
                {
                    CFileInfo r;
                    r.SetName(L"T" + std::to_wstring(t) + L"/" + std::to_wstring(i) + L".upk");
                    AppendToRepairList(&r, kErrorSumMismatch);
                }
            });
    for (auto& th : threads)
        th.join();
    std::set<std::pair<std::string, int>> listed = ListedCodes();
    EXPECT_EQ(listed.size(), static_cast<size_t>(kThreads * kLines));
    EXPECT_EQ(SplitLines(dir.ReadFile(L"_tmp/repair.info")).size(), static_cast<size_t>(kThreads * kLines));
}

namespace
{
struct sEntryFile : IPakEntryFile
{
    CPak* pak = nullptr;
    const CFileInfo* record = nullptr;
    CPak* EntryPak() const override { return pak; }
    const CFileInfo* EntryRecord() const override { return record; }
};

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> files;
    ListFolder(folder, false, files);
    std::sort(files.begin(), files.end());
    return files;
}
} // namespace

TEST_F(PakRepairTest, BackupsKeepTheStoredBytesAndATrailerInsideTheRepairFolder)
{
    BuildSet({L"Data/sub/file.bin", L"../../evil.bin", L"x/..", L"q/repair.info"});
    CPakRepair& repair = CPakRepair::Get();
    ASSERT_EQ(repair.CreateIfMissing(), 1);
    CPakMgr set;
    ASSERT_EQ(set.OpenSet(Main(), false), 1);
    CPak* pak = set.VolumeAt(0);
    const CFileInfo* file = set.FindByPathAll(L"Data/sub/file.bin");

    // Two backups of one record in the same second get distinct names.
    ASSERT_EQ(repair.SaveRecordBackup(pak, file, kErrorCrcMismatch), 1);
    sEntryFile entry;
    entry.pak = pak;
    entry.record = file;
    ASSERT_EQ(repair.OnDamagedFile(&entry, kErrorDecompress, true), 1);
    std::vector<std::wstring> backups = FilesIn(RepairFolder());
    ASSERT_EQ(backups.size(), 3u) << "the list and two backups, no extracted leftovers";
    using Listed = std::set<std::pair<std::string, int>>;
    EXPECT_EQ(ListedCodes(), (Listed{{"Data/sub/file.bin", kErrorDecompress}}));

    std::set<int> codes;
    std::wstring aBackup;
    for (const std::wstring& backup : backups)
    {
        if (backup == ListPath()) continue;
        aBackup = backup;
        CFileInfo back;
        int code = 0;
        ASSERT_EQ(repair.ReadTrailer(&back, backup, &code), 1);
        codes.insert(code);
        EXPECT_EQ(back.Name(), file->Name());
        EXPECT_EQ(back.base.FilePos, file->base.FilePos);
        EXPECT_EQ(back.base.OrgCrc, file->base.OrgCrc);
        std::string content;
        ASSERT_TRUE(ReadWholeFile(backup, content));
        ASSERT_EQ(content.size(), 20000u + CPakRepair::kTrailerBytes);
        EXPECT_TRUE(content.substr(0, 20000) == testsupport::RandomBytes(20000, 0));
    }
    EXPECT_EQ(codes, (std::set<int>{kErrorCrcMismatch, kErrorDecompress}));

    // Hostile names: only the file-name part is used, and never one that leaves the folder or
    // would overwrite the list.
    std::string listBefore = dir.ReadFile(L"_tmp/repair.info");
    ASSERT_EQ(repair.SaveRecordBackup(pak, set.FindByPathAll(L"../../evil.bin"), 1), 1);
    EXPECT_FALSE(FileExists(dir.Join(L"../evil.bin")));
    EXPECT_EQ(repair.SaveRecordBackup(pak, set.FindByPathAll(L"x/.."), 1), kErrorInvalidFileName);
    EXPECT_EQ(repair.SaveRecordBackup(pak, set.FindByPathAll(L"q/repair.info"), 1), kErrorFileCreate);
    EXPECT_EQ(dir.ReadFile(L"_tmp/repair.info"), listBefore);
    EXPECT_EQ(FilesIn(RepairFolder()).size(), 4u);
    EXPECT_EQ(repair.MoveToBackup(file, RepairFolder(), nullptr), kErrorFileMissing);

    // Files that do not end in a well-formed trailer.
    CFileInfo back;
    int code = 0;
    std::string good;
    ASSERT_TRUE(ReadWholeFile(aBackup, good));
    const std::pair<const wchar_t*, std::string> bad[] = {
        {L"short.bak", "abc"},
        {L"offset.bak", good.substr(0, good.size() - 1) + "\x7F"},
        {L"shifted.bak", "x" + good},
    };
    for (const auto& [name, bytes] : bad)
    {
        std::wstring path = dir.WriteFile(name, bytes);
        EXPECT_EQ(repair.ReadTrailer(&back, path, &code), kErrorInvalidData) << bytes.size();
    }
    EXPECT_EQ(repair.ReadTrailer(&back, dir.Join(L"missing.bak"), &code), kErrorFileMissing);
}

TEST_F(PakRepairTest, CommandLineOptions)
{
    CPakRepairUtil util;
    EXPECT_EQ(util.PakPath(0), L"res.pak");
    EXPECT_EQ(util.PakPath(2), L"../../res.pak");
    const wchar_t* one[] = {L"repair"};
    EXPECT_EQ(util.ParseArguments(1, one), kErrorInvalidParameter);

    const wchar_t* args[] = {
        L"repair",      L"@pakname", L"game.pak",      L"stray", L"@url", L"http://127.0.0.1/p",
        L"@skipencode", L"1",        L"@skipendstate", L"0",     L"@url"};
    ASSERT_EQ(util.ParseArguments(11, args), 1);
    EXPECT_EQ(util.Arguments().size(), 10u);
    EXPECT_EQ(util.PakPath(1), L"../game.pak");
    EXPECT_EQ(util.Url(), L"http://127.0.0.1/p") << "a trailing option without a value changes nothing";
    EXPECT_TRUE(util.SkipEncrypted());
    EXPECT_FALSE(util.SkipEndState());
}
