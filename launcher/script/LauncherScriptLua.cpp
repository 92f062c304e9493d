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
#include "launcher/script/ScriptApi.h"
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

std::unique_ptr<CGlobalFunctionForScript> CLauncherScript_Lua::CreateGlobalFunction()
{
    return std::make_unique<CGlobalFunctionForScript>();
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
    static_cast<CLauncherScript_Lua*>(lua_touserdata(L, 1))->RegisterClasses();
    return 0;
}

void CLauncherScript_Lua::RegisterClasses()
{
    RegisterGlobalFunctionClass();
    RegisterLauncherInfoClass();
    RegisterGameInfoClasses();
    RegisterLauncherImplClass();
    RegisterInterMessageQueueClass();
    RegisterProcessClasses();
    RegisterLauncherScriptClass();
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
    m_globalFunction.reset();
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

int CLauncherScript_Lua::CallScriptFunctionWithNumber(const char* name, double number)
{
    if (!m_state || !name) return -1;
    return lua_tinker::call(m_state, name, number);
}

void CLauncherScript_Lua::RegisterLauncherScriptClass()
{
    BindScriptApi(m_state, kApiLauncherScript);
    lua_tinker::set_global_object(m_state, "LauncherScriptObject", this);
}

void CLauncherScript_Lua::RegisterGlobalFunctionClass()
{
    BindScriptApi(m_state, kApiGlobalFunction);
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
    BindScriptApi(m_state, kApiLauncherInfo);
}

void CLauncherScript_Lua::RegisterGameInfoClasses()
{
    BindScriptApi(m_state, kApiGameInfo);
}

void CLauncherScript_Lua::RegisterLauncherImplClass()
{
    BindScriptApi(m_state, kApiLauncherImpl);
}

void CLauncherScript_Lua::RegisterInterMessageQueueClass()
{
    BindScriptApi(m_state, kApiInterMessageQueue);
}

void CLauncherScript_Lua::RegisterProcessClasses()
{
    BindScriptApi(m_state, kApiProcesses);
}
