#include "tests/support/TempDir.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Stopper.h"
#include "zpak/crc/Crc32.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/info/ReportOpener.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace ZP;

namespace
{
uint32_t Crc(const char* s)
{
    return CCrc32::Get().Update(s, std::strlen(s), 0);
}

// The list file format written independently of the library, byte by byte.
struct sListWriter
{
    std::string bytes;
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>(v >> (8 * i)));
    }
    void Text(const char* s) { bytes.append(s, 4); }
    void Utf16(const std::u16string& s, size_t units)
    {
        for (size_t i = 0; i < units; ++i)
        {
            char16_t c = i < s.size() ? s[i] : 0;
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>(c >> 8));
        }
    }
    // One record: the 27 words at their offsets, then the name.
    void Record(const std::u16string& name, uint32_t size, uint32_t fileTime, uint32_t loc, uint32_t date = 0,
                uint32_t time = 0)
    {
        uint32_t w[27] = {};
        w[1] = static_cast<uint32_t>(name.size() + 1); // NameLen
        w[2] = 4096;                                   // FilePos
        w[3] = size;                                   // size
        w[4] = size;                                   // OrgSize
        w[9] = fileTime;
        w[10] = 0x11111111; // keys as stored, whatever they are
        w[16] = loc;
        w[17] = 0x00534946; // "FIS\0"
        w[19] = date;
        w[20] = time;
        w[21] = 0xCAFEBABE; // OrgCrc
        w[23] = 0x32435243; // "CRC2"
        for (uint32_t v : w)
            U32(v);
        Utf16(name, 256);
    }
};

std::string ListFile(uint32_t count, const char* end = "FILE", const char* table = "FILZ")
{
    sListWriter w;
    w.Text("FILS");
    w.U32(0);
    w.U32(3); // len1
    w.U32(2); // len2
    w.U32(0); // len3
    w.Utf16(u"abc", 3);
    w.Utf16(u"de", 2);
    w.Text(table);
    w.U32(count);
    w.Record(u"Data/가.pak", 100, 1700000000, kLocPak, 20231115, 71320);
    w.Record(u"KVGame/Movies/intro.bik", 200, 1700000100, kLocLoose, 20231115, 71500);
    w.U32(4 + 16 + 6 + 4 + 4);
    w.Text(end);
    return w.bytes;
}

int Load(const std::wstring& path, sFileListSaveLoad& header)
{
    CFile f;
    int r = f.Open(path.c_str(), kModeRead, 0);
    return r == 1 ? CFileInfoUtil::LoadFileList(&f, &header) : r;
}

std::unique_ptr<CFileInfo> Record(const wchar_t* name, uint32_t fileTime, uint32_t loc = kLocPak)
{
    auto r = std::make_unique<CFileInfo>();
    r->SetName(name);
    r->base.FileTime = fileTime;
    r->base.Loc = loc;
    return r;
}
} // namespace

TEST(FileInfo, FreshRecordBytesAndKeys)
{
    CFileInfo r;
    uint8_t bytes[kRecordBytes];
    r.WriteRecord(bytes);
    for (size_t i = 0; i < kRecordBytes; ++i)
    {
        uint8_t expected = 0;
        if (i == 64) expected = 2; // Loc = NoList
        if (i >= 68 && i < 71) expected = static_cast<uint8_t>("FIS"[i - 68]);
        EXPECT_EQ(bytes[i], expected) << "offset " << i;
    }

    r.SetName(L"KVGame\\Movies/intro.BIK");
    EXPECT_EQ(r.base.PathKey, Crc("KVGAME/MOVIES/INTRO.BIK")) << "backslashes count as slashes";
    EXPECT_EQ(r.base.NameKey, Crc("INTRO.BIK"));
    EXPECT_EQ(r.base.ExtKey, Crc(".BIK"));
    EXPECT_EQ(r.base.DirKey, Crc("KVGAME/MOVIES"));
    r.SetName(L"x");
    EXPECT_EQ(r.base.PathKey | r.base.NameKey | r.base.ExtKey | r.base.DirKey, 0u);

    // Every field lands at its offset and comes back.
    CFileInfo full;
    full.SetName(L"a/b.txt");
    full.base.FilePos = 0x01020304;
    full.base.ZipSum = 0xA1B2C3D4;
    full.base.Date = 20260101;
    uint8_t out[kRecordBytes + kNameBytes];
    full.WriteRecord(out);
    full.WriteName(out + kRecordBytes);
    EXPECT_EQ(ReadU32(out + 8), 0x01020304u);
    EXPECT_EQ(ReadU32(out + 100), 0xA1B2C3D4u);
    EXPECT_EQ(ReadU32(out + 76), 20260101u);
    EXPECT_EQ(out[kRecordBytes], 'a');
    EXPECT_EQ(out[kRecordBytes + 1], 0);
    CFileInfo back;
    back.ReadRecord(out);
    back.ReadName(out + kRecordBytes);
    EXPECT_EQ(back.Name(), L"a/b.txt");
    EXPECT_EQ(std::memcmp(&back.base, &full.base, sizeof(sFileInfoBase)), 0);

    // A name longer than the field is cut, never written past it.
    std::wstring longName(400, L'n');
    full.SetName(longName);
    EXPECT_EQ(full.Name().size(), 255u);
    full.WriteName(out + kRecordBytes);
    EXPECT_EQ(out[kRecordBytes + 510], 0);
}

TEST(FileInfo, EqualityUsesTheSameMinuteWithOneSecondTolerance)
{
    // 2023-11-14 10:59:59 local time, whatever the zone.
    sSystemTime st{2023, 11, 0, 14, 10, 59, 59, 0};
    time_t base = 0;
    ASSERT_TRUE(SystemTimeToTime(st, base));
    st.second = 58;
    time_t secondBefore = 0;
    ASSERT_TRUE(SystemTimeToTime(st, secondBefore));
    struct
    {
        int64_t delta;
        bool equal;
    } cases[] = {{0, true}, {-1, true}, {-2, false}, {1, false} /* 11:00:00 is another minute */};
    for (const auto& c : cases)
    {
        auto a = Record(L"d/f.dat", static_cast<uint32_t>(base));
        auto b = Record(L"d/f.dat", static_cast<uint32_t>(base + c.delta));
        EXPECT_EQ(a->Equals(b.get()), c.equal) << c.delta;
    }
    EXPECT_TRUE(Record(L"d/f.dat", secondBefore)->Equals(Record(L"d/f.dat", base).get()));

    auto a = Record(L"d/f.dat", static_cast<uint32_t>(base));
    auto b = Record(L"d/f.dat", static_cast<uint32_t>(base));
    b->base.size = 5;
    b->base.FilePos = 99;
    EXPECT_TRUE(a->Equals(b.get())) << "size and position are not compared";
    b->base.OrgSize = 1;
    EXPECT_FALSE(a->Equals(b.get()));
    b->base.OrgSize = 0;
    b->base.Sign = 0;
    EXPECT_FALSE(a->Equals(b.get()));
    EXPECT_FALSE(a->Equals(nullptr));
    EXPECT_FALSE(a->Equals(Record(L"d/g.dat", static_cast<uint32_t>(base)).get()));
}

TEST(FileInfo, SpecialRecordsAndTheLooseFileTimeRule)
{
    struct
    {
        uint32_t zip, enc, size, orgSize;
        bool plain, withSize;
    } cases[] = {{0, 0, 10, 10, false, false},     {1, 0, 10, 10, true, true},
                 {2, 0, 10, 10, true, true},       {3, 0, 10, 10, false, false},
                 {0, 4, 10, 10, true, true},       {0, 5, 10, 10, false, false},
                 {0, 0, 20480000, 5, false, true}, {0, 0, 5, 20479999, false, false}};
    for (const auto& c : cases)
    {
        CFileInfo r;
        r.base.zip = c.zip;
        r.base.enc = c.enc;
        r.base.size = c.size;
        r.base.OrgSize = c.orgSize;
        EXPECT_EQ(r.IsSpecial(false), c.plain) << c.zip << "/" << c.enc << "/" << c.size;
        EXPECT_EQ(r.IsSpecial(true), c.withSize) << c.zip << "/" << c.enc << "/" << c.size;
    }

    // The file's UTC time read back as local time is what the record time is compared with.
    const int64_t mtime = 1700000000;
    time_t utc = mtime;
    std::tm tm{};
    gmtime_r(&utc, &tm);
    tm.tm_isdst = -1;
    const int64_t asLocal = mktime(&tm);
    EXPECT_TRUE(LooseFileTimeMatches(static_cast<uint32_t>(asLocal + 39999), mtime));
    EXPECT_TRUE(LooseFileTimeMatches(static_cast<uint32_t>(asLocal - 40000), mtime));
    EXPECT_FALSE(LooseFileTimeMatches(static_cast<uint32_t>(asLocal + 40001), mtime));
    CFileInfo r;
    r.base.OrgSize = 10;
    r.base.FileTime = static_cast<uint32_t>(asLocal);
    EXPECT_TRUE(r.MatchesLooseFile(10, mtime));
    EXPECT_FALSE(r.MatchesLooseFile(11, mtime));
}

TEST(FileList, LoadsAnIndependentlyWrittenListAndSavesItBackByteForByte)
{
    testsupport::TempDir dir;
    std::string bytes = ListFile(2);
    std::wstring path = dir.WriteFile(L"list.info", bytes);
    vFileInfo list;
    sFileListSaveLoad header;
    header.list = &list;
    ASSERT_EQ(Load(path, header), 1);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(header.string1, u"abc");
    EXPECT_EQ(header.string2, u"de");
    EXPECT_EQ(list.At(0)->Name(), L"Data/가.pak");
    EXPECT_EQ(list.At(0)->base.PathKey, 0x11111111u) << "stored keys are kept";
    EXPECT_EQ(list.At(1)->base.OrgCrc, 0xCAFEBABEu);

    CFile out;
    ASSERT_EQ(out.Open(dir.Join(L"saved.info").c_str(), kModeCreate, 0), 1);
    ASSERT_EQ(CFileInfoUtil::SaveFileList(&out, &header), 1);
    out.Close();
    EXPECT_TRUE(dir.ReadFile(L"saved.info") == bytes);
}

TEST(FileList, BadMagicsTruncationAndHostileCounts)
{
    testsupport::TempDir dir;
    vFileInfo list;
    sFileListSaveLoad header;
    header.list = &list;

    std::string bad = ListFile(2);
    bad[0] = 'X';
    EXPECT_EQ(Load(dir.WriteFile(L"a.info", bad), header), kErrorInvalidData);
    EXPECT_EQ(list.Count(), 0u);

    EXPECT_EQ(Load(dir.WriteFile(L"b.info", ListFile(2, "FILX")), header), kErrorInvalidData);
    EXPECT_EQ(list.Count(), 2u) << "records read before the closing magic stay";

    EXPECT_EQ(Load(dir.WriteFile(L"c.info", ListFile(2, "FILE", "ZZZZ")), header), 1)
        << "the table magic is not checked";

    // Cut inside the second record's name: that record is kept with what arrived, then the
    // closing magic is missing. Cut before its name: the record is dropped.
    std::string full = ListFile(2);
    size_t secondRecord = 4 + 16 + 10 + 8 + 620;
    EXPECT_EQ(Load(dir.WriteFile(L"d.info", full.substr(0, secondRecord + 108)), header), kErrorInvalidData);
    EXPECT_EQ(list.Count(), 1u);

    // A count of four billion with two records present: bounded by the data, quick.
    EXPECT_EQ(Load(dir.WriteFile(L"e.info", ListFile(0xFFFFFFFFu)), header), kErrorInvalidData);
    EXPECT_EQ(list.Count(), 2u);

    // Header strings longer than the file.
    std::string huge = ListFile(2);
    huge[8] = '\xFF';
    huge[9] = '\xFF';
    huge[10] = '\xFF';
    huge[11] = '\x7F';
    EXPECT_EQ(Load(dir.WriteFile(L"f.info", huge), header), kErrorInvalidData);

    // A name that fills its whole field has no terminator: it was longer than a record holds, and
    // taken cut it would name another file. 255 units and a terminator are the longest name.
    for (size_t units : {255u, 256u})
    {
        sListWriter w;
        w.Text("FILS");
        for (int i = 0; i < 4; ++i)
            w.U32(0);
        w.Text("FILZ");
        w.U32(1);
        w.Record(std::u16string(units, u'a'), 10, 1700000000, kLocPak);
        w.U32(24);
        w.Text("FILE");
        int r = Load(dir.WriteFile(L"long.info", w.bytes), header);
        EXPECT_EQ(r, units == 255 ? 1 : kErrorNameTooLong) << units;
        EXPECT_EQ(list.Count(), units == 255 ? 1u : 0u) << units;
    }
    EXPECT_TRUE(CFileInfo::FitsName(std::wstring(255, L'a')));
    EXPECT_FALSE(CFileInfo::FitsName(std::wstring(254, L'a') + L"\U0001F600"));

    // A raised stop flag ends the load.
    CStopper::SetStopRequested(true);
    int stopped = Load(dir.WriteFile(L"g.info", ListFile(2)), header);
    CStopper::SetStopRequested(false);
    EXPECT_EQ(stopped, kErrorStopped);
}

TEST(FileList, EmptyDateAndTimeAreFilledFromTheFileTime)
{
    testsupport::TempDir dir;
    sListWriter w;
    w.Text("FILS");
    for (int i = 0; i < 4; ++i)
        w.U32(0);
    w.Text("FILZ");
    w.U32(1);
    w.Record(u"a.txt", 1, 1700000000, kLocPak);
    w.U32(24);
    w.Text("FILE");
    vFileInfo list;
    sFileListSaveLoad header;
    header.list = &list;
    ASSERT_EQ(Load(dir.WriteFile(L"t.info", w.bytes), header), 1);
    sSystemTime t = LocalTime(1700000000);
    EXPECT_EQ(list.At(0)->base.Date, t.year * 10000u + t.month * 100u + t.day);
    EXPECT_EQ(list.At(0)->base.Time, t.hour * 10000u + t.minute * 100u + t.second);
}

TEST(FileList, VersionRecordIs528Bytes)
{
    testsupport::TempDir dir;
    CFile f;
    ASSERT_EQ(f.Open(dir.Join(L"FileInfoVersion.ver").c_str(), kModeCreate, 0), 1);
    sListVersion v{0x01000002, L"Info/ServerFiles_2.zip"};
    uint32_t n = 0;
    ASSERT_EQ(CFileInfoUtil::WriteVersionRecord(&f, &v, &n), 1);
    EXPECT_EQ(n, 528u);
    f.Close();
    std::string bytes = dir.ReadFile(L"FileInfoVersion.ver");
    ASSERT_EQ(bytes.size(), 528u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x02\x00\x00\x01", 4));
    EXPECT_EQ(bytes.substr(16, 4), std::string("I\0n\0", 4));
    ASSERT_EQ(f.Open(dir.Join(L"FileInfoVersion.ver").c_str(), kModeRead, 0), 1);
    sListVersion back;
    ASSERT_EQ(CFileInfoUtil::ReadVersionRecord(&f, &back, &n), 1);
    EXPECT_EQ(back.version, v.version);
    EXPECT_EQ(back.listPath, v.listPath);
}

TEST(FileInfoLists, FindSortCountAndMerge)
{
    vFileInfo list;
    auto add = [&list](const wchar_t* name, uint32_t pos, uint32_t size, uint32_t loc, uint32_t deleted = 0)
    {
        auto* r = new CFileInfo;
        r->SetName(name);
        r->base.FilePos = pos;
        r->base.size = size;
        r->base.Loc = loc;
        r->base.deleted = deleted;
        list.Add(r);
        return r;
    };
    CFileInfo* b = add(L"Data/B.pak", 300, 5, kLocPak);
    CFileInfo* a = add(L"data/a.pak", 100, 9, kLocPak);
    add(L"Data/free", 100, 3, kLocPak, 1);
    add(L"nowhere/loose.txt", 0, 1, kLocLoose);
    add(L"Data/unplaced.pak", 0, 1, kLocNoList);

    EXPECT_EQ(list.Find(L"DATA/A.PAK", kFindFullName), a);
    EXPECT_EQ(list.FindNormalized(L"data\\b.pak", kFindFullName), b);
    EXPECT_EQ(list.Find(L"B.PAK", kFindFileName), b);
    EXPECT_EQ(list.Find(L"Data/free", kFindFullName), nullptr) << "free records are never found";
    EXPECT_EQ(list.Find(L"nowhere/loose.txt", kFindFullName), nullptr) << "a loose record needs its file";
    EXPECT_EQ(list.Find(L"data/a.pak", 2), nullptr);
    EXPECT_EQ(list.CountLive(false), 4u);
    EXPECT_EQ(list.CountLive(true), 2u);

    list.Sort(kSortByPosition);
    EXPECT_EQ(list.At(2)->Name(), L"Data/free") << "ties on position go by size";
    EXPECT_EQ(list.At(3), a);
    EXPECT_EQ(list.At(4), b);
    list.Sort(kSortByName);
    EXPECT_EQ(list.At(0), a);
    EXPECT_EQ(list.At(1), b);

    mapFileInfo map;
    list.BuildPathMap(map);
    EXPECT_EQ(map.Count(), 5u);
    EXPECT_EQ(map.FindByName(L"DATA\\B.PAK", kFindFullName), b);
    EXPECT_TRUE(map.ContainsEqual(b, b->base.PathKey));
    EXPECT_TRUE(map.RemoveEqual(b, b->base.PathKey));
    EXPECT_EQ(map.Bucket(b->base.PathKey), nullptr) << "an emptied bucket is erased";
    map.Clear(); // the list still owns the records: no double delete

    // MergeFrom copies our record into theirs but keeps their sizes and time.
    a->base.OrgCrc = 0x1234;
    vFileInfo server;
    auto* theirs = new CFileInfo;
    theirs->SetName(L"Data/A.pak");
    theirs->base.size = 77;
    theirs->base.OrgSize = 78;
    theirs->base.FileTime = 1700000000;
    server.Add(theirs);
    list.MergeFrom(server);
    EXPECT_EQ(theirs->base.OrgCrc, 0x1234u);
    EXPECT_EQ(theirs->base.size, 77u);
    EXPECT_EQ(theirs->base.OrgSize, 78u);
    EXPECT_EQ(theirs->base.FileTime, 1700000000u);

    // RemoveCommon drops what the other list holds an equal record of.
    vFileInfo same;
    auto* copy = new CFileInfo;
    copy->CopyFrom(*b);
    same.Add(copy);
    size_t before = list.Count();
    list.RemoveCommon(same);
    EXPECT_EQ(list.Count(), before - 1);
    EXPECT_EQ(list.Find(L"Data/B.pak", kFindFullName), nullptr);
}

TEST(FileInfoLists, ReportListsPlacedRecordsInCp949)
{
    testsupport::TempDir dir;
    vFileInfo list;
    const wchar_t* names[] = {L"가/one.dat", L"two.dat", L"three.dat"};
    uint32_t locs[] = {kLocPak, kLocLoose, kLocNoList};
    for (int i = 0; i < 3; ++i)
    {
        auto* r = new CFileInfo;
        r->SetName(names[i]);
        r->base.Loc = locs[i];
        r->base.OrgSize = 2048;
        r->base.size = 1024;
        r->base.Date = 20260102;
        r->base.Time = 30405;
        list.Add(r);
    }
    std::wstring path = CFileInfoUtil::WriteListReport(dir.Join(L"reports/list"), &list, 3723000, false);
    ASSERT_FALSE(path.empty());
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(
        text,
        "File Count : 3\r\nTime - 01:02:03\r\n"
        "\r\nOrgTotalSize : 4.00 KB\r\nZipTotalSize : 2.00 KB\r\n\r\n"
        "\xB0\xA1/one.dat - 20260102_030405 - InfoPos:0 - FilePos:0 - size:1024 - unzipsize:0 - zip:0 - "
        "enc:0 - deleted:0 - Loc:1\r\n"
        "two.dat - 20260102_030405 - InfoPos:0 - FilePos:0 - size:1024 - unzipsize:0 - zip:0 - enc:0 - "
        "deleted:0 - Loc:0\r\n");
    vFileInfo empty;
    EXPECT_TRUE(CFileInfoUtil::WriteListReport(dir.Join(L"reports/none"), &empty, 0, false).empty());
}

TEST(FileInfoLists, ReportIsOpenedOnlyWhenAskedAndWrittenWhole)
{
    class CRecordingOpener : public IReportOpener
    {
    public:
        void Open(const std::wstring& path) override { opened.push_back(path); }
        std::vector<std::wstring> opened;
    };
    testsupport::TempDir dir;
    vFileInfo list;
    auto* r = new CFileInfo;
    r->SetName(L"one.dat");
    r->base.Loc = kLocPak;
    list.Add(r);
    struct sCase
    {
        bool open;
        bool stopped;
        bool opened;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const sCase& c : cases)
    {
        CRecordingOpener opener;
        CStopper::SetStopRequested(c.stopped);
        std::wstring path = CFileInfoUtil::WriteListReport(dir.Join(L"open/list"), &list, 0, c.open, &opener);
        CStopper::SetStopRequested(false);
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(opener.opened, c.opened ? std::vector<std::wstring>{path} : std::vector<std::wstring>{})
            << "open " << c.open << " stopped " << c.stopped;
    }
}
