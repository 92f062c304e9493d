#include "launcher/script/ScriptApi.h"

#include "launcher/info/DistributePackageInfo.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/info/LauncherInfo.h"
#include "launcher/script/ExecuteWrapper.h"
#include "launcher/script/FernwayLauncherGlobalFunction.h"
#include "launcher/script/FernwayLauncherScript.h"
#include "launcher/script/GlobalFunctionForScript.h"
#include "launcher/script/InterMessageQueue.h"
#include "launcher/script/LauncherGUIWrapper.h"
#include "launcher/script/LauncherScriptLua.h"
#include "launcher/script/LuaTinker.h"
#include "launcher/workflow/LauncherImplement.h"

namespace
{
using Binder = void (*)(lua_State* L, const char* name);

template <class T> void ClassOf(lua_State* L, const char* name)
{
    lua_tinker::add_class<T>(L, name);
}

template <class T, auto Method> void MethodOf(lua_State* L, const char* name)
{
    lua_tinker::define_method<T>(L, name, Method);
}

template <class T, auto Member> void MemberOf(lua_State* L, const char* name)
{
    lua_tinker::define_member<T>(L, name, Member);
}

// A row binding a member under its own name.
#define VELMORA_SCRIPT_METHOD(T, name) #name, MethodOf < T, &T::name>
// A row binding a method of a class derived from the bound one (the object is always of that class).
#define VELMORA_SCRIPT_DERIVED(T, D, name) #name, MethodOf < T, &D::name>
#define VELMORA_SCRIPT_MEMBER(T, name) #name, MemberOf < T, &T::name>

struct sApiEntry
{
    eScriptApiPart part;
    const char* name;
    Binder bind;
};

using Host = CLauncherScript_Lua;
using Global = CGlobalFunctionForScript;
using LInfo = CLauncherInfo;
using Package = sDistributePackageInfo;
using StatusFns = sLauncherProcessStatusFunction;
using GInfo = CGameInfo;
using Impl = CDefaultLauncherImplement;
using Queue = CInterMessageQueue;
using Starter = CStartProcessWrapper;
using Shell = CShellExecuteWrapper;
using Exec = CExecuteWrapper;
using FScript = CFernwayLauncherScript;
using FGlobal = CFernwayLauncherGlobalFunction;
using Manager = CDefaultGameInfoManager;
using Setup = CLauncherGUISetupWrapper;
using Gui = CLauncherGUIWrapper;

// The one of the two SetArgument overloads that the script reaches (the text form).
constexpr auto kSetArgumentText = static_cast<uint32_t (GInfo::*)(const char*)>(&GInfo::SetArgument);

// The class tables, in creation order.
const sApiEntry kScriptClasses[] = {
    {kApiLauncherScript, "LauncherScript", ClassOf<Host>},
    {kApiGlobalFunction, "GlobalFunction", ClassOf<Global>},
    {kApiLauncherInfo, "LauncherInfo", ClassOf<LInfo>},
    {kApiGameInfo, "DistPackageInfo", ClassOf<Package>},
    {kApiGameInfo, "LauncherProcessStatusFunction", ClassOf<StatusFns>},
    {kApiGameInfo, "GameInfo", ClassOf<GInfo>},
    {kApiLauncherImpl, "LauncherImpl", ClassOf<Impl>},
    {kApiInterMessageQueue, "InterMessageQueue", ClassOf<Queue>},
    {kApiProcesses, "StartProcess", ClassOf<Starter>},
    {kApiProcesses, "ShellExecute", ClassOf<Shell>},
    {kApiGameInfoManager, "GameInfoManager", ClassOf<Manager>},
    {kApiLauncherGUISetup, "LauncherGUISetup", ClassOf<Setup>},
    {kApiLauncherGUI, "LauncherGUI", ClassOf<Gui>},
};

// Methods and member variables under their script names, each class's in its registration order.
const sApiEntry kScriptMembers[] = {
    {kApiLauncherScript, VELMORA_SCRIPT_METHOD(Host, GetGlobalFunction)},
    {kApiLauncherScript, VELMORA_SCRIPT_METHOD(Host, GetLauncherInfo)},
    {kApiLauncherScript, VELMORA_SCRIPT_METHOD(Host, GetGameInfo)},
    {kApiLauncherScript, VELMORA_SCRIPT_METHOD(Host, GetLauncherImpl)},
    {kApiLauncherScript, VELMORA_SCRIPT_METHOD(Host, MessageBox)},
    {kApiLauncherScript, VELMORA_SCRIPT_METHOD(Host, ShowLauncher)},
    {kApiLauncherScript, VELMORA_SCRIPT_METHOD(Host, GetLauncherRootPath)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegCreateKey_LocalMachine)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegGetNumber_LocalMachine)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegSetNumber_LocalMachine)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegGetText_LocalMachine)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegSetText_LocalMachine)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegDeleteValue_LocalMachine)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegCreateKey_CurrentUser)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegGetNumber_CurrentUser)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegSetNumber_CurrentUser)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegGetText_CurrentUser)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegSetText_CurrentUser)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RegDeleteValue_CurrentUser)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, CreateProcess)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, CreateProcess_WaitEnd)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, ShellExecute)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, ShellExecute_WaitEnd)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, IsProcessRunning)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, HTTP_GetFileSize)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, HTTP_DownloadFile)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, MakeDir)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RemoveDir)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, IsDirExists)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, IsFileExists)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, CopyFile)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RenameFile)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, RemoveFile)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, GetReceiveArgumentFromParentAll)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, GetReceiveArgumentFromParent)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, GetEnvironmentString)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, ShowSelectPath_Terms_Dialog)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, GetNewInterMessageQueue)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, GetNewStartProcess)},
    {kApiGlobalFunction, VELMORA_SCRIPT_METHOD(Global, GetNewShellExecute)},
    {kApiLauncherInfo, VELMORA_SCRIPT_METHOD(LInfo, SetLauncherVersion)},
    {kApiLauncherInfo, VELMORA_SCRIPT_METHOD(LInfo, GetLauncherVersion)},
    {kApiLauncherInfo, VELMORA_SCRIPT_METHOD(LInfo, SetLauncherServerURL)},
    {kApiLauncherInfo, VELMORA_SCRIPT_METHOD(LInfo, GetLauncherServerURL)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(Package, strInstallFileURL)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(Package, strInstallFileName)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(Package, strInstallFileNameArguments)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(Package, strCustomCheckFunctionName)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(StatusFns, strFunction_LauncherSameGame)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(StatusFns, strFunction_LauncherNotSameGame)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(StatusFns, strFunction_Application)},
    {kApiGameInfo, VELMORA_SCRIPT_MEMBER(StatusFns, strFunction_Patcher)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetServerURL)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetServerURL)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetPakDir)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetPakDir)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetPakName)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetPakName)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetExeFileName)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetExeFileName)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetArgument)},
    {kApiGameInfo, "SetArgument", MethodOf<GInfo, kSetArgumentText>},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetGameVersion)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetGameVersion)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetDefaultWebAddress)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetDefaultWebAddress)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, AddNewDistPackageInfo)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetLauncherProcessStatusFunctionList)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetExe32Path)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetExe32Path)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetExe64Path)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetExe64Path)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetInstallUrl)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetInstallUrl)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetEnv)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetEnv)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, GetBIUrl)},
    {kApiGameInfo, VELMORA_SCRIPT_METHOD(GInfo, SetBIUrl)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, SetInitLauncherFunction)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, SetDoApplicationFunction)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, DoApplication_Default)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, SetInstallApplicationFunction)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, SetInstallApplicationFunctionAddon)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, InstallApplication_Default)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, SetFunctionAfterLauncherApplication)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, SetDoOptionFunction)},
    {kApiLauncherImpl, VELMORA_SCRIPT_METHOD(Impl, DownloadInstallFile)},
    {kApiInterMessageQueue, VELMORA_SCRIPT_METHOD(Queue, CreateMessageQueue)},
    {kApiInterMessageQueue, VELMORA_SCRIPT_METHOD(Queue, RemoveMessageQueue)},
    {kApiInterMessageQueue, VELMORA_SCRIPT_METHOD(Queue, SendPackedMessage)},
    {kApiInterMessageQueue, VELMORA_SCRIPT_METHOD(Queue, SetMessageType)},
    {kApiInterMessageQueue, VELMORA_SCRIPT_METHOD(Queue, SetNumber)},
    {kApiInterMessageQueue, VELMORA_SCRIPT_METHOD(Queue, SetText)},
    {kApiProcesses, "CreateAppProcess", MethodOf<Starter, &Exec::CreateAppProcess>},
    {kApiProcesses, "GetCurrentProcessId", MethodOf<Starter, &Exec::GetProcessIdOfStarted>},
    {kApiProcesses, "CreateAppProcess", MethodOf<Shell, &Exec::CreateAppProcess>},
    {kApiProcesses, "GetCurrentProcessId", MethodOf<Shell, &Exec::GetProcessIdOfStarted>},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetGameInfoManager)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetLauncherGUISetup)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetLauncherGUI)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetGameID)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetGameInstallURL)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetGameInstallFile)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetClientPath)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetClientPatcherName)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetClientArgument)},
    {kApiFernwayLauncherScript, VELMORA_SCRIPT_DERIVED(Host, FScript, GetRegistryRootKey)},
    {kApiFernwayGlobalFunction, VELMORA_SCRIPT_DERIVED(Global, FGlobal, CreateFileShortcut)},
    {kApiFernwayGlobalFunction, VELMORA_SCRIPT_DERIVED(Global, FGlobal, CreateURLShortcut)},
    {kApiFernwayGlobalFunction, VELMORA_SCRIPT_DERIVED(Global, FGlobal, ShowSelectPath_Terms_Dialog)},
    {kApiFernwayGlobalFunction, VELMORA_SCRIPT_DERIVED(Global, FGlobal, GetWindowsOSVersionString)},
    {kApiGameInfoManager, VELMORA_SCRIPT_METHOD(Manager, SetRegistryRootKey_Root)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetImageForGameArea)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetCheckBoxText_01)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetCheckBoxText_02)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetCheckBoxText_03)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetIEStartPage)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetShortcutURL)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetShortcutName)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetShortcutIncludeIconFileName)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetDefaultFont)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetDefaultFontSize)},
    {kApiLauncherGUISetup, VELMORA_SCRIPT_METHOD(Setup, SetNoticeURL)},
    {kApiLauncherGUI, VELMORA_SCRIPT_METHOD(Gui, SetPosition_CurrentFileProgress)},
    {kApiLauncherGUI, VELMORA_SCRIPT_METHOD(Gui, SetPosition_TotalFileProgress)},
    {kApiLauncherGUI, VELMORA_SCRIPT_METHOD(Gui, SetText_FileText)},
    {kApiLauncherGUI, VELMORA_SCRIPT_METHOD(Gui, SetText_StatusText)},
    {kApiLauncherGUI, VELMORA_SCRIPT_METHOD(Gui, SetText_CheckBox)},
    {kApiLauncherGUI, VELMORA_SCRIPT_METHOD(Gui, SetCheck_CheckBox)},
};
#undef VELMORA_SCRIPT_METHOD
#undef VELMORA_SCRIPT_MEMBER
#undef VELMORA_SCRIPT_DERIVED
} // namespace

void BindScriptApi(lua_State* L, eScriptApiPart part)
{
    // A part's classes exist before any of their methods is bound.
    for (const sApiEntry& entry : kScriptClasses)
        if (entry.part == part) entry.bind(L, entry.name);
    for (const sApiEntry& entry : kScriptMembers)
        if (entry.part == part) entry.bind(L, entry.name);
}
