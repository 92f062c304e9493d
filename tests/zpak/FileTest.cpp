#include "zpak/file/File.h"
#include "platform/fs/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace ZP;

TEST(CFile, OpenModes)
{
    testsupport::TempDir dir;
    CFile f;
    EXPECT_EQ(f.Open(nullptr, kModeRead, 0), kErrorInvalidFileName);
    EXPECT_EQ(f.Open(L"", kModeRead, 0), kErrorInvalidFileName);
    EXPECT_EQ(f.Open(dir.Join(L"missing").c_str(), kModeRead, 0), kErrorFileOpen);
    EXPECT_EQ(f.Open(dir.Join(L"x").c_str(), 7, 0), 0);

    // Mode 2 creates the folders and empties an existing file; paths may use backslashes.
    std::wstring path = dir.Path() + L"\\deep\\er\\f.bin";
    ASSERT_EQ(f.Open(path.c_str(), kModeCreate, 5), 1);
    EXPECT_EQ(f.GetKind(), kKindLocal);
    EXPECT_EQ(f.GetValue(), 5);
    EXPECT_EQ(f.Write("abcdef", 6), 6u);
    EXPECT_EQ(f.WriteUInt32(0x04030201u), 4u);
    EXPECT_EQ(f.GetPosition(), 10u);
    f.Close();
    EXPECT_FALSE(f.IsOpened());
    EXPECT_EQ(dir.ReadFile(L"deep/er/f.bin"), std::string("abcdef\x01\x02\x03\x04", 10));

    // Mode 1 keeps the content; Reopen of a mode-2 file reopens it with mode 1 at the position.
    ASSERT_EQ(f.Open(path.c_str(), kModeReadWrite, 0), 1);
    EXPECT_EQ(f.GetSize(), 10u);
    EXPECT_EQ(f.Seek(6), 6u);
    EXPECT_EQ(f.ReadUInt32(), 0x04030201u);
    EXPECT_TRUE(f.IsAtEnd());
    EXPECT_EQ(f.ReadUInt32(), 0u) << "a short read gives 0";
    EXPECT_EQ(f.SeekFrom(4, 2), 6u);
    EXPECT_EQ(f.SeekFrom(-2, 1), 4u);
    EXPECT_EQ(f.SeekFrom(0, 9), 0u);
    EXPECT_TRUE(f.Truncate(3));
    EXPECT_EQ(f.GetSize(), 3u);
    f.Close();
    ASSERT_EQ(f.Open(path.c_str(), kModeCreate, 9), 1);
    ASSERT_EQ(f.Reopen(0), 1);
    EXPECT_EQ(f.GetMode(), kModeReadWrite);
    EXPECT_EQ(f.GetValue(), 9);
}

TEST(CFile, FindUInt32AndCopyWithin)
{
    testsupport::TempDir dir;
    std::string data;
    for (uint32_t v : {10u, 20u, 30u, 40u})
        data.append(reinterpret_cast<const char*>(&v), 4);
    std::wstring path = dir.WriteFile(L"table.bin", data);
    CFile f;
    ASSERT_EQ(f.Open(path.c_str(), kModeReadWrite, 0), 1);
    f.Seek(2);
    EXPECT_EQ(f.FindUInt32(4, 30), 8u);
    EXPECT_EQ(f.GetPosition(), 2u) << "the position is restored";
    // No match: positions 0..16 are tried, then the first position past the size plus a stride.
    EXPECT_EQ(f.FindUInt32(4, 99), 24u);

    // Overlapping moves in both directions, across several copy blocks.
    std::string big(250000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i % 251);
    std::wstring bigPath = dir.WriteFile(L"big.bin", big + std::string(50000, '-'));
    CFile g;
    ASSERT_EQ(g.Open(bigPath.c_str(), kModeReadWrite, 0), 1);
    ASSERT_TRUE(g.CopyWithin(0, 50000, 250000));
    g.Close();
    std::string moved = dir.ReadFile(L"big.bin");
    EXPECT_EQ(moved.substr(50000), big);
    ASSERT_EQ(g.Open(bigPath.c_str(), kModeReadWrite, 0), 1);
    ASSERT_TRUE(g.CopyWithin(50000, 0, 250000));
    g.Close();
    EXPECT_EQ(dir.ReadFile(L"big.bin").substr(0, 250000), big);
}

TEST(CFile, ReadAllTimesAndRawCreate)
{
    testsupport::TempDir dir;
    std::wstring path = dir.WriteFile(L"all.txt", "whole content");
    CFile f;
    ASSERT_EQ(f.Open(path.c_str(), kModeRead, 0), 1);
    char* copy = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(f.ReadAll(&copy, true, &size), 1);
    EXPECT_EQ(std::string(copy, size), "whole content");
    EXPECT_EQ(std::string(f.GetReadAllBuffer(), f.GetReadAllSize()), "whole content");
    FreeBuffer(copy);
    f.FreeReadAllBuffer();
    EXPECT_EQ(f.GetReadAllBuffer(), nullptr);

    ASSERT_TRUE(f.SetLastWriteTime(1700000000));
    time_t t = 0;
    ASSERT_TRUE(f.GetLastWriteTime(t, false));
    EXPECT_EQ(t, 1700000000);
    ASSERT_TRUE(f.GetLastWriteTime(t, true));
    EXPECT_EQ(t, 1700000000) << "through local time and back is the same instant";
    sSystemTime utc;
    ASSERT_TRUE(f.GetLastWriteSystemTime(utc));
    EXPECT_EQ(utc.year, 2023);
    EXPECT_EQ(utc.month, 11);
    EXPECT_EQ(utc.day, 14);
    EXPECT_EQ(utc.hour, 22);
    EXPECT_EQ(utc.minute, 13);
    utc.second = 21;
    ASSERT_TRUE(f.SetLastWriteSystemTime(utc));
    FileTime ft = 0;
    ASSERT_TRUE(f.GetLastWriteFileTime(ft));
    EXPECT_EQ(ft, TimeToFileTime(1700000001));
    f.Close();

    CFile raw;
    EXPECT_EQ(raw.CreateRaw(path.c_str(), kAccessRead | kAccessWrite, 0, kCreateNew, 0), kErrorFileOpen);
    ASSERT_EQ(raw.CreateRaw(dir.Join(L"new.bin").c_str(), kAccessWrite, 0, kCreateNew, 0), 1);
    EXPECT_EQ(raw.Write("x", 1), 1u);
    raw.Close();
    ASSERT_EQ(raw.CreateRaw(path.c_str(), kAccessRead, 0, kTruncateExisting, 0), 1);
    EXPECT_EQ(raw.GetSize(), 0u);
}
