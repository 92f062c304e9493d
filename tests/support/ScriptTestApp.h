#pragma once
// The application object the script tests run against: it provides the script host (the general one,
// or the launcher program's with CScriptTestAppOf<CFernwayLauncherScript>) and an updater stop flag
// and nothing else. Reports of the host (everything handed to _ALERT) are collected and the
// log lines written since the start are at hand. Tests that touch the registry add a RegistrySandbox.
#include "launcher/script/LauncherScriptLua.h"
#include "tests/support/StubConnector.h"
#include "zpak/log/ZpakLog.h"

#include <lua.hpp>

#include <string>
#include <vector>

namespace testsupport
{

template <class Host> class CScriptTestAppOf : public CStubConnector
{
public:
    CScriptTestAppOf()
    {
        m_logMark = ZP::GetLog()->GetHeldLines().size();
        m_initialized = host.Initialize();
        host.SetConnector(this);
        CaptureAlerts();
    }
    ~CScriptTestAppOf() override { host.Finalize(); }

    CLauncherScript* GetScript() override { return &host; }

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
        lua_pushcclosure(L, &CScriptTestAppOf::Collect, 1);
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

    Host host;
    std::vector<std::string> alerts;
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

using CScriptTestApp = CScriptTestAppOf<CLauncherScript_Lua>;

// The script prelude every test chunk of the global functions starts with.
inline const char* kGlobalFunctionPrelude = "gf = LauncherScriptObject:GetGlobalFunction()\n";

} // namespace testsupport
