// velmora-script: runs launcher script files in a script host with every class registered and
// stand-in components (no window, no patch system), so that game operators can check their scripts
// before publishing them. Error reports (and anything the script hands to _ALERT) go to stderr.
//
//     velmora-script [--call NAME] [--print-records] [--timeout SECONDS] FILE...
//
// Each file runs as one chunk, in order, in the same state. With --call, the global NAME is called
// afterwards and its integer result printed. With --print-records the files run as the game
// information file does (loading the game information record), and every property of the game and
// launcher information records, each distribution package and the four process-status function
// names are printed afterwards, one "name: value" per line in UTF-8 ("(nil)" for a name never set).
// With --timeout, script code that is still running after SECONDS (all files and the call
// together) ends with an error.
// Exit 0 when everything ran without an error; 1 when a file cannot be read, a chunk does not
// compile, script code fails or runs out of time, or the function to call does not exist (the
// rest still runs); 2 for usage.
#include "launcher/app/Components.h"
#include "launcher/app/GUISetupAccess.h"
#include "launcher/app/RestartProcess.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/info/LauncherInfo.h"
#include "launcher/script/FernwayLauncherScript.h"
#include "launcher/workflow/LauncherImplement.h"
#include "platform/process/CommandLine.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"

#include <lua.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// Holds the launcher information record the scripts fill; restarts nothing.
class CStandInRestartProcess : public CRestartProcess
{
public:
    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector*) override {}
    CLauncherInfo* GetLauncherInfo() override { return &m_info; }

private:
    CLauncherInfo m_info;
};

// Takes what the script sets and keeps nothing: there is no window to read it.
class CStandInGUISetup : public IGUISetupSettings
{
public:
    void SetSetupText(eGUISetupText, const std::wstring&) override {}
    void SetDefaultFontSize(int) override {}
};

// The application as far as the script host needs one: the host itself, the information records
// in stand-in components, an implementation that stores the names it is given, and an updater that
// is never stopped.
class CScriptCheckApp : public CObjectConnector, public IUpdaterStopFlag, public IGUISetupProvider
{
public:
    CScriptCheckApp()
    {
        m_gameInfoManager.Initialize();
        m_gameInfoManager.SetConnector(this);
        m_implement.Initialize();
        m_implement.SetConnector(this);
    }
    ~CScriptCheckApp() override
    {
        m_implement.Finalize();
        m_gameInfoManager.Finalize();
    }
    CScriptCheckApp(const CScriptCheckApp&) = delete;
    CScriptCheckApp& operator=(const CScriptCheckApp&) = delete;

    CFWLauncherGUI* GetLauncherGUI() override { return nullptr; }
    CRestartProcess* GetRestartProcess() override { return &m_restart; }
    CLauncherUpdater* GetUpdater() override { return nullptr; }
    CPatchSystemProcess* GetPatchSystem() override { return nullptr; }
    CGameInfoManagerBase* GetGameInfoManager() override { return &m_gameInfoManager; }
    CLauncherScript* GetScript() override { return &m_host; }
    CLauncherStringTable* GetStringTable() override { return nullptr; }
    CProcessStatus* GetProcessStatus() override { return nullptr; }
    CLauncherImplement* GetImplement() override { return &m_implement; }
    bool IsUpdaterStopRequested() override { return false; }
    IGUISetupSettings* GetGUISetupSettings() override { return &m_setup; }

    CLauncherScript_Lua& Host() { return m_host; }
    CGameInfo& GameInfo() { return *m_gameInfoManager.GetGameInfo(); }
    CLauncherInfo& LauncherInfo() { return *m_restart.GetLauncherInfo(); }

private:
    CFWLGameInfoManager m_gameInfoManager;
    CStandInRestartProcess m_restart;
    CStandInGUISetup m_setup;
    CFWLImplement m_implement;
    // The launcher program's host, so that its own classes and functions can be checked too.
    CFernwayLauncherScript m_host;
};

void PrintLine(const std::string& name, const std::wstring& value)
{
    std::printf("%s: %s\n", name.c_str(), platform::text::WideToUtf8(value).c_str());
}

// A text member as the script set it (bytes in the script's code page).
void PrintMember(const std::string& name, const COwnedText& text, unsigned codePage)
{
    if (!text.is_set())
        std::printf("%s: (nil)\n", name.c_str());
    else
        PrintLine(name, platform::text::MultiByteToWide(std::string(text.c_str(), text.size()), codePage));
}

void PrintRecords(CScriptCheckApp& app)
{
    static const char* const kGameNames[kGameInfoTextCount] = {
        "ServerURL",         "PakDir",    "PakName",   "ExeFileName", "Argument", "GameVersion",
        "DefaultWebAddress", "Exe32Path", "Exe64Path", "InstallUrl",  "Env",      "BIUrl"};
    CGameInfo& game = app.GameInfo();
    unsigned codePage = app.Host().GetCodePage();
    std::printf("GameInfo.Loaded: %d\n", game.IsLoaded() ? 1 : 0);
    for (int i = 0; i < kGameInfoTextCount; ++i)
        PrintLine(std::string("GameInfo.") + kGameNames[i], game.GetWide(static_cast<eGameInfoText>(i)));

    CLauncherInfo& launcher = app.LauncherInfo();
    PrintLine("LauncherInfo.LauncherVersion", launcher.GetLauncherVersionW());
    PrintLine("LauncherInfo.LauncherServerURL", launcher.GetLauncherServerURLW());

    const auto& packages = game.GetDistPackageInfos();
    std::printf("DistPackageInfo.Count: %zu\n", packages.size());
    for (size_t i = 0; i < packages.size(); ++i)
    {
        std::string prefix = "DistPackageInfo[" + std::to_string(i + 1) + "].";
        PrintMember(prefix + "strInstallFileURL", packages[i]->strInstallFileURL, codePage);
        PrintMember(prefix + "strInstallFileName", packages[i]->strInstallFileName, codePage);
        PrintMember(prefix + "strInstallFileNameArguments", packages[i]->strInstallFileNameArguments,
                    codePage);
        PrintMember(prefix + "strCustomCheckFunctionName", packages[i]->strCustomCheckFunctionName, codePage);
    }

    const sLauncherProcessStatusFunction& functions = *game.GetLauncherProcessStatusFunctionList();
    const std::string prefix = "LauncherProcessStatusFunction.";
    PrintMember(prefix + "strFunction_LauncherSameGame", functions.strFunction_LauncherSameGame, codePage);
    PrintMember(prefix + "strFunction_LauncherNotSameGame", functions.strFunction_LauncherNotSameGame,
                codePage);
    PrintMember(prefix + "strFunction_Application", functions.strFunction_Application, codePage);
    PrintMember(prefix + "strFunction_Patcher", functions.strFunction_Patcher, codePage);
}

// What the checks found out while the scripts ran. Travels with the state (as an upvalue of _ALERT
// and in the registry for the hook), so no global is needed to find it.
struct sCheck
{
    int errors = 0;
    std::chrono::steady_clock::time_point deadline{};
    int seconds = 0;
};

const char* const kCheckKey = "velmora-script.check";
const char* const kScriptAlertKey = "velmora-script.alert";

// Every instruction-count hook call looks at the clock; this many instructions lie between two.
constexpr int kInstructionsPerClockCheck = 10000;

// The host reports every error through _ALERT, from its own (C) code; a script calling _ALERT
// itself is not an error. Reports go to stderr and on to the _ALERT the script defined, if any.
int CheckingAlert(lua_State* L)
{
    auto* check = static_cast<sCheck*>(lua_touserdata(L, lua_upvalueindex(1)));
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    if (text) std::fwrite(text, 1, length, stderr);
    std::fputc('\n', stderr);
    lua_Debug caller;
    if (lua_getstack(L, 1, &caller) && lua_getinfo(L, "S", &caller) && std::strcmp(caller.what, "C") == 0)
        ++check->errors;
    lua_getfield(L, LUA_REGISTRYINDEX, kScriptAlertKey);
    if (lua_isfunction(L, -1))
    {
        lua_pushvalue(L, 1);
        // The report is on stderr already; a failing _ALERT of the script adds nothing to it.
        if (lua_pcall(L, 1, 0, 0) != 0) lua_pop(L, 1);
    }
    return 0;
}

// Globals table metamethods: "_ALERT" always reads as the checking function (kept out of the raw
// table, so the host finds it whatever the script does), and a script's own _ALERT is kept aside.
int GlobalIndex(lua_State* L)
{
    const char* key = lua_tostring(L, 2);
    if (lua_type(L, 2) == LUA_TSTRING && std::strcmp(key, "_ALERT") == 0)
    {
        lua_pushvalue(L, lua_upvalueindex(1));
        return 1;
    }
    lua_pushnil(L);
    return 1;
}

int GlobalNewIndex(lua_State* L)
{
    if (lua_type(L, 2) == LUA_TSTRING && std::strcmp(lua_tostring(L, 2), "_ALERT") == 0)
    {
        lua_pushvalue(L, 3);
        lua_setfield(L, LUA_REGISTRYINDEX, kScriptAlertKey);
        return 0;
    }
    lua_rawset(L, 1);
    return 0;
}

int InstallAlert(lua_State* L)
{
    lua_pushlightuserdata(L, lua_touserdata(L, 1));
    lua_pushcclosure(L, CheckingAlert, 1);
    int alert = lua_gettop(L);
    lua_newtable(L);
    lua_pushvalue(L, alert);
    lua_pushcclosure(L, GlobalIndex, 1);
    lua_setfield(L, -2, "__index");
    lua_pushcfunction(L, GlobalNewIndex);
    lua_setfield(L, -2, "__newindex");
    lua_setmetatable(L, LUA_GLOBALSINDEX);
    return 0;
}

// Ends script code that runs past the deadline: the error takes the usual road (report, call
// stack) and every later piece of script code meets it again at once.
void TimeoutHook(lua_State* L, lua_Debug*)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kCheckKey);
    const auto* check = static_cast<const sCheck*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    if (check && std::chrono::steady_clock::now() >= check->deadline)
        luaL_error(L, "script stopped: still running after %d seconds (--timeout)", check->seconds);
}

void InstallTimeout(lua_State* L, sCheck& check)
{
    lua_pushlightuserdata(L, &check);
    lua_setfield(L, LUA_REGISTRYINDEX, kCheckKey);
    lua_sethook(L, TimeoutHook, LUA_MASKCOUNT, kInstructionsPerClockCheck);
}

// Whole seconds from 1 to one day.
bool ParseSeconds(const char* text, int& seconds)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || end == text || value < 1 || value > 86400) return false;
    seconds = static_cast<int>(value);
    return true;
}

void PrintUsage()
{
    std::fputs("usage: velmora-script [--call NAME] [--print-records] [--timeout SECONDS] FILE...\n", stderr);
}
} // namespace

int main(int argc, char** argv)
{
    const char* callName = nullptr;
    bool printRecords = false;
    int timeoutSeconds = 0;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--call") == 0)
        {
            if (i + 1 >= argc)
            {
                PrintUsage();
                return 2;
            }
            callName = argv[++i];
        }
        else if (std::strcmp(argv[i], "--print-records") == 0)
        {
            printRecords = true;
        }
        else if (std::strcmp(argv[i], "--timeout") == 0)
        {
            if (i + 1 >= argc || !ParseSeconds(argv[i + 1], timeoutSeconds))
            {
                PrintUsage();
                return 2;
            }
            ++i;
        }
        else if (std::strncmp(argv[i], "--", 2) == 0 && argv[i][2] != '\0')
        {
            std::fprintf(stderr, "velmora-script: unknown option '%s'\n", argv[i]);
            PrintUsage();
            return 2;
        }
        else
        {
            files.push_back(argv[i]);
        }
    }
    if (files.empty())
    {
        PrintUsage();
        return 2;
    }

    // A script asking for the launcher's own arguments sees none.
    platform::process::SetOwnArguments({platform::text::Utf8ToWide(argv[0])});

    CScriptCheckApp app;
    CLauncherScript_Lua& host = app.Host();
    if (host.Initialize() != 1)
    {
        std::fputs("velmora-script: the script host cannot start\n", stderr);
        return 1;
    }
    SetCurrentScript(&host);
    host.SetConnector(&app);
    sCheck check;
    lua_State* L = host.GetLuaState();
    if (lua_cpcall(L, InstallAlert, &check) != 0)
    {
        std::fputs("velmora-script: the script host cannot start\n", stderr);
        return 1;
    }
    if (timeoutSeconds > 0)
    {
        check.seconds = timeoutSeconds;
        check.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
        InstallTimeout(L, check);
    }

    int exitCode = 0;
    for (const char* file : files)
    {
        std::string bytes;
        if (!ZP::ReadWholeFile(platform::text::Utf8ToWide(file), bytes))
        {
            std::fprintf(stderr, "velmora-script: cannot read '%s'\n", file);
            exitCode = 1;
            continue;
        }
        if (printRecords)
            app.GameInfo().LoadInfoFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
        else
            host.RunScriptBuffer(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    if (callName) std::printf("%d\n", host.CallScriptFunction(callName));
    if (printRecords) PrintRecords(app);
    if (check.errors > 0) exitCode = 1;

    SetCurrentScript(nullptr);
    host.Finalize();
    return exitCode;
}
