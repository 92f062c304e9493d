#include "zpak/pak/PakLock.h"
#include "tests/support/TempDir.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

using namespace ZP;

// Two lock objects exclude each other as two processes do (each holds its own open of the file).
TEST(PakLock, WritersExcludeEveryoneReadersOnlyWriters)
{
    testsupport::TempDir dir;
    const std::wstring game = dir.Path();
    struct
    {
        bool firstWrites, secondWrites;
        int second;
    } cases[] = {
        {true, true, kErrorPakLocked},
        {true, false, kErrorPakLocked},
        {false, true, kErrorPakLocked},
        {false, false, 1},
    };
    CPakLock seed;
    ASSERT_EQ(seed.Acquire({game}, true, false), 1); // creates the lock file
    seed.Release();
    for (const auto& c : cases)
    {
        CPakLock first, second;
        ASSERT_EQ(first.Acquire({game}, c.firstWrites, false), 1);
        EXPECT_EQ(second.Acquire({game}, c.secondWrites, false), c.second) << c.firstWrites << c.secondWrites;
        EXPECT_EQ(second.IsHeld(), c.second == 1);
        first.Release();
        EXPECT_EQ(second.Acquire({game}, c.secondWrites, false), 1) << "released with its holder";
    }

    // A refused writer keeps nothing: the folder it did lock is free again.
    testsupport::TempDir other;
    CPakLock reader, writer;
    ASSERT_EQ(reader.Acquire({other.Path()}, true, false), 1);
    EXPECT_EQ(writer.Acquire({game, other.Path()}, true, false), kErrorPakLocked);
    CPakLock probe;
    EXPECT_EQ(probe.Acquire({game}, true, false), 1);
}

TEST(PakLock, ReadersCreateNothingAndTheLockFileIsHidden)
{
    testsupport::TempDir dir;
    CPakLock reader;
    EXPECT_EQ(reader.Acquire({dir.Path()}, false, false), 1);
    EXPECT_FALSE(FileExists(CPakLock::LockFilePath(dir.Path())));
    EXPECT_EQ(CPakLock::FolderOfPak(L"game.pak"), L".");
    EXPECT_EQ(CPakLock::FolderOfPak(L"G\\sub\\game.pak"), L"G/sub");
    EXPECT_EQ(CPakLock::LockFilePath(L"G/")[2], L'.');
}
