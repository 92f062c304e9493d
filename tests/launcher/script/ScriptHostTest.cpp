#include "launcher/script/LauncherScriptLua.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>

using testsupport::CScriptTestApp;

TEST(ScriptHost, ByteOrderMarkDecidesTheCodePageAndIsNotRun)
{
    CScriptTestApp app;
    ASSERT_EQ(app.m_initialized, 1);
    EXPECT_EQ(app.host.GetCodePage(), 65001u) << "before the first chunk";

    EXPECT_EQ(app.Run("\xEF\xBB\xBFx = 1"), 1);
    EXPECT_EQ(app.host.GetCodePage(), 65001u);
    EXPECT_EQ(app.Global("x"), "1");

    EXPECT_EQ(app.Run("y = 2"), 1);
    EXPECT_EQ(app.host.GetCodePage(), 0u);
    EXPECT_EQ(app.Global("y"), "2");

    // Too short to hold the mark: run as it is, and fails to compile.
    EXPECT_EQ(app.Run("\xEF\xBB"), 1);
    EXPECT_EQ(app.host.GetCodePage(), 0u);
    EXPECT_TRUE(app.alerts.size() == 1) << "one compile error report";
    EXPECT_TRUE(app.alerts.empty() || app.alerts[0].find("lua_tinker::dobuffer()") != std::string::npos);
}

TEST(ScriptHost, WithoutAStateNothingRuns)
{
    CLauncherScript_Lua host;
    EXPECT_EQ(host.RunScriptBuffer("x = 1", 5), 0);
    EXPECT_EQ(host.LoadScriptFile(L"/nonexistent.lua"), 0);
    EXPECT_EQ(host.CallScriptFunction("f"), -1);

    ASSERT_EQ(host.Initialize(), 1);
    EXPECT_EQ(host.CallScriptFunction(nullptr), -1);
    EXPECT_EQ(host.RunScriptBuffer("function f() return 4 end", 25), 1);
    EXPECT_EQ(host.CallScriptFunction("f"), 4);
    host.Finalize();

    EXPECT_EQ(host.GetLuaState(), nullptr);
    EXPECT_EQ(host.RunScriptBuffer("x = 1", 5), 0);
    EXPECT_EQ(host.CallScriptFunction("f"), -1);
    // A host can start over.
    ASSERT_EQ(host.Initialize(), 1);
    EXPECT_EQ(host.RunScriptBuffer("function f() return 5 end", 25), 1);
    EXPECT_EQ(host.CallScriptFunction("f"), 5);
}

TEST(ScriptHost, StateHoldsTwoLibrariesAndTheLauncherClasses)
{
    CScriptTestApp app;
    app.Run("kinds = ''\n"
            "for _, name in ipairs({'table', 'math', 'io', 'os', 'package', 'debug', 'string', 'coroutine',\n"
            "    'GlobalFunction', 'InterMessageQueue', 'StartProcess', 'ShellExecute', 'LauncherScript',\n"
            "    'LauncherScriptObject'}) do\n"
            "  kinds = kinds .. name .. '=' .. type(_G[name]) .. ' '\n"
            "end\n"
            "ok, message = pcall(function() return math.floor(1) end)\n");
    EXPECT_EQ(app.Global("kinds"), "table=nil math=nil io=nil os=nil package=nil debug=nil string=table "
                                   "coroutine=table GlobalFunction=table InterMessageQueue=table "
                                   "StartProcess=table ShellExecute=table LauncherScript=table "
                                   "LauncherScriptObject=userdata ");
    EXPECT_EQ(app.Global("ok"), "false");
    app.Run(
        "gf = LauncherScriptObject:GetGlobalFunction()\n"
        "same = rawequal(getmetatable(gf), GlobalFunction) and GlobalFunction.__name == 'GlobalFunction'\n");
    EXPECT_EQ(app.Global("same"), "true");
}

TEST(ScriptHost, CompileErrorKeepsEarlierGlobalsAndRunsNothingOfTheChunk)
{
    CScriptTestApp app;
    app.Run("kept = 'yes'");
    EXPECT_EQ(app.Run("kept = 'no'\nx = = 1"), 1);
    EXPECT_EQ(app.Global("kept"), "yes");
    ASSERT_EQ(app.alerts.size(), 1u);
    EXPECT_EQ(app.alerts[0], "[string \"lua_tinker::dobuffer()\"]:2: unexpected symbol near '='");
}

TEST(ScriptHost, CallScriptFunctionConvertsTheFirstResult)
{
    CScriptTestApp app;
    app.Run("function f_float() return 2.9 end\n"
            "function f_negative() return -1.5 end\n"
            "function f_true() return true end\n"
            "function f_text() return '12' end\n"
            "function f_word() return 'twelve' end\n"
            "function f_none() end\n"
            "function f_two() return 3, 4 end\n"
            "function f_fails() local t = nil; return t.x end\n"
            "number_global = 7\n");
    struct
    {
        const char* name;
        int result;
        size_t reports;
    } cases[] = {
        {"f_float", 2, 0}, {"f_negative", -1, 0},   {"f_true", 0, 0}, {"f_text", 12, 0},
        {"f_word", 0, 0},  {"f_none", 0, 0},        {"f_two", 3, 0},  {"f_fails", 0, 4},
        {"missing", 0, 1}, {"number_global", 7, 1},
    };
    for (const auto& c : cases)
    {
        app.alerts.clear();
        EXPECT_EQ(app.Call(c.name), c.result) << c.name;
        EXPECT_EQ(app.alerts.size(), c.reports) << c.name;
    }
    app.alerts.clear();
    app.Call("missing");
    ASSERT_EQ(app.alerts.size(), 1u);
    EXPECT_EQ(app.alerts[0], "lua_tinker::call() attempt to call global `missing' (not a function)");
}

TEST(ScriptHost, RunTimeErrorReachesAlertLineByLineWithItsCallStack)
{
    CScriptTestApp app;
    app.Run("function inner()\n"
            "  error('boom')\n"
            "end\n"
            "function outer()\n"
            "  inner()\n"
            "end\n");
    EXPECT_EQ(app.Call("outer"), 0);
    std::vector<std::string> expected = {
        "[string \"lua_tinker::dobuffer()\"]:2: boom",
        "\t<call stack>",
        "->\tunknown : line -1 [=[C] : line -1]",
        "\terror() : line -1 [=[C] : line -1]",
        "\tinner() : line 2 [lua_tinker::dobuffer() : line 1]",
        // Called from the launcher, the outermost function has no name to show.
        "\tunknown : line 5 [lua_tinker::dobuffer() : line 4]",
    };
    EXPECT_EQ(app.alerts, expected);

    // The chunk's own frame has no name.
    app.alerts.clear();
    app.Run("\n\nlocal t = nil\nlocal y = t.field\n");
    ASSERT_GE(app.alerts.size(), 3u);
    EXPECT_EQ(app.alerts.back(), "\tunknown : line 4 [lua_tinker::dobuffer() : line 0]");
}

TEST(ScriptHost, ReportsWithoutAWorkingAlertGoToStandardOutput)
{
    CScriptTestApp app;
    app.Run("_ALERT = nil");
    testing::internal::CaptureStdout();
    app.Call("missing_one");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "lua_tinker::call() attempt to call global `missing_one' (not a function)\n");

    // An _ALERT that fails itself loses nothing and breaks nothing.
    app.Run("_ALERT = function(text) error('alert broke') end");
    testing::internal::CaptureStdout();
    app.Call("missing_two");
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("`missing_two'"), std::string::npos) << out;
    app.Run("after = 1");
    EXPECT_EQ(app.Global("after"), "1");
}

TEST(ScriptHost, LoadScriptFileRunsTheFile)
{
    testsupport::TempDir dir;
    std::wstring path = dir.WriteFile(L"info.lua", "\xEF\xBB\xBF"
                                                   "from_file = 'loaded'");
    CScriptTestApp app;
    EXPECT_EQ(app.host.LoadScriptFile(path.c_str()), 1);
    EXPECT_EQ(app.Global("from_file"), "loaded");
    EXPECT_EQ(app.host.GetCodePage(), 65001u);
    EXPECT_EQ(app.host.LoadScriptFile(dir.WriteFile(L"empty.lua", "").c_str()), 1)
        << "an empty chunk is fine";
    EXPECT_NE(app.host.LoadScriptFile(dir.Join(L"missing.lua").c_str()), 1);
}

// Downloaded scripts can be anything; whatever they do is reported and the host goes on.
TEST(ScriptHost, HostileScriptsAreReportedAndTheHostKeepsWorking)
{
    struct
    {
        const char* what;
        const char* chunk;
        const char* reportPart;
    } cases[] = {
        {"deep recursion", "local function f() return 1 + f() end\nf()", "stack overflow"},
        {"deep recursion through C",
         "local t = setmetatable({}, {__index = function(t, k) return t[k] end})\n"
         "local x = t.a",
         "C stack overflow"},
        {"huge string", "local s = 'x'\nfor i = 1, 40 do s = s .. s end", "not enough memory"},
        {"error with a table", "error({})", "(error object is a table value)"},
        {"method called with a dot", "local gf = LauncherScriptObject:GetGlobalFunction()\ngf.MakeDir('x')",
         "no class at first argument. (forgot ':' expression ?)"},
        {"unknown key", "local v = LauncherScriptObject.NoSuchThing",
         "can't find 'NoSuchThing' class variable. (forgot registering class variable ?)"},
        {"unknown non-text key", "local v = LauncherScriptObject[{}]",
         "can't find 'table' class variable. (forgot registering class variable ?)"},
        {"globals that raise",
         "setmetatable(_G, {__index = function(t, k) error('no such global ' .. k) end})\n"
         "undefined_function()",
         "no such global undefined_function"},
    };
    for (const auto& c : cases)
    {
        CScriptTestApp app;
        testing::internal::CaptureStdout();
        EXPECT_EQ(app.Run(c.chunk), 1) << c.what;
        std::string out = testing::internal::GetCapturedStdout();
        bool found = out.find(c.reportPart) != std::string::npos;
        for (const std::string& a : app.alerts)
            found = found || a.find(c.reportPart) != std::string::npos;
        EXPECT_TRUE(found) << c.what << ": " << (app.alerts.empty() ? out : app.alerts[0]);
        EXPECT_EQ(app.Run("function after() return 42 end"), 1) << c.what;
        EXPECT_EQ(app.Call("after"), 42) << c.what;
    }

    // A call of a missing function while the globals raise reaches the report, not the launcher.
    CScriptTestApp app;
    app.Run("setmetatable(_G, {__index = function(t, k) error('no such global ' .. k) end})");
    app.alerts.clear();
    EXPECT_EQ(app.Call("nothing_here"), 0);
    ASSERT_FALSE(app.alerts.empty());
    EXPECT_NE(app.alerts[0].find("no such global nothing_here"), std::string::npos) << app.alerts[0];
}
