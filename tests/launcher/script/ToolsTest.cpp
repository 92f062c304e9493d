// velmora-script and velmora-reg as operators and the end-to-end tests run them.
#include "tests/support/RegistrySandbox.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::RunCommand;

namespace
{
std::string Tool(const char* name)
{
    return testsupport::BinaryDir() + "/" + name;
}
} // namespace

TEST(VelmoraScriptTool, RunsFilesAndCallsAFunction)
{
    testsupport::TempDir dir;
    testsupport::RegistrySandbox sandbox;
    dir.WriteFile(L"first.lua", "\xEF\xBB\xBF"
                                "base = 40\n");
    dir.WriteFile(L"second.lua", "function Answer()\n"
                                 "  local gf = LauncherScriptObject:GetGlobalFunction()\n"
                                 "  return base + gf:RegCreateKey_CurrentUser('Software\\\\Check') + 1.9\n"
                                 "end\n");
    std::string d = dir.NativePath();
    std::string out, err;
    int status = RunCommand(
        Tool("velmora-script") + " --call Answer " + d + "/first.lua " + d + "/second.lua", &out, &err);
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(out, "42\n");
    EXPECT_EQ(err, "");
}

TEST(VelmoraScriptTool, ChecksScriptsThatUseTheLauncherProgramsOwnClasses)
{
    testsupport::TempDir dir;
    dir.WriteFile(L"launcher.lua", "local s = LauncherScriptObject\n"
                                   "s:GetLauncherGUISetup():SetShortcutName('Velmora')\n"
                                   "s:GetGameInfoManager():SetRegistryRootKey_Root('SOFTWARE\\\\Other')\n"
                                   "function Root() return string.len(s:GetRegistryRootKey()) end\n");
    std::string out, err;
    EXPECT_EQ(
        RunCommand(Tool("velmora-script") + " --call Root " + dir.NativePath() + "/launcher.lua", &out, &err),
        0)
        << err;
    EXPECT_EQ(out, "14\n");
}

TEST(VelmoraScriptTool, EveryScriptErrorIsReportedAndEndsWithExitOne)
{
    testsupport::TempDir dir;
    dir.WriteFile(L"fine.lua", "function Fine() return 3 end\n");
    dir.WriteFile(L"broken.lua", "x = = 1\n");
    dir.WriteFile(L"fails.lua", "local t = nil\nprint(t.field)\n");
    dir.WriteFile(L"callfails.lua", "function Boom() error('boom') end\n");
    dir.WriteFile(L"spins.lua", "while true do end\n");
    // A script with an _ALERT of its own still gets its reports, and is still checked.
    dir.WriteFile(L"ownalert.lua",
                  "seen = 0\nfunction _ALERT(text) seen = seen + 1 end\n"
                  "function Seen() return seen > 0 and 1 or 0 end\nlocal t = nil\nprint(t.field)\n");
    // Handing a text to _ALERT is no error.
    dir.WriteFile(L"notes.lua", "_ALERT('just a note')\n");
    const std::string d = dir.NativePath();
    struct
    {
        std::string args;
        int exitCode;
        std::string out;
        std::string inErr;
    } cases[] = {
        {"--call Fine fine.lua", 0, "3\n", ""},
        {"notes.lua", 0, "", "just a note"},
        {"broken.lua fine.lua", 1, "", "[string \"lua_tinker::dobuffer()\"]:1: unexpected symbol near '='"},
        {"fails.lua", 1, "", "attempt to index local 't' (a nil value)\n\t<call stack>\n"},
        {"--call Boom callfails.lua", 1, "0\n", "boom"},
        {"--call Missing fine.lua", 1, "0\n", "attempt to call global `Missing' (not a function)"},
        {"--call Missing missing.lua fine.lua", 1, "0\n", "cannot read 'missing.lua'"},
        {"--call Seen ownalert.lua", 1, "1\n", "attempt to index local 't' (a nil value)"},
        {"--timeout 1 --call Fine spins.lua fine.lua", 1, "3\n", "still running after 1 seconds"},
    };
    for (const auto& c : cases)
    {
        std::string out, err;
        int status = RunCommand("cd '" + d + "' && " + Tool("velmora-script") + " " + c.args, &out, &err);
        EXPECT_EQ(status, c.exitCode) << c.args << "\n" << err;
        EXPECT_EQ(out, c.out) << c.args;
        EXPECT_NE(err.find(c.inErr), std::string::npos) << c.args << "\n" << err;
    }

    for (const char* args :
         {"", " --call", " --bogus file.lua", " --timeout 0 f.lua", " --timeout x f.lua", " --timeout"})
        EXPECT_EQ((RunCommand(Tool("velmora-script") + args)), 2) << args;
}

TEST(VelmoraRegTool, SetGetDelete)
{
    testsupport::RegistrySandbox sandbox;
    std::string reg = Tool("velmora-reg");
    std::string out, err;
    struct
    {
        std::string args;
        int exitCode;
        std::string out;
    } steps[] = {
        {"set HKLM 'SOFTWARE\\Quillmark\\Velmora' Install_Dir '/opt/velmora game'", 0, ""},
        {"get hklm 'software\\quillmark\\VELMORA' install_dir", 0, "/opt/velmora game\n"},
        {"set HKCU 'Software\\Game' Count 0x10 --type dword", 0, ""},
        {"get HKCU 'Software\\Game' Count", 0, "16\n"},
        {"set HKCU 'Software\\Game' Path '%HOME%/x' --type expand_sz", 0, ""},
        {"get HKCU 'Software\\Game' Path", 0, "%HOME%/x\n"},
        {"get HKLM 'Software\\Game' Count", 1, ""},
        {"set HKCU 'Software\\Empty'", 0, ""},
        {"get HKCU 'Software\\Empty'", 1, ""},
        {"del HKCU 'Software\\Game' Count", 0, ""},
        {"get HKCU 'Software\\Game' Count", 1, ""},
        {"del HKCU 'Software\\Game' Count", 1, ""},
        {"del HKCU Software", 0, ""},
        {"get HKCU 'Software\\Game' Path", 1, ""},
        {"set HKCU K N -1 --type dword", 2, ""},
        {"set HKCU K N 4294967296 --type dword", 2, ""},
        {"set HKXX K N V", 2, ""},
        {"set HKCU K N", 2, ""},
        {"get HKCU", 2, ""},
        {"set HKCU K N V --type qword", 2, ""},
    };
    for (const auto& s : steps)
    {
        EXPECT_EQ((RunCommand(reg + " " + s.args, &out, &err)), s.exitCode) << s.args << ": " << err;
        EXPECT_EQ(out, s.out) << s.args;
    }
}

// Several processes writing at once: every value arrives.
TEST(VelmoraRegTool, ConcurrentWritersLoseNothing)
{
    testsupport::RegistrySandbox sandbox;
    std::string reg = Tool("velmora-reg");
    testsupport::TempDir dir;
    dir.WriteFile(L"writers.sh", "for w in 1 2 3 4; do\n"
                                 "  (for i in $(seq 1 15); do\n"
                                 "    " +
                                     reg +
                                     " set HKCU 'Software\\Many' v$w-$i $i --type dword || exit 1\n"
                                     "  done) &\n"
                                     "done\n"
                                     "for job in $(jobs -p); do wait $job || exit 1; done\n");
    std::string err;
    EXPECT_EQ(RunCommand("bash " + dir.NativePath() + "/writers.sh", nullptr, &err), 0) << err;
    for (int w = 1; w <= 4; ++w)
        for (int i = 1; i <= 15; ++i)
        {
            std::string out;
            std::string name = "v" + std::to_string(w) + "-" + std::to_string(i);
            ASSERT_EQ((RunCommand(reg + " get HKCU 'Software\\Many' " + name, &out)), 0) << name;
            EXPECT_EQ(out, std::to_string(i) + "\n") << name;
        }
}
