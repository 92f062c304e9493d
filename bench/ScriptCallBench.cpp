// A method bound through the binding layer, called from a Lua loop of 10,000,000 calls, beside the
// same loop calling a plain lua_CFunction that does the same work (add to a counter, return it).
// "obj:Add(1)" finds the method through the class table's __index handler on every call; the third
// loop takes the method once and calls it with the object, which leaves the invoker alone.
#include "launcher/script/LuaTinker.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr int64_t kCalls = 10000000;

struct sBenchCounter
{
    int Add(int value)
    {
        total += value;
        return total;
    }
    int total = 0;
};

int PlainAdd(lua_State* L)
{
    auto* counter = static_cast<sBenchCounter*>(lua_touserdata(L, lua_upvalueindex(1)));
    counter->total += lua_tinker::detail::to_integer<int>(lua_tonumber(L, 1));
    lua_pushnumber(L, counter->total);
    return 1;
}

// A state with the loop compiled once; each benchmark iteration runs it.
class LoopState
{
public:
    LoopState(bool bound, const char* loop)
    {
        L = luaL_newstate();
        lua_cpcall(L, luaopen_base, nullptr);
        if (bound)
        {
            lua_tinker::add_class<sBenchCounter>(L, "BenchCounter");
            lua_tinker::define_method<sBenchCounter>(L, "Add", &sBenchCounter::Add);
            lua_tinker::set_global_object(L, "counter", &counter);
            luaL_loadstring(L, loop);
        }
        else
        {
            lua_pushlightuserdata(L, &counter);
            lua_pushcclosure(L, PlainAdd, 1);
            lua_setglobal(L, "add");
            luaL_loadstring(L, "local add = add\nfor i = 1, 10000000 do add(1) end");
        }
    }
    ~LoopState() { lua_close(L); }
    LoopState(const LoopState&) = delete;
    LoopState& operator=(const LoopState&) = delete;

    bool RunOnce()
    {
        lua_pushvalue(L, -1);
        return lua_pcall(L, 0, 0, 0) == 0;
    }

    lua_State* L = nullptr;
    sBenchCounter counter;
};

void RunLoop(benchmark::State& state, bool bound, const char* code = nullptr)
{
    LoopState loop(bound, code);
    for (auto _ : state)
    {
        if (!loop.RunOnce())
        {
            state.SkipWithError("the loop failed");
            break;
        }
    }
    benchmark::DoNotOptimize(loop.counter.total);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kCalls);
}

void BM_ScriptBoundMethodCall(benchmark::State& state)
{
    RunLoop(state, true, "local c = counter\nfor i = 1, 10000000 do c:Add(1) end");
}
void BM_ScriptBoundMethodCallLookedUpOnce(benchmark::State& state)
{
    RunLoop(state, true, "local c = counter\nlocal add = c.Add\nfor i = 1, 10000000 do add(c, 1) end");
}
void BM_ScriptPlainFunctionCall(benchmark::State& state)
{
    RunLoop(state, false);
}
} // namespace

BENCHMARK(BM_ScriptBoundMethodCall)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptBoundMethodCallLookedUpOnce)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptPlainFunctionCall)->Iterations(1)->Unit(benchmark::kMillisecond);
