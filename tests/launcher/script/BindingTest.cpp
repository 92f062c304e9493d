// The binding layer on a small class of its own, in a state with the base library only.
#include "launcher/script/LuaTinker.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace
{
struct sCounter
{
    int Add(int value)
    {
        total += value;
        return total;
    }
    unsigned Largest() { return 4294967295u; }
    unsigned Wrapped(unsigned value) { return value; }
    bool Truth(bool value) { return value; }
    const char* Echo(const char* text) { return text; }
    const char* NoText() { return nullptr; }
    sCounter* NoObject() { return nullptr; }
    sCounter* Self() { return this; }
    int Throws() { throw std::runtime_error("inside"); }
    int Peek() const { return total; }

    int total = 0;
    int count = 0;
    lua_tinker::owned_text label;
};

struct sOther
{
    int Value() { return 99; }
};

class Binding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        L = luaL_newstate();
        ASSERT_EQ(lua_cpcall(L, luaopen_base, nullptr), 0);
        lua_tinker::add_class<sCounter>(L, "Counter");
        lua_tinker::define_method<sCounter>(L, "Add", &sCounter::Add);
        lua_tinker::define_method<sCounter>(L, "Largest", &sCounter::Largest);
        lua_tinker::define_method<sCounter>(L, "Wrapped", &sCounter::Wrapped);
        lua_tinker::define_method<sCounter>(L, "Truth", &sCounter::Truth);
        lua_tinker::define_method<sCounter>(L, "Echo", &sCounter::Echo);
        lua_tinker::define_method<sCounter>(L, "NoText", &sCounter::NoText);
        lua_tinker::define_method<sCounter>(L, "NoObject", &sCounter::NoObject);
        lua_tinker::define_method<sCounter>(L, "Self", &sCounter::Self);
        lua_tinker::define_method<sCounter>(L, "Throws", &sCounter::Throws);
        lua_tinker::define_method<sCounter>(L, "Peek", &sCounter::Peek);
        lua_tinker::define_member<sCounter>(L, "count", &sCounter::count);
        lua_tinker::define_member<sCounter>(L, "label", &sCounter::label);
        lua_tinker::add_class<sOther>(L, "Other");
        lua_tinker::define_method<sOther>(L, "Value", &sOther::Value);
        lua_tinker::set_global_object(L, "a", &first);
        lua_tinker::set_global_object(L, "b", &second);
        lua_tinker::set_global_object(L, "other", &third);
        lua_tinker::set_global_object<sCounter>(L, "none", nullptr);
        ASSERT_EQ(lua_gettop(L), 0) << "binding leaves nothing on the stack";
    }
    void TearDown() override { lua_close(L); }

    // tostring() of a Lua expression, evaluated in a protected call.
    std::string Eval(const std::string& expression)
    {
        std::string chunk = "return tostring(" + expression + ")";
        if (luaL_loadstring(L, chunk.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0)
        {
            std::string error = std::string("error: ") + lua_tostring(L, -1);
            lua_pop(L, 1);
            return error;
        }
        std::string out = lua_tostring(L, -1);
        lua_pop(L, 1);
        return out;
    }
    void Exec(const std::string& chunk)
    {
        ASSERT_EQ(luaL_dostring(L, chunk.c_str()), 0) << lua_tostring(L, -1);
    }

    lua_State* L = nullptr;
    sCounter first;
    sCounter second;
    sOther third;
};
} // namespace

TEST_F(Binding, ArgumentsAndResultsConvert)
{
    struct
    {
        const char* expression;
        const char* value;
    } cases[] = {
        {"a:Add(2.9) - 0", "2"},   // truncated toward zero
        {"a:Add(-1.5) - 2", "-1"}, // toward zero, not down
        {"a:Add(true) - 1", "0"},  // a boolean is no number
        {"a:Add('7') - 1", "7"},   // a numeric text is
        {"a:Add(nil) - 8", "0"},
        {"a:Wrapped(-1)", "4294967295"}, // unsigned results stay non-negative
        {"a:Largest()", "4294967295"},
        {"a:Truth(true)", "true"},
        {"a:Truth(2)", "true"},
        {"a:Truth(0)", "false"},
        {"a:Truth('yes')", "false"},
        {"a:Truth(nil)", "false"},
        {"a:Echo('text')", "text"},
        {"a:Echo(12)", "12"},
        {"a:Echo({})", "nil"}, // neither text nor number: a null text
        {"a:NoText()", "nil"},
        {"a:NoObject()", "nil"},
        {"none", "nil"},
        {"a:Self() ~= nil and getmetatable(a:Self()) == Counter", "true"},
        {"a:Peek()", "8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Eval(c.expression), c.value) << c.expression;
    EXPECT_EQ(first.total, 8);
    EXPECT_EQ(second.total, 0);
}

TEST_F(Binding, MethodsNeedTheirOwnObjectBeforeTheColon)
{
    const std::string dot = "no class at first argument. (forgot ':' expression ?)";
    for (const char* call :
         {"a.Add(1)", "a.Add(b_missing, 1)", "a.Add(other, 1)", "a.Add('a', 1)", "a.Add(a.Add, 1)"})
    {
        std::string result = Eval(call);
        EXPECT_EQ(result.substr(0, 7), "error: ") << call;
        EXPECT_NE(result.find(dot), std::string::npos) << call << ": " << result;
    }
    EXPECT_EQ(first.total, 0) << "no call reached the object";
    EXPECT_EQ(Eval("other:Value()"), "99");
}

TEST_F(Binding, NewKeysBelongToTheClassAndUnknownKeysAreErrors)
{
    Exec("a.shared = 5");
    EXPECT_EQ(Eval("b.shared"), "5");
    EXPECT_EQ(Eval("rawget(Counter, 'shared')"), "5");
    EXPECT_EQ(Eval("other.shared"),
              "error: [string \"return tostring(other.shared)\"]:1: can't find 'shared' class "
              "variable. (forgot registering class variable ?)");
    // An object stored under a new key reads back as that object.
    Exec("a.partner = b");
    EXPECT_EQ(Eval("a.partner:Add(3)"), "3");
    EXPECT_EQ(second.total, 3);
    // A chain of parents that runs in a circle ends.
    Exec("Counter.__parent = Counter");
    EXPECT_NE(Eval("a.nothing").find("can't find 'nothing' class variable"), std::string::npos);
}

TEST_F(Binding, MembersReadAndWriteTheRecord)
{
    Exec("a.count = 3.7");
    EXPECT_EQ(first.count, 3);
    EXPECT_EQ(Eval("a.count"), "3");
    EXPECT_EQ(Eval("b.count"), "0");

    EXPECT_EQ(Eval("a.label"), "nil") << "an unset text reads as nil";
    // The record keeps its own copy: the script's string is gone after the collection.
    Exec("local part = 'xy'\n"
         "a.label = part .. 'z' .. tostring(40 + 2)\n"
         "collectgarbage('collect')");
    ASSERT_NE(first.label.c_str(), nullptr);
    EXPECT_STREQ(first.label.c_str(), "xyz42");
    EXPECT_EQ(Eval("a.label"), "xyz42");
    Exec("a.label = nil");
    EXPECT_FALSE(first.label.is_set());
}

TEST_F(Binding, ExceptionsAndCollectionNeverReachTheLauncher)
{
    EXPECT_NE(Eval("a:Throws()").find("the launcher operation failed"), std::string::npos);

    // Collecting a holder leaves the object alone; a holder destroyed by hand is no object any more.
    Exec("local extra = a:Self()\nextra = nil\ncollectgarbage('collect')");
    EXPECT_EQ(Eval("a:Add(1)"), "1");
    Exec("Counter.__gc(b)");
    EXPECT_NE(Eval("b:Add(1)").find("no class at first argument"), std::string::npos);
    Exec("Counter.__gc(b)\nCounter.__gc('text')\nCounter.__gc(nil)");
    EXPECT_EQ(second.total, 0);

    // A class global replaced by the script: new objects come without a class, but nothing breaks.
    Exec("Counter = 5");
    EXPECT_EQ(Eval("type(a:Self())"), "userdata");
    EXPECT_EQ(Eval("getmetatable(a:Self())"), "nil");
}
