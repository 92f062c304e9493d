#include "platform/fs/FileReplace.h"
#include "platform/fs/FileSystem.h"
#include "platform/process/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace platform::fs;
namespace stdfs = std::filesystem;

namespace
{
stdfs::perms PermsOf(const std::wstring& path)
{
    return stdfs::status(NativePath(path)).permissions() & stdfs::perms::mask;
}
} // namespace

TEST(FileReplace, NewContentTakesTheOldFilesPermissionsAndLeavesNoPartFile)
{
    testsupport::TempDir dir;
    const stdfs::perms cases[] = {
        stdfs::perms::owner_all | stdfs::perms::group_read | stdfs::perms::group_exec,
        stdfs::perms::owner_read | stdfs::perms::owner_write | stdfs::perms::group_read};
    for (stdfs::perms mode : cases)
    {
        std::wstring target = dir.WriteFile(L"VelmoraLauncher", "old launcher");
        stdfs::permissions(NativePath(target), mode);
        std::string body = testsupport::RandomBytes(300000, 7);
        ASSERT_EQ(ReplaceFileContents(target, body.data(), body.size()), eReplaceResult::Done);
        EXPECT_TRUE(testsupport::SameBytes(dir.ReadFile(L"VelmoraLauncher"), body));
        EXPECT_EQ(PermsOf(target), mode);
        EXPECT_FALSE(Exists(ReplacePartPath(target)));
    }
}

TEST(FileReplace, CopyOfAProgramIsAProgramAndAMissingSourceChangesNothing)
{
    testsupport::TempDir dir;
    std::wstring original = dir.WriteFile(L"VelmoraLauncher", "#!/bin/sh\nexit 0\n");
    stdfs::permissions(NativePath(original), stdfs::perms::owner_all);
    std::wstring clone = dir.WriteFile(L"VelmoraLauncher.cln", "stale clone");

    ASSERT_EQ(ReplaceFileWithCopy(original, clone), eReplaceResult::Done);
    EXPECT_EQ(dir.ReadFile(L"VelmoraLauncher.cln"), "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(PermsOf(clone), stdfs::perms::owner_all);

    EXPECT_EQ(ReplaceFileWithCopy(dir.Join(L"missing"), clone), eReplaceResult::CreateFailed);
    EXPECT_EQ(dir.ReadFile(L"VelmoraLauncher.cln"), "#!/bin/sh\nexit 0\n");
}

TEST(FileReplace, LeftoverPartFileIsReplacedAndALinkThereIsNotFollowed)
{
    testsupport::TempDir dir;
    std::wstring target = dir.WriteFile(L"FWLDRS.dll", "old pack");
    std::wstring outside = dir.WriteFile(L"elsewhere", "must stay");
    stdfs::create_symlink(NativePath(outside), NativePath(ReplacePartPath(target)));

    ASSERT_EQ(ReplaceFileContents(target, "new pack", 8), eReplaceResult::Done);
    EXPECT_EQ(dir.ReadFile(L"FWLDRS.dll"), "new pack");
    EXPECT_EQ(dir.ReadFile(L"elsewhere"), "must stay");
    EXPECT_FALSE(stdfs::is_symlink(NativePath(ReplacePartPath(target))));
}

TEST(FileReplace, FailuresLeaveTheTargetAndNoPartFile)
{
    testsupport::TempDir dir;
    // No folder to write into.
    EXPECT_EQ(ReplaceFileContents(dir.Join(L"missing/VelmoraLauncher"), "x", 1),
              eReplaceResult::CreateFailed);
    // A folder with content cannot be renamed over.
    dir.WriteFile(L"VelmoraLauncher/inside", "keep");
    EXPECT_EQ(ReplaceFileContents(dir.Join(L"VelmoraLauncher"), "x", 1), eReplaceResult::RenameFailed);
    EXPECT_EQ(dir.ReadFile(L"VelmoraLauncher/inside"), "keep");
    EXPECT_FALSE(Exists(ReplacePartPath(dir.Join(L"VelmoraLauncher"))));
}

// The old launcher still runs from its file while the clone replaces it: writing into that file is
// refused by the system, taking its place is not.
TEST(FileReplace, RunningProgramDoesNotBlockItsReplacement)
{
    testsupport::TempDir dir;
    std::wstring program = dir.Join(L"running-program");
    ASSERT_TRUE(CopyOneFile(L"/bin/sleep", program, false));
    stdfs::permissions(NativePath(program), stdfs::perms::owner_all);
    platform::process::Process running;
    ASSERT_EQ(running.Start(program, {L"5"}), 0);

    std::string body = "#!/bin/sh\necho new\n";
    bool refused = false;
    // The system may need a moment before the program holds its file.
    for (int i = 0; i < 100 && !refused; ++i)
    {
        File writer;
        refused = !writer.Open(program, eOpenMode::ReadWrite);
        if (!refused) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(refused) << "the running program's file opened for writing";
    EXPECT_EQ(ReplaceFileContents(program, body.data(), body.size()), eReplaceResult::Done);
    EXPECT_EQ(dir.ReadFile(L"running-program"), body);
    EXPECT_EQ(PermsOf(program), stdfs::perms::owner_all);
    EXPECT_EQ(running.Wait(0), platform::process::eWait::Timeout) << "the old program goes on";
    ::kill(static_cast<pid_t>(running.Id()), SIGKILL);
    running.Wait(-1);
}

// A run killed while the new file is being written leaves the old file whole.
TEST(FileReplace, KilledWhileWritingLeavesTheOldFileWhole)
{
    testsupport::TempDir dir;
    const std::string old = "old launcher";
    const std::string body = testsupport::PatternBytes(64 << 20, 7, 4093);
    bool caughtMidWrite = false;
    for (int attempt = 0; attempt < 5 && !caughtMidWrite; ++attempt)
    {
        std::wstring target = dir.WriteFile(L"VelmoraLauncher", old);
        std::string part = NativePath(ReplacePartPath(target));
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            ReplaceFileContents(target, body.data(), body.size());
            ::_exit(0);
        }
        std::error_code error;
        uintmax_t seen = 0;
        for (int i = 0; i < 2000000 && seen == 0; ++i)
        {
            uintmax_t size = stdfs::file_size(part, error);
            if (!error && size > 0) seen = size;
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        caughtMidWrite = seen > 0 && seen < body.size() && stdfs::exists(part);

        std::string now = dir.ReadFile(L"VelmoraLauncher");
        EXPECT_TRUE(now == old || now == body) << "a file of " << now.size() << " bytes";
    }
    EXPECT_TRUE(caughtMidWrite) << "the kill never came while the new file was being written";
}
