#include "platform/process/Process.h"
#include "platform/process/CommandLine.h"
#include "platform/process/Environment.h"
#include "platform/process/ProcessList.h"
#include "platform/text/TextCodec.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace platform::process;

TEST(CommandLine, SplitsLikeTheLaunchersHomePlatform)
{
    struct
    {
        const wchar_t* text;
        std::vector<std::wstring> args;
    } cases[] = {
        {L"", {}},
        {L"   ", {}},
        {L"a b\tc", {L"a", L"b", L"c"}},
        {L"  lead  trail  ", {L"lead", L"trail"}},
        {L"\"two words\" x", {L"two words", L"x"}},
        {L"pre\"quoted part\"post", {L"prequoted partpost"}},
        {L"\"\"", {L""}},
        {L"C:\\Games\\Velmora\\ x", {L"C:\\Games\\Velmora\\", L"x"}},
        {L"a\\\\\"b c\"", {L"a\\b c"}},
        {L"a\\\"b", {L"a\"b"}},
        {L"a\\\\\\\"b", {L"a\\\"b"}},
        {L"\"open quote runs to the end", {L"open quote runs to the end"}},
        {L"GameId=7|AuthCode=x y|", {L"GameId=7|AuthCode=x", L"y|"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitArguments(c.text), c.args) << platform::text::WideToUtf8(c.text);
}

TEST(CommandLine, OwnArgumentsComeFromTheSystemUntilSet)
{
    std::vector<std::wstring> own = OwnArguments();
    ASSERT_FALSE(own.empty());
    EXPECT_NE(own[0].find(L"platform_tests"), std::wstring::npos);
    SetOwnArguments({L"/opt/launcher", L"x"});
    EXPECT_EQ(OwnArguments(), (std::vector<std::wstring>{L"/opt/launcher", L"x"}));
    SetOwnArguments(own);
}

TEST(Environment, ExpandsKnownNamesAndLeavesTheRest)
{
    testsupport::ScopedEnv a("VELMORA_ENV_A", "alpha");
    testsupport::ScopedEnv empty("VELMORA_ENV_EMPTY", "");
    struct
    {
        const wchar_t* text;
        const wchar_t* expanded;
    } cases[] = {
        {L"%VELMORA_ENV_A%", L"alpha"},
        {L"x/%VELMORA_ENV_A%/%VELMORA_ENV_A%y", L"x/alpha/alphay"},
        {L"%velmora_env_a%", L"alpha"},
        {L"[%VELMORA_ENV_EMPTY%]", L"[]"},
        {L"%VELMORA_NOT_SET%", L"%VELMORA_NOT_SET%"},
        {L"100% sure", L"100% sure"},
        {L"%%", L"%%"},
        {L"%VELMORA_NOT_SET%VELMORA_ENV_A%", L"%VELMORA_NOT_SET%VELMORA_ENV_A%"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandEnvironmentText(c.text), c.expanded) << platform::text::WideToUtf8(c.text);
}

TEST(Process, StartWaitAndExitCodes)
{
    Process p;
    ASSERT_EQ(p.Start(L"/bin/sh", {L"-c", L"exit 3"}), 0);
    EXPECT_TRUE(p.IsHeld());
    EXPECT_EQ(p.Wait(-1), eWait::Ended);
    uint32_t code = 0;
    ASSERT_TRUE(p.GetExitCode(code));
    EXPECT_EQ(code, 3u);
    EXPECT_FALSE(p.IsHeld());
    EXPECT_EQ(p.Wait(0), eWait::Ended) << "an ended program stays ended";

    ASSERT_EQ(p.Start(L"/bin/sh", {L"-c", L"kill -TERM $$"}), 0);
    EXPECT_EQ(p.Wait(-1), eWait::Ended);
    ASSERT_TRUE(p.GetExitCode(code));
    EXPECT_EQ(code, 128u + SIGTERM);

    Process sleeper;
    ASSERT_EQ(sleeper.Start(L"/bin/sleep", {L"5"}), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sleeper.Wait(100), eWait::Timeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    ASSERT_TRUE(sleeper.GetExitCode(code));
    EXPECT_EQ(code, kStillActive);
    ::kill(static_cast<pid_t>(sleeper.Id()), SIGKILL);
    EXPECT_EQ(sleeper.Wait(-1), eWait::Ended);

    Process none;
    EXPECT_EQ(none.Wait(0), eWait::Failed);
    EXPECT_FALSE(none.GetExitCode(code));
}

TEST(Process, StartFailuresGiveTheirCauses)
{
    testsupport::TempDir dir;
    std::wstring text = dir.WriteFile(L"plain.txt", "not a program");
    Process p;
    EXPECT_EQ(p.Start(dir.Join(L"missing"), {}), ENOENT);
    EXPECT_EQ(p.Start(text, {}), EACCES);
    EXPECT_EQ(p.Start(L"", {}), ENOENT);
    EXPECT_FALSE(p.IsHeld());
    EXPECT_EQ(p.StartFromPath(L"no-such-program-velmora", {}), ENOENT);
}

TEST(Process, ReleasedProgramsKeepRunningAndShellOpenStartsExecutables)
{
    testsupport::TempDir dir;
    std::string d = dir.NativePath();
    {
        Process p;
        ASSERT_EQ(
            p.Start(L"/bin/sh", {L"-c", platform::text::Utf8ToWide("sleep 0.2; echo late > " + d + "/late")}),
            0);
    } // let go here
    std::wstring script =
        dir.WriteFile(L"tool.sh", "#!/bin/sh\necho \"$1|$2\" > \"$(dirname \"$0\")/args\"\n");
    std::filesystem::permissions(platform::text::WideToUtf8(script), std::filesystem::perms::owner_all);
    Process shell;
    ASSERT_EQ(ShellOpen(script, L"\"one arg\" two", shell), 0);
    EXPECT_EQ(shell.Wait(5000), eWait::Ended);
    EXPECT_EQ(dir.ReadFile(L"args"), "one arg|two\n");

    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(d + "/late") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(dir.ReadFile(L"late"), "late\n");
}

TEST(ProcessList, FindsAChildByItsExecutableName)
{
    testsupport::TempDir dir;
    std::wstring program = dir.Join(L"VelmoraListProbe");
    std::filesystem::copy_file("/bin/sleep", platform::text::WideToUtf8(program));
    Process child;
    ASSERT_EQ(child.Start(program, {L"5"}), 0);
    std::vector<sProcessEntry> processes;
    ASSERT_TRUE(ListProcesses(processes));
    bool found = false;
    bool self = false;
    for (const sProcessEntry& e : processes)
    {
        found = found || (e.id == child.Id() && e.name == L"VelmoraListProbe");
        self = self || (e.id == CurrentProcessId() && e.name == L"platform_tests_integration");
    }
    ::kill(static_cast<pid_t>(child.Id()), SIGKILL);
    child.Wait(-1);
    EXPECT_TRUE(found);
    EXPECT_TRUE(self);
}
