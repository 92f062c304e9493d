#include "launcher/script/LuaTinker.h"

#include <cstdarg>
#include <cstdio>

namespace lua_tinker
{
namespace
{
// A script can chain class tables through "__parent" itself, also into a circle.
constexpr int kMaxParentDepth = 32;

const char* const kChunkName = "lua_tinker::dobuffer()";

const char* KeyText(lua_State* L, int index)
{
    int t = lua_type(L, index);
    return t == LUA_TSTRING || t == LUA_TNUMBER ? lua_tostring(L, index) : luaL_typename(L, index);
}

void WriteToStdout(const char* text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int ProtectedDeliver(lua_State* L)
{
    const char* text = static_cast<const char*>(lua_touserdata(L, 1));
    lua_getglobal(L, "_ALERT");
    if (!lua_isfunction(L, -1))
    {
        WriteToStdout(text);
        return 0;
    }
    lua_pushstring(L, text);
    // A failing _ALERT must not take the report (or the host) with it.
    if (lua_pcall(L, 1, 0, 0) != 0) WriteToStdout(text);
    return 0;
}

void Deliver(lua_State* L, const char* text)
{
    if (lua_cpcall(L, ProtectedDeliver, const_cast<char*>(text)) != 0)
    {
        lua_pop(L, 1);
        WriteToStdout(text);
    }
}

// An error that the handler never saw: out of memory (no handler runs) or a failing handler.
void ReportUnhandled(lua_State* L, int status)
{
    if (status != LUA_ERRMEM && status != LUA_ERRERR) return;
    const char* message = lua_tostring(L, -1);
    report_error(L, "%s", message ? message : "error in error handling");
}

struct sBufferJob
{
    const char* bytes;
    size_t length;
};

int ProtectedDoBuffer(lua_State* L)
{
    const sBufferJob* job = static_cast<const sBufferJob*>(lua_touserdata(L, 1));
    lua_pushcfunction(L, on_script_error);
    int handler = lua_gettop(L);
    if (luaL_loadbuffer(L, job->bytes, job->length, kChunkName) == 0)
        ReportUnhandled(L, lua_pcall(L, 0, 1, handler));
    else
        report_error(L, "%s", lua_tostring(L, -1) ? lua_tostring(L, -1) : "");
    lua_remove(L, handler);
    lua_pop(L, 1);
    return 0;
}

enum class eArgument
{
    None,
    Text,
    Number,
    Boolean,
};

struct sCallJob
{
    const char* name;
    eArgument kind;
    const char* text;
    lua_Number number;
    bool boolean;
    lua_Number result;
};

int ProtectedCall(lua_State* L)
{
    sCallJob* job = static_cast<sCallJob*>(lua_touserdata(L, 1));
    lua_pushcfunction(L, on_script_error);
    int handler = lua_gettop(L);
    lua_getglobal(L, job->name);
    if (lua_isfunction(L, -1))
    {
        int count = 1;
        switch (job->kind)
        {
        case eArgument::None:
            count = 0;
            break;
        case eArgument::Text:
            value_traits<const char*>::push(L, job->text);
            break;
        case eArgument::Number:
            lua_pushnumber(L, job->number);
            break;
        case eArgument::Boolean:
            lua_pushboolean(L, job->boolean ? 1 : 0);
            break;
        }
        ReportUnhandled(L, lua_pcall(L, count, 1, handler));
    }
    else
    {
        // What was found stays: a global holding a number answers with that number.
        report_error(L, "lua_tinker::call() attempt to call global `%s' (not a function)", job->name);
    }
    lua_remove(L, handler);
    job->result = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return 0;
}

int RunCall(lua_State* L, sCallJob& job)
{
    if (!L || !job.name) return 0;
    job.result = 0;
    if (lua_cpcall(L, ProtectedCall, &job) != 0)
    {
        // Raised outside the function's own protected call (a metamethod of the globals table).
        const char* message = lua_tostring(L, -1);
        char text[4096];
        std::snprintf(text, sizeof(text), "%s", message ? message : "lua_tinker::call() failed");
        lua_pop(L, 1);
        Deliver(L, text);
        return 0;
    }
    return detail::to_integer<int32_t>(job.result);
}
} // namespace

int class_index(lua_State* L)
{
    if (lua_getmetatable(L, 1))
    {
        for (int depth = 0;; ++depth)
        {
            lua_pushvalue(L, 2);
            lua_rawget(L, -2);
            int type = lua_type(L, -1);
            // Methods are the common case: one type test and out.
            if (type == LUA_TFUNCTION) return 1;
            if (type == LUA_TUSERDATA)
            {
                detail::box_header* h = detail::header_at(L, -1);
                if (h && h->kind == &detail::member_kind && h->member) h->member->get(L);
                return 1;
            }
            if (type != LUA_TNIL) return 1;
            lua_pop(L, 1);
            if (depth >= kMaxParentDepth) break;
            lua_pushstring(L, "__parent");
            lua_rawget(L, -2);
            if (!lua_istable(L, -1)) break;
            lua_remove(L, -2);
        }
    }
    return luaL_error(L, "can't find '%s' class variable. (forgot registering class variable ?)",
                      KeyText(L, 2));
}

int class_newindex(lua_State* L)
{
    lua_settop(L, 3);
    if (!lua_getmetatable(L, 1)) return 0;
    int table = lua_gettop(L);
    lua_pushvalue(L, 2);
    lua_rawget(L, table);
    if (lua_isnil(L, -1))
    {
        // A new key belongs to the class: every object of it sees the value.
        lua_pushvalue(L, 2);
        lua_pushvalue(L, 3);
        lua_rawset(L, table);
    }
    else if (detail::box_header* h = detail::header_at(L, -1);
             h && h->kind == &detail::member_kind && h->member)
    {
        h->member->set(L);
    }
    lua_settop(L, 3);
    return 0;
}

int collect_user(lua_State* L)
{
    detail::box_header* h = detail::header_at(L, 1);
    if (h && h->kind && h->kind->family == detail::kObjectFamily && h->object)
    {
        user* holder = h->object;
        h->kind = nullptr;
        h->object = nullptr;
        holder->~user();
    }
    return 0;
}

void dobuffer(lua_State* L, const char* bytes, size_t length)
{
    if (!L) return;
    sBufferJob job{bytes ? bytes : "", bytes ? length : 0};
    if (lua_cpcall(L, ProtectedDoBuffer, &job) != 0)
    {
        const char* message = lua_tostring(L, -1);
        char text[4096];
        std::snprintf(text, sizeof(text), "%s", message ? message : "lua_tinker::dobuffer() failed");
        lua_pop(L, 1);
        Deliver(L, text);
    }
}

int call(lua_State* L, const char* name)
{
    sCallJob job{name, eArgument::None, nullptr, 0, false, 0};
    return RunCall(L, job);
}

int call(lua_State* L, const char* name, const char* text)
{
    sCallJob job{name, eArgument::Text, text, 0, false, 0};
    return RunCall(L, job);
}

int call(lua_State* L, const char* name, bool value)
{
    sCallJob job{name, eArgument::Boolean, nullptr, 0, value, 0};
    return RunCall(L, job);
}

int call_number(lua_State* L, const char* name, lua_Number number)
{
    sCallJob job{name, eArgument::Number, nullptr, number, false, 0};
    return RunCall(L, job);
}

void report_error(lua_State* L, const char* format, ...)
{
    char text[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    if (L)
        Deliver(L, text);
    else
        WriteToStdout(text);
}

int on_script_error(lua_State* L)
{
    int t = lua_type(L, 1);
    if (t == LUA_TSTRING || t == LUA_TNUMBER)
        report_error(L, "%s", lua_tostring(L, 1));
    else
        report_error(L, "(error object is a %s value)", luaL_typename(L, 1));
    dump_call_stack(L, 0);
    return 0;
}

void dump_call_stack(lua_State* L, int level)
{
    lua_Debug ar;
    bool first = true;
    for (int n = level; lua_getstack(L, n, &ar); ++n)
    {
        lua_getinfo(L, "nSluf", &ar);
        lua_CFunction function = lua_tocfunction(L, -1);
        lua_pop(L, 1);
        // The protected calls made here to shield the launcher's frames are not the script's.
        if (function == ProtectedDoBuffer || function == ProtectedCall || function == ProtectedDeliver) break;
        if (first) report_error(L, "%s", "\t<call stack>");
        const char* indent = first ? "->\t" : "\t";
        if (ar.name)
            report_error(L, "%s%s() : line %d [%s : line %d]", indent, ar.name, ar.currentline, ar.source,
                         ar.linedefined);
        else
            report_error(L, "%sunknown : line %d [%s : line %d]", indent, ar.currentline, ar.source,
                         ar.linedefined);
        first = false;
    }
}

} // namespace lua_tinker
