#pragma once
// The application object the script tests run against: it provides the script host and an updater
// stop flag and nothing else. Reports of the host (everything handed to _ALERT) are collected, the
// registry store lives in a fresh folder, and the log lines written since the start are at hand.
#include "launcher/app/Components.h"
#include "launcher/script/LauncherScriptLua.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "tests/support/TempDir.h"
#include "zpak/log/ZpakLog.h"

#include <lua.hpp>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

namespace scripttest
{

// Points the registry store at a temporary folder while it lives.
class RegistrySandbox
{
public:
    RegistrySandbox()
    {
        const char* old = std::getenv("VELMORA_REGISTRY_DIR");
        m_had = old != nullptr;
        if (old) m_old = old;
        ::setenv("VELMORA_REGISTRY_DIR", m_dir.NativePath().c_str(), 1);
    }
    ~RegistrySandbox()
    {
        if (m_had)
            ::setenv("VELMORA_REGISTRY_DIR", m_old.c_str(), 1);
        else
            ::unsetenv("VELMORA_REGISTRY_DIR");
    }
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    const testsupport::TempDir& Dir() const { return m_dir; }

private:
    testsupport::TempDir m_dir;
    std::string m_old;
    bool m_had = false;
};

class CScriptTestApp : public CObjectConnector, public IUpdaterStopFlag
{
public:
    CScriptTestApp()
    {
        m_logMark = ZP::GetLog()->GetHeldLines().size();
        m_initialized = host.Initialize();
        host.SetConnector(this);
        CaptureAlerts();
    }
    ~CScriptTestApp() override { host.Finalize(); }

    CFWLauncherGUI* GetLauncherGUI() override { return nullptr; }
    CRestartProcess* GetRestartProcess() override { return nullptr; }
    CLauncherUpdater* GetUpdater() override { return nullptr; }
    CPatchSystemProcess* GetPatchSystem() override { return nullptr; }
    CGameInfoManagerBase* GetGameInfoManager() override { return nullptr; }
    CLauncherScript* GetScript() override { return &host; }
    CLauncherStringTable* GetStringTable() override { return nullptr; }
    CProcessStatus* GetProcessStatus() override { return nullptr; }
    CLauncherImplement* GetImplement() override { return nullptr; }
    bool IsUpdaterStopRequested() override { return stop.load(); }

    int Run(const std::string& chunk)
    {
        return host.RunScriptBuffer(chunk.data(), static_cast<uint32_t>(chunk.size()));
    }
    int Call(const char* name) { return host.CallScriptFunction(name); }

    // A global of the state as text ("nil" when it is nil).
    std::string Global(const char* name)
    {
        lua_State* L = host.GetLuaState();
        lua_getglobal(L, name);
        std::string out;
        if (lua_isnil(L, -1))
            out = "nil";
        else if (lua_isboolean(L, -1))
            out = lua_toboolean(L, -1) ? "true" : "false";
        else if (const char* s = lua_tostring(L, -1))
            out = s;
        else
            out = luaL_typename(L, -1);
        lua_pop(L, 1);
        return out;
    }

    // (Re)installs the collecting _ALERT (a script may have replaced it).
    void CaptureAlerts()
    {
        lua_State* L = host.GetLuaState();
        if (!L) return;
        lua_pushlightuserdata(L, &alerts);
        lua_pushcclosure(L, &CScriptTestApp::Collect, 1);
        lua_setglobal(L, "_ALERT");
    }

    // Log lines written since this object was made.
    std::vector<std::wstring> LogLines() const
    {
        std::vector<std::wstring> all = ZP::GetLog()->GetHeldLines();
        return std::vector<std::wstring>(all.begin() + static_cast<long>(m_logMark), all.end());
    }
    bool Logged(const std::wstring& part) const
    {
        for (const std::wstring& line : LogLines())
            if (line.find(part) != std::wstring::npos) return true;
        return false;
    }

    CLauncherScript_Lua host;
    std::vector<std::string> alerts;
    std::atomic<bool> stop{false};
    int m_initialized = 0;

private:
    static int Collect(lua_State* L)
    {
        auto* sink = static_cast<std::vector<std::string>*>(lua_touserdata(L, lua_upvalueindex(1)));
        size_t n = 0;
        const char* s = lua_tolstring(L, 1, &n);
        sink->push_back(s ? std::string(s, n) : std::string("<nil>"));
        return 0;
    }

    size_t m_logMark = 0;
};

// The script prelude every test chunk of the global functions starts with.
inline const char* kGlobalFunctionPrelude = "gf = LauncherScriptObject:GetGlobalFunction()\n";

} // namespace scripttest
