// velmora-script: runs launcher script files in a script host with every class registered and
// stand-in components (no window, no patch system), so that game operators can check their scripts
// before publishing them. Error reports (and anything the script hands to _ALERT) go to stderr.
//
//     velmora-script [--call NAME] FILE...
//
// Each file runs as one chunk, in order, in the same state. With --call, the global NAME is called
// afterwards and its integer result printed. Exit 0 unless a file cannot be read (1); 2 for usage.
#include "launcher/app/Components.h"
#include "launcher/script/LauncherScriptLua.h"
#include "launcher/script/UpdaterStopFlag.h"
#include "platform/process/CommandLine.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"

#include <lua.hpp>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// The application as far as the script host needs one: the host itself and an updater that is
// never stopped.
class CScriptCheckApp : public CObjectConnector, public IUpdaterStopFlag
{
public:
    CFWLauncherGUI* GetLauncherGUI() override { return nullptr; }
    CRestartProcess* GetRestartProcess() override { return nullptr; }
    CLauncherUpdater* GetUpdater() override { return nullptr; }
    CPatchSystemProcess* GetPatchSystem() override { return nullptr; }
    CGameInfoManagerBase* GetGameInfoManager() override { return nullptr; }
    CLauncherScript* GetScript() override { return &m_host; }
    CLauncherStringTable* GetStringTable() override { return nullptr; }
    CProcessStatus* GetProcessStatus() override { return nullptr; }
    CLauncherImplement* GetImplement() override { return nullptr; }
    bool IsUpdaterStopRequested() override { return false; }

    CLauncherScript_Lua& Host() { return m_host; }

private:
    CLauncherScript_Lua m_host;
};

int AlertToStderr(lua_State* L)
{
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    if (text) std::fwrite(text, 1, length, stderr);
    std::fputc('\n', stderr);
    return 0;
}

int InstallAlert(lua_State* L)
{
    lua_pushcfunction(L, AlertToStderr);
    lua_setglobal(L, "_ALERT");
    return 0;
}

void PrintUsage()
{
    std::fputs("usage: velmora-script [--call NAME] FILE...\n", stderr);
}
} // namespace

int main(int argc, char** argv)
{
    const char* callName = nullptr;
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
    lua_cpcall(host.GetLuaState(), InstallAlert, nullptr);

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
        host.RunScriptBuffer(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    if (callName) std::printf("%d\n", host.CallScriptFunction(callName));

    SetCurrentScript(nullptr);
    host.Finalize();
    return exitCode;
}
