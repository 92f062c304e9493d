// The script class "GlobalFunction" as a script uses it: registry, folders and files, the launcher's
// arguments and environment, the factories, programs and their waits.
#include "platform/process/CommandLine.h"
#include "platform/process/Process.h"
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextCodec.h"
#include "platform/ui/EventPump.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/types.h>
#include <thread>

using testsupport::CScriptTestApp;
using testsupport::kGlobalFunctionPrelude;
using testsupport::RegistrySandbox;

namespace
{
std::string Native(const std::wstring& path)
{
    return platform::text::WideToUtf8(path);
}

// A path as a single-quoted Lua string.
std::string Quoted(const std::wstring& path)
{
    std::string out = "'";
    for (char c : Native(path))
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out + "'";
}

bool WaitForFile(const std::string& path, std::chrono::milliseconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end)
    {
        if (std::filesystem::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::filesystem::exists(path);
}
} // namespace

TEST(GlobalFunction, RegistryFunctionsReadAndWriteTypedValues)
{
    RegistrySandbox sandbox;
    CScriptTestApp app;
    app.Run(std::string("\xEF\xBB\xBF") + kGlobalFunctionPrelude +
            "created = gf:RegCreateKey_CurrentUser('Software\\\\Game')\n"
            "set_text = gf:RegSetText_CurrentUser('Software\\\\Game', 'Name', '값')\n"
            "text = gf:RegGetText_CurrentUser('software\\\\GAME', 'NAME')\n"
            "text_as_number = gf:RegGetNumber_CurrentUser('Software\\\\Game', 'Name')\n"
            "set_number = gf:RegSetNumber_CurrentUser('Software\\\\Game', 'Count', 7)\n"
            "number = gf:RegGetNumber_CurrentUser('Software\\\\Game', 'Count')\n"
            "number_as_text = gf:RegGetText_CurrentUser('Software\\\\Game', 'Count')\n"
            "other_root = gf:RegGetNumber_LocalMachine('Software\\\\Game', 'Count')\n"
            "missing_key = gf:RegSetNumber_LocalMachine('Software\\\\Missing', 'X', 1)\n"
            "missing_text = gf:RegGetText_LocalMachine('Software\\\\Missing', 'X')\n"
            "deleted = gf:RegDeleteValue_CurrentUser('Software\\\\Game', 'Count')\n"
            "deleted_again = gf:RegDeleteValue_CurrentUser('Software\\\\Game', 'Count')\n"
            "nil_name = gf:RegGetNumber_CurrentUser('Software\\\\Game', nil)\n"
            "all_big = gf:RegSetNumber_CurrentUser('Software\\\\Game', 'Big', -1)\n"
            "big = gf:RegGetNumber_CurrentUser('Software\\\\Game', 'Big')\n");
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    struct
    {
        const char* global;
        const char* value;
    } expected[] = {
        {"created", "1"},      {"set_text", "1"},    {"text", "값"},         {"text_as_number", "65535"},
        {"set_number", "1"},   {"number", "7"},      {"number_as_text", ""}, {"other_root", "65535"},
        {"missing_key", "0"},  {"missing_text", ""}, {"deleted", "1"},       {"deleted_again", "0"},
        {"nil_name", "65535"}, {"all_big", "1"},     {"big", "4294967295"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(app.Global(e.global), e.value) << e.global;

    platform::registry::Key key;
    EXPECT_FALSE(key.Open(platform::registry::eRoot::LocalMachine, L"Software\\Missing"))
        << "the setter created a key";
    EXPECT_TRUE(app.Logged(L"] RegGetNumber_CurrentUser\n"));
    EXPECT_TRUE(app.Logged(L"] RegSetText : Software\\Game, Name, 값\n"));
    EXPECT_TRUE(app.Logged(L"] RegSetNumber : Software\\Game, Big, -1\n"));
}

TEST(GlobalFunction, TextsFollowTheScriptsCodePageAndAreCutAtCharacters)
{
    RegistrySandbox sandbox;
    CScriptTestApp app;
    // Without a byte-order mark the script's texts are in the ANSI code page: "값" is B0 AA there.
    app.Run(std::string(kGlobalFunctionPrelude) +
            "gf:RegCreateKey_CurrentUser('K')\n"
            "gf:RegSetText_CurrentUser('K', 'Ansi', '\xB0\xAA')\n"
            "back = gf:RegGetText_CurrentUser('K', 'Ansi')\n"
            "gf:RegSetText_CurrentUser('K', 'Long', string.rep('a', 300))\n");
    EXPECT_EQ(app.Global("back"), "\xB0\xAA");
    platform::registry::Key key;
    ASSERT_TRUE(key.Open(platform::registry::eRoot::CurrentUser, L"K"));
    platform::registry::sValue value;
    ASSERT_TRUE(key.GetValue(L"Ansi", value));
    EXPECT_EQ(value.AsText(), L"값");
    ASSERT_TRUE(key.GetValue(L"Long", value));
    EXPECT_EQ(value.AsText(), std::wstring(255, L'a')) << "a text argument holds 255 characters";

    // A result longer than the 1024-byte buffer ends on a whole character: 341 three-byte characters
    // in UTF-8, 511 two-byte characters in the ANSI code page.
    std::string utf8;
    for (int i = 0; i < 600; ++i)
        utf8 += "가";
    ::setenv("VELMORA_TEST_LONG", utf8.c_str(), 1);
    app.Run(std::string("\xEF\xBB\xBF") + kGlobalFunctionPrelude +
            "long_utf8 = gf:GetEnvironmentString('%VELMORA_TEST_LONG%')");
    std::string resultUtf8 = app.Global("long_utf8");
    EXPECT_EQ(resultUtf8.size(), 1023u);
    EXPECT_EQ(resultUtf8, utf8.substr(0, 1023));
    app.Run(std::string(kGlobalFunctionPrelude) +
            "long_ansi = gf:GetEnvironmentString('%VELMORA_TEST_LONG%')");
    std::string resultAnsi = app.Global("long_ansi");
    EXPECT_EQ(resultAnsi.size(), 1022u);
    EXPECT_EQ(resultAnsi.substr(0, 4), "\xB0\xA1\xB0\xA1");
    ::unsetenv("VELMORA_TEST_LONG");
}

TEST(GlobalFunction, FolderAndFileFunctions)
{
    testsupport::TempDir dir;
    dir.WriteFile(L"file.txt", "content");
    std::wstring readOnly = dir.WriteFile(L"locked.txt", "x");
    std::filesystem::permissions(Native(readOnly), std::filesystem::perms::owner_read);
    CScriptTestApp app;
    std::string base = Quoted(dir.Path());
    app.Run(std::string(kGlobalFunctionPrelude) + "base = " + base +
            "\n"
            "made = gf:MakeDir(base .. '\\\\a\\\\b\\\\c')\n"
            "dir_exists = gf:IsDirExists(base .. '/a/b/c')\n"
            "folder_is_file = gf:IsFileExists(base .. '/a')\n"
            "file_is_dir = gf:IsDirExists(base .. '/file.txt')\n"
            "file_exists = gf:IsFileExists(base .. '/file.txt')\n"
            "missing_exists = gf:IsFileExists(base .. '/missing')\n"
            "copied = gf:CopyFile(base .. '/file.txt', base .. '/a/copy.txt')\n"
            "renamed = gf:RenameFile(base .. '/a/renamed.txt', base .. '/a/copy.txt')\n"
            "rename_missing = gf:RenameFile(base .. '/a/other.txt', base .. '/a/copy.txt')\n"
            "removed_locked = gf:RemoveFile(base .. '/locked.txt')\n"
            "removed_again = gf:RemoveFile(base .. '/locked.txt')\n"
            "removed_folder_as_file = gf:RemoveFile(base .. '/a')\n"
            "removed_tree = gf:RemoveDir(base .. '/a')\n"
            "tree_left = gf:IsDirExists(base .. '/a')\n"
            "nil_path = gf:MakeDir(nil)\n");
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    struct
    {
        const char* global;
        const char* value;
    } expected[] = {
        {"made", "true"},         {"dir_exists", "true"},  {"folder_is_file", "true"},
        {"file_is_dir", "false"}, {"file_exists", "true"}, {"missing_exists", "false"},
        {"copied", "1"},          {"renamed", "0"},        {"rename_missing", "-1"},
        {"removed_locked", "1"},  {"removed_again", "0"},  {"removed_folder_as_file", "0"},
        {"removed_tree", "true"}, {"tree_left", "false"},  {"nil_path", "false"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(app.Global(e.global), e.value) << e.global;
    EXPECT_TRUE(
        app.Logged(L"] RenameFile : " + dir.Path() + L"/a/renamed.txt, " + dir.Path() + L"/a/copy.txt\n"));
}

TEST(GlobalFunction, ArgumentsEnvironmentAndDialog)
{
    CScriptTestApp app;
    platform::process::SetOwnArguments({L"/opt/VelmoraLauncher", L"GameId=7|", L"two words"});
    ::setenv("VELMORA_TEST_VALUE", "abc", 1);
    app.Run(
        std::string(kGlobalFunctionPrelude) +
        "all = gf:GetReceiveArgumentFromParentAll()\n"
        "first = gf:GetReceiveArgumentFromParent(0)\n"
        "second = gf:GetReceiveArgumentFromParent(1)\n"
        "program = gf:GetReceiveArgumentFromParent(-1)\n"
        "beyond = gf:GetReceiveArgumentFromParent(2)\n"
        "before = gf:GetReceiveArgumentFromParent(-2)\n"
        "env = "
        "gf:GetEnvironmentString('%VELMORA_TEST_VALUE%/x/%velmora_test_value%/%NO_SUCH_VELMORA_VAR%/100%')\n"
        "dialog_nil = gf:ShowSelectPath_Terms_Dialog(nil, 1, 'terms')\n"
        "dialog = gf:ShowSelectPath_Terms_Dialog('folder', 1, 'terms')\n");
    platform::process::SetOwnArguments({L"/opt/VelmoraLauncher"});
    app.Run(std::string(kGlobalFunctionPrelude) + "none_all = gf:GetReceiveArgumentFromParentAll()\n"
                                                  "none_first = gf:GetReceiveArgumentFromParent(0)\n");
    ::unsetenv("VELMORA_TEST_VALUE");
    struct
    {
        const char* global;
        const char* value;
    } expected[] = {
        {"all", "GameId=7| two words "},
        {"first", "GameId=7|"},
        {"second", "two words"},
        {"program", "/opt/VelmoraLauncher"},
        {"beyond", ""},
        {"before", ""},
        {"env", "abc/x/abc/%NO_SUCH_VELMORA_VAR%/100%"},
        {"dialog_nil", "nil"},
        {"dialog", ""},
        {"none_all", ""},
        {"none_first", ""},
    };
    for (const auto& e : expected)
        EXPECT_EQ(app.Global(e.global), e.value) << e.global;
}

TEST(GlobalFunction, FactoriesMakeANewOwnedObjectEachTime)
{
    CScriptTestApp app;
    app.Run(std::string(kGlobalFunctionPrelude) +
            "q1 = gf:GetNewInterMessageQueue()\n"
            "q2 = gf:GetNewInterMessageQueue()\n"
            "s1 = gf:GetNewStartProcess()\n"
            "e1 = gf:GetNewShellExecute()\n"
            "kinds = getmetatable(q1).__name .. ' ' .. getmetatable(s1).__name .. ' ' .. "
            "getmetatable(e1).__name\n"
            "different = tostring(q1) ~= tostring(q2)\n"
            "q1 = nil\n"
            "collectgarbage('collect')\n");
    EXPECT_EQ(app.Global("kinds"), "InterMessageQueue StartProcess ShellExecute");
    EXPECT_EQ(app.Global("different"), "true");
    EXPECT_TRUE(app.Logged(L"] GetNewInterMessageQueue\n"));
    // The collected holder released nothing: the queue still works through the other holder.
    app.Run("q2:SetMessageType(1)\nq2:SetNumber(5)\nsent = q2:SendPackedMessage()");
    EXPECT_EQ(app.Global("sent"), "false") << "no system queue yet";
}

TEST(GlobalFunction, ProgramStartsReportTheirFailures)
{
    testsupport::TempDir dir;
    std::wstring plain = dir.WriteFile(L"not-a-program.txt", "text");
    CScriptTestApp app;
    struct
    {
        const char* function;
        const char* path;
        const char* result;
        const wchar_t* errorLine;
    } cases[] = {
        {"CreateProcess", "'/nonexistent/program'", "14012",
         L"Function : CGlobalFunctionForScript::CreateProcessW, Line : 237"},
        {"ShellExecute", "'/nonexistent/program'", "14012",
         L"Function : CGlobalFunctionForScript::ShellExecuteW, Line : 276"},
        {"CreateProcess_WaitEnd", "'/nonexistent/program'", "14012",
         L"Function : CGlobalFunctionForScript::CreateProcess_WaitEnd, Line : 249"},
        {"ShellExecute_WaitEnd", "'/nonexistent/program'", "14012",
         L"Function : CGlobalFunctionForScript::ShellExecute_WaitEnd, Line : 288"},
        {"CreateProcess", "nil", "14012", L"Function : CGlobalFunctionForScript::CreateProcessW, Line : 237"},
    };
    for (const auto& c : cases)
    {
        CScriptTestApp one;
        one.Run(std::string(kGlobalFunctionPrelude) + "r = gf:" + c.function + "(" + c.path + ", '')");
        EXPECT_EQ(one.Global("r"), c.result) << c.function;
        EXPECT_TRUE(one.Logged(c.errorLine)) << c.function;
        EXPECT_TRUE(one.Logged(L"File : GlobalFunctionForScript, Function")) << c.function;
    }
    app.Run(std::string(kGlobalFunctionPrelude) + "r = gf:CreateProcess(" + Quoted(plain) + ", '')");
    EXPECT_EQ(app.Global("r"), "14013") << "an existing file that cannot run";
}

TEST(GlobalFunction, ProgramsStartWithTheirArgumentsAndTheWaitsWait)
{
    testsupport::TempDir dir;
    std::string out = dir.NativePath();
    CScriptTestApp app;
    // Arguments are split like a command line: the quoted part stays one argument.
    app.Run(std::string(kGlobalFunctionPrelude) + "started = gf:CreateProcess('/bin/sh', '-c \"echo $0 > " +
            out +
            "/started\" \"one arg\"')\n"
            "waited = gf:CreateProcess_WaitEnd('/bin/sh', '-c \"sleep 0.3; echo done > " +
            out + "/waited\"')\n");
    EXPECT_EQ(app.Global("started"), "1");
    EXPECT_EQ(app.Global("waited"), "1");
    EXPECT_TRUE(std::filesystem::exists(out + "/waited")) << "the wait returned before the program ended";
    ASSERT_TRUE(WaitForFile(out + "/started", std::chrono::seconds(5)));
    EXPECT_EQ(dir.ReadFile(L"started"), "one arg\n");

    // A second start on the same "StartProcess" object starts nothing.
    app.Run("sp = gf:GetNewStartProcess()\n"
            "id_before = sp:GetCurrentProcessId()\n"
            "first = sp:CreateAppProcess('/bin/sh', '-c \"exit 0\"')\n"
            "id = sp:GetCurrentProcessId()\n"
            "second = sp:CreateAppProcess('/bin/sh', '-c \"exit 0\"')\n"
            "missing = gf:GetNewStartProcess()\n"
            "missing_result = missing:CreateAppProcess('/nonexistent/program', '')\n"
            "missing_id = missing:GetCurrentProcessId()\n");
    EXPECT_EQ(app.Global("id_before"), "0");
    EXPECT_EQ(app.Global("first"), "1");
    EXPECT_NE(app.Global("id"), "0");
    EXPECT_EQ(app.Global("second"), "0");
    EXPECT_EQ(app.Global("missing_result"), "14012");
    EXPECT_EQ(app.Global("missing_id"), "0");
}

namespace
{
std::atomic<int> g_pendingEvents{0};
std::atomic<int> g_dispatched{0};
std::thread::id g_pumpThread;

bool FakePending()
{
    return std::this_thread::get_id() == g_pumpThread && g_pendingEvents.load() > 0;
}
bool FakeDispatch()
{
    if (!FakePending()) return false;
    --g_pendingEvents;
    ++g_dispatched;
    return true;
}
} // namespace

TEST(GlobalFunction, WaitsKeepEventsFlowingAndEndOnTheStopFlag)
{
    CScriptTestApp app;
    g_pumpThread = std::this_thread::get_id();
    g_pendingEvents = 3;
    g_dispatched = 0;
    platform::ui::sEventPump previous = platform::ui::SetEventPump({FakePending, FakeDispatch});
    app.Run(std::string(kGlobalFunctionPrelude) + "r = gf:ShellExecute_WaitEnd('/bin/sleep', '0.3')");
    EXPECT_EQ(app.Global("r"), "1");
    EXPECT_EQ(g_dispatched.load(), 3) << "every pending event was dispatched during the wait";

    // A program that would run for seconds: the stop flag ends the wait in the next round.
    std::thread stopper(
        [&app]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            app.stop = true;
        });
    auto start = std::chrono::steady_clock::now();
    app.Run("r = gf:CreateProcess_WaitEnd('/bin/sleep', '3')");
    auto elapsed = std::chrono::steady_clock::now() - start;
    stopper.join();
    platform::ui::SetEventPump(previous);
    EXPECT_EQ(app.Global("r"), "1") << "a stopped wait still gives 1";
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(GlobalFunction, IsProcessRunningComparesNamesWithoutCase)
{
    testsupport::TempDir dir;
    std::wstring program = dir.Join(L"VelmoraProbe");
    std::filesystem::copy_file("/bin/sleep", Native(program));
    platform::process::Process child;
    ASSERT_EQ(child.Start(program, {L"30"}), 0);
    CScriptTestApp app;
    app.Run(std::string(kGlobalFunctionPrelude) + "exact = gf:IsProcessRunning('VelmoraProbe')\n"
                                                  "upper = gf:IsProcessRunning('VELMORAPROBE')\n"
                                                  "other = gf:IsProcessRunning('VelmoraProbeNot')\n"
                                                  "none = gf:IsProcessRunning(nil)\n");
    ::kill(static_cast<pid_t>(child.Id()), SIGKILL);
    child.Wait(-1);
    EXPECT_EQ(app.Global("exact"), "true");
    EXPECT_EQ(app.Global("upper"), "true");
    EXPECT_EQ(app.Global("other"), "false");
    EXPECT_EQ(app.Global("none"), "false");
}
