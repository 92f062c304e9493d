#include "launcher/script/LauncherScriptLua.h"

#include "launcher/app/MessageBox.h"
#include "launcher/app/RestartProcess.h"
#include "launcher/gui/LauncherGUI.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/info/LauncherInfo.h"
#include "launcher/script/ExecuteWrapper.h"
#include "launcher/script/GlobalFunctionForScript.h"
#include "launcher/script/InterMessageQueue.h"
#include "launcher/script/LuaTinker.h"
#include "launcher/script/ScriptText.h"
#include "launcher/workflow/LauncherImplement.h"
#include "zpak/file/File.h"
#include "zpak/log/ZpakLog.h"

#include <cstdio>
#include <cstdlib>

namespace
{
int Panic(lua_State* L)
{
    const char* message = lua_tostring(L, -1);
    std::fprintf(stderr, "unprotected error in the script host: %s\n", message ? message : "?");
    return 0;
}
} // namespace

CLauncherScript_Lua::CLauncherScript_Lua() = default;

CLauncherScript_Lua::~CLauncherScript_Lua()
{
    Finalize();
}

CGlobalFunctionForScript* CLauncherScript_Lua::CreateGlobalFunction()
{
    return new CGlobalFunctionForScript;
}

void* CLauncherScript_Lua::Allocate(void* self, void* block, size_t oldSize, size_t newSize)
{
    CLauncherScript_Lua* host = static_cast<CLauncherScript_Lua*>(self);
    size_t previous = block ? oldSize : 0;
    if (newSize == 0)
    {
        std::free(block);
        host->m_memoryInUse -= previous;
        return nullptr;
    }
    if (newSize > previous)
    {
        size_t growth = newSize - previous;
        if (host->m_memoryInUse > kMemoryLimit || growth > kMemoryLimit - host->m_memoryInUse) return nullptr;
    }
    void* moved = std::realloc(block, newSize);
    if (!moved)
        // The library counts on a block never failing to shrink.
        return newSize <= previous ? block : nullptr;
    host->m_memoryInUse = host->m_memoryInUse - previous + newSize;
    return moved;
}

// Runs the registration slots inside a protected call: a failure in them (out of memory) ends
// there and not across the host's frames.
int CLauncherScript_Lua::RunRegistration(lua_State* L)
{
    CLauncherScript_Lua* host = static_cast<CLauncherScript_Lua*>(lua_touserdata(L, 1));
    host->RegisterGlobalFunctionClass();
    host->RegisterLauncherInfoClass();
    host->RegisterGameInfoClasses();
    host->RegisterLauncherImplClass();
    host->RegisterInterMessageQueueClass();
    host->RegisterProcessClasses();
    host->RegisterLauncherScriptClass();
    return 0;
}

int CLauncherScript_Lua::Initialize()
{
    if (m_state) return 1;
    m_globalFunction = CreateGlobalFunction();
    if (m_connector && m_globalFunction) m_globalFunction->SetConnector(m_connector);
    m_memoryInUse = 0;
    lua_State* L = lua_newstate(&CLauncherScript_Lua::Allocate, this);
    if (!L)
    {
        Finalize();
        return 0;
    }
    lua_atpanic(L, Panic);
    m_state = L;
    if (lua_cpcall(L, luaopen_base, nullptr) != 0 || lua_cpcall(L, luaopen_string, nullptr) != 0 ||
        lua_cpcall(L, &CLauncherScript_Lua::RunRegistration, this) != 0)
    {
        Finalize();
        return 0;
    }
    lua_settop(L, 0);
    return 1;
}

void CLauncherScript_Lua::Finalize()
{
    if (m_state) lua_close(m_state);
    m_state = nullptr;
    delete m_globalFunction;
    m_globalFunction = nullptr;
}

void CLauncherScript_Lua::SetConnector(CObjectConnector* connector)
{
    m_connector = connector;
    if (m_globalFunction) m_globalFunction->SetConnector(connector);
}

int CLauncherScript_Lua::RunScriptBuffer(const char* bytes, uint32_t length)
{
    if (!m_state || (!bytes && length > 0)) return 0;
    m_codePage = 65001;
    if (length >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
    {
        lua_tinker::dobuffer(m_state, bytes + 3, length - 3);
    }
    else
    {
        m_codePage = 0;
        lua_tinker::dobuffer(m_state, bytes, length);
    }
    return 1;
}

int CLauncherScript_Lua::LoadScriptFile(const wchar_t* path)
{
    if (!m_state) return 0;
    ZP::CFile file;
    int r = file.Open(path, ZP::kModeRead, 0);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CLauncherScript_Lua::LoadScriptFile");
        return r;
    }
    uint32_t size = file.GetSize();
    char* buffer = ZP::AllocBuffer(size);
    if (!buffer)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidPointer, "CLauncherScript_Lua::LoadScriptFile");
        return ZP::kErrorInvalidPointer;
    }
    uint32_t done = 0;
    while (done < size)
    {
        uint32_t n = file.Read(buffer + done, size - done);
        if (n == 0) break;
        done += n;
    }
    file.Close();
    r = RunScriptBuffer(buffer, done);
    ZP::FreeBuffer(buffer);
    return r;
}

int CLauncherScript_Lua::CallScriptFunction(const char* name)
{
    if (!m_state || !name) return -1;
    return lua_tinker::call(m_state, name);
}

void CLauncherScript_Lua::RegisterLauncherScriptClass()
{
    lua_State* L = m_state;
    lua_tinker::add_class<CLauncherScript_Lua>(L, "LauncherScript");
    lua_tinker::define_method<CLauncherScript_Lua>(L, "GetGlobalFunction",
                                                   &CLauncherScript_Lua::GetGlobalFunction);
    lua_tinker::define_method<CLauncherScript_Lua>(L, "GetLauncherInfo", &CLauncherScript_Lua::GetLauncherInfo);
    lua_tinker::define_method<CLauncherScript_Lua>(L, "GetGameInfo", &CLauncherScript_Lua::GetGameInfo);
    lua_tinker::define_method<CLauncherScript_Lua>(L, "GetLauncherImpl", &CLauncherScript_Lua::GetLauncherImpl);
    lua_tinker::define_method<CLauncherScript_Lua>(L, "MessageBox", &CLauncherScript_Lua::MessageBox);
    lua_tinker::define_method<CLauncherScript_Lua>(L, "ShowLauncher", &CLauncherScript_Lua::ShowLauncher);
    lua_tinker::define_method<CLauncherScript_Lua>(L, "GetLauncherRootPath",
                                                   &CLauncherScript_Lua::GetLauncherRootPath);
    lua_tinker::set_global_object(L, "LauncherScriptObject", this);
}

void CLauncherScript_Lua::RegisterGlobalFunctionClass()
{
    using G = CGlobalFunctionForScript;
    lua_State* L = m_state;
    lua_tinker::add_class<G>(L, "GlobalFunction");
    lua_tinker::define_method<G>(L, "RegCreateKey_LocalMachine", &G::RegCreateKey_LocalMachine);
    lua_tinker::define_method<G>(L, "RegGetNumber_LocalMachine", &G::RegGetNumber_LocalMachine);
    lua_tinker::define_method<G>(L, "RegSetNumber_LocalMachine", &G::RegSetNumber_LocalMachine);
    lua_tinker::define_method<G>(L, "RegGetText_LocalMachine", &G::RegGetText_LocalMachine);
    lua_tinker::define_method<G>(L, "RegSetText_LocalMachine", &G::RegSetText_LocalMachine);
    lua_tinker::define_method<G>(L, "RegDeleteValue_LocalMachine", &G::RegDeleteValue_LocalMachine);
    lua_tinker::define_method<G>(L, "RegCreateKey_CurrentUser", &G::RegCreateKey_CurrentUser);
    lua_tinker::define_method<G>(L, "RegGetNumber_CurrentUser", &G::RegGetNumber_CurrentUser);
    lua_tinker::define_method<G>(L, "RegSetNumber_CurrentUser", &G::RegSetNumber_CurrentUser);
    lua_tinker::define_method<G>(L, "RegGetText_CurrentUser", &G::RegGetText_CurrentUser);
    lua_tinker::define_method<G>(L, "RegSetText_CurrentUser", &G::RegSetText_CurrentUser);
    lua_tinker::define_method<G>(L, "RegDeleteValue_CurrentUser", &G::RegDeleteValue_CurrentUser);
    lua_tinker::define_method<G>(L, "CreateProcess", &G::CreateProcess);
    lua_tinker::define_method<G>(L, "CreateProcess_WaitEnd", &G::CreateProcess_WaitEnd);
    lua_tinker::define_method<G>(L, "ShellExecute", &G::ShellExecute);
    lua_tinker::define_method<G>(L, "ShellExecute_WaitEnd", &G::ShellExecute_WaitEnd);
    lua_tinker::define_method<G>(L, "IsProcessRunning", &G::IsProcessRunning);
    lua_tinker::define_method<G>(L, "HTTP_GetFileSize", &G::HTTP_GetFileSize);
    lua_tinker::define_method<G>(L, "HTTP_DownloadFile", &G::HTTP_DownloadFile);
    lua_tinker::define_method<G>(L, "MakeDir", &G::MakeDir);
    lua_tinker::define_method<G>(L, "RemoveDir", &G::RemoveDir);
    lua_tinker::define_method<G>(L, "IsDirExists", &G::IsDirExists);
    lua_tinker::define_method<G>(L, "IsFileExists", &G::IsFileExists);
    lua_tinker::define_method<G>(L, "CopyFile", &G::CopyFile);
    lua_tinker::define_method<G>(L, "RenameFile", &G::RenameFile);
    lua_tinker::define_method<G>(L, "RemoveFile", &G::RemoveFile);
    lua_tinker::define_method<G>(L, "GetReceiveArgumentFromParentAll", &G::GetReceiveArgumentFromParentAll);
    lua_tinker::define_method<G>(L, "GetReceiveArgumentFromParent", &G::GetReceiveArgumentFromParent);
    lua_tinker::define_method<G>(L, "GetEnvironmentString", &G::GetEnvironmentString);
    lua_tinker::define_method<G>(L, "ShowSelectPath_Terms_Dialog", &G::ShowSelectPath_Terms_Dialog);
    lua_tinker::define_method<G>(L, "GetNewInterMessageQueue", &G::GetNewInterMessageQueue);
    lua_tinker::define_method<G>(L, "GetNewStartProcess", &G::GetNewStartProcess);
    lua_tinker::define_method<G>(L, "GetNewShellExecute", &G::GetNewShellExecute);
}

CLauncherInfo* CLauncherScript_Lua::GetLauncherInfo()
{
    CRestartProcess* restart = m_connector ? m_connector->GetRestartProcess() : nullptr;
    return restart ? restart->GetLauncherInfo() : nullptr;
}

CGameInfo* CLauncherScript_Lua::GetGameInfo()
{
    CGameInfoManagerBase* manager = m_connector ? m_connector->GetGameInfoManager() : nullptr;
    return manager ? manager->GetGameInfo() : nullptr;
}

CDefaultLauncherImplement* CLauncherScript_Lua::GetLauncherImpl()
{
    CLauncherImplement* implement = m_connector ? m_connector->GetImplement() : nullptr;
    return dynamic_cast<CDefaultLauncherImplement*>(implement);
}

void CLauncherScript_Lua::MessageBox(const char* text)
{
    std::wstring wide = script_text::ToWide(text, m_codePage, 1024);
    ShowMessage(wide.c_str(), kMessageNotice);
}

void CLauncherScript_Lua::ShowLauncher(bool show)
{
    CFWLauncherGUI* gui = m_connector ? m_connector->GetLauncherGUI() : nullptr;
    if (gui) gui->ShowLauncher(show);
}

const char* CLauncherScript_Lua::GetLauncherRootPath()
{
    CLauncherInfo* info = GetLauncherInfo();
    return info ? info->GetLauncherRootPath() : nullptr;
}

void CLauncherScript_Lua::RegisterLauncherInfoClass()
{
    using I = CLauncherInfo;
    lua_State* L = m_state;
    lua_tinker::add_class<I>(L, "LauncherInfo");
    lua_tinker::define_method<I>(L, "SetLauncherVersion", &I::SetLauncherVersion);
    lua_tinker::define_method<I>(L, "GetLauncherVersion", &I::GetLauncherVersion);
    lua_tinker::define_method<I>(L, "SetLauncherServerURL", &I::SetLauncherServerURL);
    lua_tinker::define_method<I>(L, "GetLauncherServerURL", &I::GetLauncherServerURL);
}

void CLauncherScript_Lua::RegisterGameInfoClasses()
{
    lua_State* L = m_state;
    using P = sDistributePackageInfo;
    lua_tinker::add_class<P>(L, "DistPackageInfo");
    lua_tinker::define_member<P>(L, "strInstallFileURL", &P::strInstallFileURL);
    lua_tinker::define_member<P>(L, "strInstallFileName", &P::strInstallFileName);
    lua_tinker::define_member<P>(L, "strInstallFileNameArguments", &P::strInstallFileNameArguments);
    lua_tinker::define_member<P>(L, "strCustomCheckFunctionName", &P::strCustomCheckFunctionName);

    using F = sLauncherProcessStatusFunction;
    lua_tinker::add_class<F>(L, "LauncherProcessStatusFunction");
    lua_tinker::define_member<F>(L, "strFunction_LauncherSameGame", &F::strFunction_LauncherSameGame);
    lua_tinker::define_member<F>(L, "strFunction_LauncherNotSameGame", &F::strFunction_LauncherNotSameGame);
    lua_tinker::define_member<F>(L, "strFunction_Application", &F::strFunction_Application);
    lua_tinker::define_member<F>(L, "strFunction_Patcher", &F::strFunction_Patcher);

    using G = CGameInfo;
    lua_tinker::add_class<G>(L, "GameInfo");
    lua_tinker::define_method<G>(L, "GetServerURL", &G::GetServerURL);
    lua_tinker::define_method<G>(L, "SetServerURL", &G::SetServerURL);
    lua_tinker::define_method<G>(L, "GetPakDir", &G::GetPakDir);
    lua_tinker::define_method<G>(L, "SetPakDir", &G::SetPakDir);
    lua_tinker::define_method<G>(L, "GetPakName", &G::GetPakName);
    lua_tinker::define_method<G>(L, "SetPakName", &G::SetPakName);
    lua_tinker::define_method<G>(L, "GetExeFileName", &G::GetExeFileName);
    lua_tinker::define_method<G>(L, "SetExeFileName", &G::SetExeFileName);
    lua_tinker::define_method<G>(L, "GetArgument", &G::GetArgument);
    lua_tinker::define_method<G>(L, "SetArgument", static_cast<uint32_t (G::*)(const char*)>(&G::SetArgument));
    lua_tinker::define_method<G>(L, "GetGameVersion", &G::GetGameVersion);
    lua_tinker::define_method<G>(L, "SetGameVersion", &G::SetGameVersion);
    lua_tinker::define_method<G>(L, "GetDefaultWebAddress", &G::GetDefaultWebAddress);
    lua_tinker::define_method<G>(L, "SetDefaultWebAddress", &G::SetDefaultWebAddress);
    lua_tinker::define_method<G>(L, "AddNewDistPackageInfo", &G::AddNewDistPackageInfo);
    lua_tinker::define_method<G>(L, "GetLauncherProcessStatusFunctionList",
                                 &G::GetLauncherProcessStatusFunctionList);
    lua_tinker::define_method<G>(L, "GetExe32Path", &G::GetExe32Path);
    lua_tinker::define_method<G>(L, "SetExe32Path", &G::SetExe32Path);
    lua_tinker::define_method<G>(L, "GetExe64Path", &G::GetExe64Path);
    lua_tinker::define_method<G>(L, "SetExe64Path", &G::SetExe64Path);
    lua_tinker::define_method<G>(L, "GetInstallUrl", &G::GetInstallUrl);
    lua_tinker::define_method<G>(L, "SetInstallUrl", &G::SetInstallUrl);
    lua_tinker::define_method<G>(L, "GetEnv", &G::GetEnv);
    lua_tinker::define_method<G>(L, "SetEnv", &G::SetEnv);
    lua_tinker::define_method<G>(L, "GetBIUrl", &G::GetBIUrl);
    lua_tinker::define_method<G>(L, "SetBIUrl", &G::SetBIUrl);
}

void CLauncherScript_Lua::RegisterLauncherImplClass()
{
    using D = CDefaultLauncherImplement;
    lua_State* L = m_state;
    lua_tinker::add_class<D>(L, "LauncherImpl");
    lua_tinker::define_method<D>(L, "SetInitLauncherFunction", &D::SetInitLauncherFunction);
    lua_tinker::define_method<D>(L, "SetDoApplicationFunction", &D::SetDoApplicationFunction);
    lua_tinker::define_method<D>(L, "DoApplication_Default", &D::DoApplication_Default);
    lua_tinker::define_method<D>(L, "SetInstallApplicationFunction", &D::SetInstallApplicationFunction);
    lua_tinker::define_method<D>(L, "SetInstallApplicationFunctionAddon", &D::SetInstallApplicationFunctionAddon);
    lua_tinker::define_method<D>(L, "InstallApplication_Default", &D::InstallApplication_Default);
    lua_tinker::define_method<D>(L, "SetFunctionAfterLauncherApplication",
                                 &D::SetFunctionAfterLauncherApplication);
    lua_tinker::define_method<D>(L, "SetDoOptionFunction", &D::SetDoOptionFunction);
    lua_tinker::define_method<D>(L, "DownloadInstallFile", &D::DownloadInstallFile);
}

void CLauncherScript_Lua::RegisterInterMessageQueueClass()
{
    using Q = CInterMessageQueue;
    lua_State* L = m_state;
    lua_tinker::add_class<Q>(L, "InterMessageQueue");
    lua_tinker::define_method<Q>(L, "CreateMessageQueue", &Q::CreateMessageQueue);
    lua_tinker::define_method<Q>(L, "RemoveMessageQueue", &Q::RemoveMessageQueue);
    lua_tinker::define_method<Q>(L, "SendPackedMessage", &Q::SendPackedMessage);
    lua_tinker::define_method<Q>(L, "SetMessageType", &Q::SetMessageType);
    lua_tinker::define_method<Q>(L, "SetNumber", &Q::SetNumber);
    lua_tinker::define_method<Q>(L, "SetText", &Q::SetText);
}

void CLauncherScript_Lua::RegisterProcessClasses()
{
    lua_State* L = m_state;
    lua_tinker::add_class<CStartProcessWrapper>(L, "StartProcess");
    lua_tinker::define_method<CStartProcessWrapper>(L, "CreateAppProcess",
                                                    &CExecuteWrapper::CreateAppProcess);
    lua_tinker::define_method<CStartProcessWrapper>(L, "GetCurrentProcessId",
                                                    &CExecuteWrapper::GetProcessIdOfStarted);
    lua_tinker::add_class<CShellExecuteWrapper>(L, "ShellExecute");
    lua_tinker::define_method<CShellExecuteWrapper>(L, "CreateAppProcess",
                                                    &CExecuteWrapper::CreateAppProcess);
    lua_tinker::define_method<CShellExecuteWrapper>(L, "GetCurrentProcessId",
                                                    &CExecuteWrapper::GetProcessIdOfStarted);
}
