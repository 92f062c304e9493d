#include "zpak/common/CommonFunction.h"
#include "platform/fs/FileSystem.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempDir.h"
#include "zpak/common/SystemDir.h"
#include "zpak/info/FileInfo.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(CommonFunction, PathPartsJoinsAndSeparators)
{
    std::wstring drive, folder, name, ext;
    ZP::SplitPath(L"C:\\Game\\Data\\file.tar.gz", &drive, &folder, &name, &ext);
    EXPECT_EQ(drive, L"C:");
    EXPECT_EQ(folder, L"\\Game\\Data\\");
    EXPECT_EQ(name, L"file.tar");
    EXPECT_EQ(ext, L".gz");
    EXPECT_EQ(ZP::GetFileNameWithExt(L"a/b/c.txt"), L"c.txt");
    EXPECT_EQ(ZP::GetFolderPart(L"a/b/c.txt"), L"a/b");
    EXPECT_EQ(ZP::GetFolderPart(L"C:\\x.txt"), L"C:");
    EXPECT_EQ(ZP::GetFolderPart(L"c.txt"), L"");
    EXPECT_EQ(ZP::GetExtension(L"dir.v2/name"), L"") << "a dot in a folder name is no extension";

    EXPECT_EQ(ZP::JoinPath(L"", L"name"), L"name");
    EXPECT_EQ(ZP::JoinPath(L"x", L"name"), L"x/name");
    EXPECT_EQ(ZP::RemoveTrailingSeparator(L"a/b//"), L"a/b/");
    EXPECT_EQ(ZP::RemoveLeadingSeparator(L"\\a\\", true), L"a");
    bool found = false;
    EXPECT_EQ(ZP::BackslashToSlash(L"a\\b/c", &found), L"a/b/c");
    EXPECT_TRUE(found);
    EXPECT_EQ(ZP::RemovePrefixFolder(L"C:/Game/Data/x.pak", L"c:\\game\\"), L"Data/x.pak");
    EXPECT_EQ(ZP::RemovePrefixFolder(L"C:/Games/x.pak", L"C:/Game"), L"C:/Games/x.pak");
}

TEST(CommonFunction, NumbersVersionsAndSizes)
{
    struct
    {
        int64_t value;
        const wchar_t* text;
    } numbers[] = {{0, L"0"},          {999, L"999"},
                   {1000, L"1,000"},   {1234567, L"1,234,567"},
                   {-1234, L"-1,234"}, {INT64_MIN, L"-9,223,372,036,854,775,808"}};
    for (const auto& n : numbers)
        EXPECT_EQ(ZP::NumberText(n.value), n.text) << n.value;
    EXPECT_EQ(ZP::NumberTextUnsigned(18446744073709551615ULL), L"18,446,744,073,709,551,615");

    EXPECT_EQ(ZP::TextToVersion(L"2.4.1.0"), 0x02040100u);
    EXPECT_EQ(ZP::TextToVersion(L"2.256.1.0"), 0u);
    EXPECT_EQ(ZP::TextToVersion(L"1.2"), 0x01020000u);
    EXPECT_EQ(ZP::TextToVersion(L"99999999999999999999.1.1.1"), 0u);
    EXPECT_EQ(ZP::VersionToText(0x02040100u), L"2.4.1.0");

    struct
    {
        uint64_t bytes;
        const wchar_t* text;
    } sizes[] = {{0, L"0 bytes"},          {1023, L"1023 bytes"},         {1024, L"1.00 KB"},
                 {1536, L"1.50 KB"},       {10 * 1024 + 999, L"10.9 KB"}, {500 * 1024, L"500 KB"},
                 {5ULL << 20, L"5.00 MB"}, {3ULL << 30, L"3.00 GB"}};
    for (const auto& s : sizes)
        EXPECT_EQ(ZP::ByteSizeText(s.bytes), s.text) << s.bytes;
}

TEST(CommonFunction, UrlEscaping)
{
    std::wstring out;
    ASSERT_EQ(ZP::EscapeUrl(L"http://host/data/가.dat", out), 1);
    EXPECT_EQ(out, L"http://host/data/%ea%b0%80.dat");
    ASSERT_EQ(ZP::EscapeUrl(L"http://host/a b/c#1?.dat", out), 1);
    EXPECT_EQ(out, L"http://host/a%20b/c%231%3f.dat");
    ASSERT_EQ(ZP::EscapeUrl(L"http://host/x/../50%.txt", out), 1);
    EXPECT_EQ(out, L"http://host/50%.txt");
    EXPECT_EQ(ZP::EscapeUrl(L"", out), ZP::kErrorInvalidString);
    EXPECT_EQ(ZP::EscapeUrl(L"not a url", out), 12005);
}

TEST(CommonFunction, FileTimesRoundTrip)
{
    const time_t t = 1700000000;
    EXPECT_EQ(ZP::TimeToFileTime(t), (1700000000ULL + 11644473600ULL) * 10000000ULL);
    time_t back = 0;
    // Local file time -> fields read as local time gives the original instant back.
    ASSERT_TRUE(ZP::FileTimeToTime(ZP::TimeToFileTime(t, true), false, back));
    EXPECT_EQ(back, t);
    ASSERT_TRUE(ZP::FileTimeToTime(ZP::TimeToFileTime(t), true, back));
    EXPECT_EQ(back, t);
    EXPECT_FALSE(ZP::FileTimeToTime(0, false, back)) << "years before 1900 fail";

    ZP::sSystemTime st = ZP::LocalTime(t);
    time_t again = 0;
    ASSERT_TRUE(ZP::SystemTimeToTime(st, again));
    EXPECT_EQ(again, t);
    ZP::sSystemTime fixed{2026, 3, 0, 4, 5, 6, 7, 0};
    EXPECT_EQ(ZP::TimeStamp(fixed), L"20260304_050607");
    EXPECT_EQ(ZP::ShortTimeStamp(fixed), L"260304_050607");
}

// Nine hours east of UTC, where a local conversion taken for a UTC one (or the reverse) shows.
TEST(CommonFunction, FileTimesAwayFromUtc)
{
    testsupport::ScopedTimeZone zone("KST-9");
    const time_t t = 1700000000;
    const time_t nineHours = 9 * 3600;
    EXPECT_EQ(ZP::TimeToFileTime(t, true), ZP::TimeToFileTime(t + nineHours));
    time_t back = 0;
    ASSERT_TRUE(ZP::FileTimeToTime(ZP::TimeToFileTime(t), false, back));
    EXPECT_EQ(back, t - nineHours) << "the UTC fields are read back as local time";
    ASSERT_TRUE(ZP::FileTimeToTime(ZP::TimeToFileTime(t), true, back));
    EXPECT_EQ(back, t);

    ZP::sSystemTime local = ZP::LocalTime(t);
    EXPECT_EQ(local.day * 100 + local.hour, 1507) << "2023-11-15 07:13:20 local";
    ZP::sSystemTime utc;
    ASSERT_TRUE(ZP::UtcTime(t, 250, utc));
    EXPECT_EQ(utc.day * 100 + utc.hour, 1422);
    ASSERT_TRUE(ZP::SystemTimeToTime(local, back));
    EXPECT_EQ(back, t);

    // A record time nine hours before the file's time is the same moment; eighteen hours is not.
    EXPECT_TRUE(ZP::LooseFileTimeMatches(static_cast<uint32_t>(t - nineHours), t));
    EXPECT_FALSE(ZP::LooseFileTimeMatches(static_cast<uint32_t>(t + nineHours), t));
}

TEST(CommonFunction, FoldersAndFiles)
{
    testsupport::TempDir dir;
    std::wstring deep = dir.Path() + L"\\a\\b\\c";
    ASSERT_TRUE(ZP::CreateFolderTree(deep));
    EXPECT_TRUE(ZP::CreateFolderTree(deep)) << "an existing folder is fine";
    EXPECT_TRUE(ZP::FolderExists(dir.Join(L"a/b/c")));
    dir.WriteFile(L"a/one.txt", "1");
    dir.WriteFile(L"a/b/two.txt", "22");
    dir.WriteFile(L"a/b/c/three.txt", "333");

    std::vector<std::wstring> files, folders;
    ASSERT_TRUE(ZP::ListFolder(dir.Join(L"a"), false, files, &folders));
    EXPECT_EQ(files, std::vector<std::wstring>{dir.Join(L"a/one.txt")});
    EXPECT_EQ(folders, std::vector<std::wstring>{dir.Join(L"a/b")});
    files.clear();
    ASSERT_TRUE(ZP::ListFolder(dir.Join(L"a"), true, files));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{dir.Join(L"a/b/c/three.txt"), dir.Join(L"a/b/two.txt"),
                                                dir.Join(L"a/one.txt")}));

    std::wstring one = dir.Join(L"a/one.txt");
    ASSERT_TRUE(ZP::SetAttributes(one, platform::fs::kAttrReadOnly));
    EXPECT_TRUE(ZP::GetAttributes(one) & platform::fs::kAttrReadOnly);
    EXPECT_TRUE(ZP::RenameFile(dir.Join(L"a/uno.txt"), one)) << "new name first, old name second";
    EXPECT_TRUE(ZP::DeleteFile(dir.Join(L"a/uno.txt"))) << "read-only files are deleted";
    EXPECT_FALSE(ZP::DeleteFile(dir.Join(L"a/uno.txt")));
    EXPECT_EQ(ZP::GetAttributes(dir.Join(L"a/uno.txt")), ZP::kInvalidAttributes);
    EXPECT_TRUE(ZP::CreateParentFolders(dir.Join(L"x/y/z.txt")));
    EXPECT_TRUE(ZP::FolderExists(dir.Join(L"x/y")));

    EXPECT_FALSE(ZP::RemoveFolderTree(dir.Join(L"a"), false)) << "files stay without the delete flag";
    EXPECT_TRUE(ZP::RemoveFolderTree(dir.Join(L"a"), true));
    EXPECT_FALSE(ZP::FolderExists(dir.Join(L"a")));
}

TEST(CommonFunction, RemovingATreeNeverFollowsLinksOut)
{
    testsupport::TempDir outside, dir;
    outside.WriteFile(L"keep.txt", "precious");
    dir.WriteFile(L"tree/file.txt", "x");
    std::string link = dir.NativePath() + "/tree/link";
    ASSERT_EQ(symlink(outside.NativePath().c_str(), link.c_str()), 0);
    EXPECT_TRUE(ZP::RemoveFolderTree(dir.Join(L"tree"), true));
    EXPECT_EQ(outside.ReadFile(L"keep.txt"), "precious");
}

TEST(CommonFunction, RemovingATreeStopsAtAFileThatCannotBeDeleted)
{
    // Running as root, permissions cannot make a file undeletable: replace the delete operation.
    struct CStubborn : ZP::ZP_CommonFunction
    {
        bool DeleteFile(std::wstring_view path) override
        {
            return path.find(L"locked") == std::wstring_view::npos && ZP_CommonFunction::DeleteFile(path);
        }
    } stubborn;
    ZP::ZP_CommonFunction* previous = ZP::SetCommonFunction(&stubborn);
    testsupport::TempDir dir;
    dir.WriteFile(L"tree/sub/locked.txt", "x");
    bool removed = ZP::RemoveFolderTree(dir.Join(L"tree"), true);
    ZP::SetCommonFunction(nullptr);
    (void)previous;
    EXPECT_FALSE(removed);
    EXPECT_TRUE(ZP::FileExists(dir.Join(L"tree/sub/locked.txt")));
    EXPECT_TRUE(ZP::FolderExists(dir.Join(L"tree")));
}

TEST(CommonFunction, DiskSpaceAndSystemFolders)
{
    testsupport::TempDir dir;
    uint64_t free = 0;
    ASSERT_TRUE(ZP::GetFreeSpace(dir.Path(), free));
    EXPECT_GT(free, 0u);
    EXPECT_TRUE(ZP::HasFreeSpace(dir.Join(L"not/yet/there.bin"), 1));
    EXPECT_FALSE(ZP::HasFreeSpace(dir.Path(), free + (1ULL << 40)));

    std::wstring folder;
    EXPECT_TRUE(ZP::CSystemDir::Get().GetFolder(ZP::CSystemDir::Current, folder));
    EXPECT_EQ(folder, ZP::DefaultFolder(L""));
    EXPECT_TRUE(ZP::CSystemDir::Get().GetFolder(ZP::CSystemDir::Temporary, folder));
    EXPECT_FALSE(ZP::CSystemDir::Get().GetFolder(9, folder));
    EXPECT_EQ(ZP::CSystemDir::Get().FolderKindOf(L"desktop"), 6);
    EXPECT_EQ(ZP::CSystemDir::Get().FolderKindOf(L"nowhere"), 8);
}
