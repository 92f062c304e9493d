#pragma once
// The binding layer between the Lua state and launcher objects: class tables, method and member
// binding, argument and result conversion, object holders, the error report with its call stack.
//
// Lua raises errors with longjmp (the system's Lua 5.1 is built as C), which skips C++ destructors.
// The layer keeps three rules so that no error ever jumps over a live C++ object:
// - Functions that Lua calls (method invokers, the class metamethods, member accessors) raise Lua
//   errors only while no C++ object with a destructor is alive in their frame.
// - C++ code reaches Lua only through dobuffer, call and report_error, which do their Lua work
//   inside lua_cpcall: an error there ends in that protected call, never across the caller's frames.
// - No C++ exception leaves a bound method: its invoker catches it and raises a Lua error after.
#include "launcher/info/OwnedText.h"

#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace lua_tinker
{

// Holder of one launcher object inside a Lua full user data.
struct user
{
    virtual ~user() = default;
};

// A borrowed pointer: the script never owns a launcher object, so the destructor leaves it alone.
template <class T> struct ptr2user : user
{
    explicit ptr2user(T* p) : m_p(p) {}
    T* m_p;
};

// Accessor of one member variable of the object at stack position 1.
struct var_base
{
    // Pushes the member's value.
    virtual void get(lua_State* L) = 0;
    // Stores the value at stack position 3 into the member.
    virtual void set(lua_State* L) = 0;

protected:
    ~var_base() = default;
};

// The text member type the binding layer copies into (see launcher/info/OwnedText.h).
using owned_text = ::COwnedText;

// The script class name of each bound type, filled by add_class.
template <class T> struct class_name
{
    static inline char name[256] = {};

    static void set(const char* text)
    {
        size_t n = text ? std::strlen(text) : 0;
        if (n >= sizeof(name)) n = sizeof(name) - 1;
        std::memcpy(name, text ? text : "", n);
        name[n] = '\0';
    }
};

namespace detail
{

// Every full user data made here starts with a header saying what follows it, so that a value the
// script hands back (in a method's first argument, a class table, __gc) is used only as what it is.
struct box_kind
{
    int family; // kObjectFamily, kMemberFamily, kMethodFamily
};
constexpr int kObjectFamily = 1;
constexpr int kMemberFamily = 2;
constexpr int kMethodFamily = 3;

template <class T> struct object_kind
{
    static inline const box_kind kind{kObjectFamily};
};
inline const box_kind member_kind{kMemberFamily};
inline const box_kind method_kind{kMethodFamily};

struct box_header
{
    const box_kind* kind; // null once the holder was destroyed
    user* object;         // the holder of an object box
    var_base* member;     // the accessor of a member box
};

// Lua aligns user data for pointers and doubles; the payload follows the header directly.
template <class P> constexpr size_t box_size = sizeof(box_header) + sizeof(P);

// Light user data have no length, so they never pass.
inline box_header* header_at(lua_State* L, int index)
{
    void* p = lua_touserdata(L, index);
    if (!p || lua_objlen(L, index) < sizeof(box_header)) return nullptr;
    return static_cast<box_header*>(p);
}

template <class P> inline P* payload_of(box_header* h)
{
    return reinterpret_cast<P*>(reinterpret_cast<char*>(h) + sizeof(box_header));
}

// Leaves the new user data on the stack. lua_newuserdata may raise (memory); nothing is built yet.
template <class P, class... A> inline box_header* new_box(lua_State* L, const box_kind* kind, A&&... args)
{
    static_assert(alignof(P) <= alignof(void*), "the payload must fit Lua's user data alignment");
    void* memory = lua_newuserdata(L, box_size<P>);
    box_header* h = new (memory) box_header{kind, nullptr, nullptr};
    P* p = new (payload_of<P>(h)) P(std::forward<A>(args)...);
    if constexpr (std::is_base_of_v<user, P>) h->object = p;
    if constexpr (std::is_base_of_v<var_base, P>) h->member = p;
    return h;
}

// The object of class T at a stack position, or null.
template <class T> inline T* object_at(lua_State* L, int index)
{
    box_header* h = header_at(L, index);
    if (!h || h->kind != &object_kind<T>::kind) return nullptr;
    return payload_of<ptr2user<T>>(h)->m_p;
}

// The method's receiver; raises the error of a call made with '.' instead of ':'.
template <class T> inline T* self_at_1(lua_State* L)
{
    T* self = object_at<T>(L, 1);
    if (!self) luaL_error(L, "no class at first argument. (forgot ':' expression ?)");
    return self;
}

// Truncation toward zero into an integer type, wrapping as a 32-bit conversion does; NaN gives 0
// and numbers beyond the 64-bit range are held at its ends first.
template <class I> inline I to_integer(lua_Number n)
{
    if (n != n) return 0;
    int64_t wide;
    if (n >= 9223372036854775807.0)
        wide = INT64_MAX;
    else if (n <= -9223372036854775808.0)
        wide = INT64_MIN;
    else
        wide = static_cast<int64_t>(n);
    return static_cast<I>(static_cast<uint64_t>(wide));
}

template <class T> inline constexpr bool is_bound_class_v = std::is_class_v<std::remove_cv_t<T>>;
template <class T> inline constexpr bool is_bound_pointer_v = false;
template <class T> inline constexpr bool is_bound_pointer_v<T*> = is_bound_class_v<T>;

} // namespace detail

// Pushes an object of a bound type as a new holder with its class table as metatable; nil for null.
template <class T> void push_object(lua_State* L, T* object)
{
    if (!object)
    {
        lua_pushnil(L);
        return;
    }
    detail::new_box<ptr2user<T>>(L, &detail::object_kind<T>::kind, object);
    lua_getglobal(L, class_name<T>::name);
    // The script may have replaced the class global: only a table can be a metatable.
    if (lua_istable(L, -1))
        lua_setmetatable(L, -2);
    else
        lua_pop(L, 1);
}

// Conversions between stack values and C++ values.
template <class V, class Enable = void> struct value_traits
{
    static_assert(sizeof(V) == 0, "this type cannot cross into the script");
};

template <> struct value_traits<const char*>
{
    // A number is turned into its text by the library; any other type gives a null text.
    static const char* read(lua_State* L, int index)
    {
        int t = lua_type(L, index);
        return t == LUA_TSTRING || t == LUA_TNUMBER ? lua_tostring(L, index) : nullptr;
    }
    static void push(lua_State* L, const char* value)
    {
        if (value)
            lua_pushstring(L, value);
        else
            lua_pushnil(L);
    }
};

template <> struct value_traits<bool>
{
    static bool read(lua_State* L, int index)
    {
        if (lua_isboolean(L, index)) return lua_toboolean(L, index) != 0;
        return lua_tonumber(L, index) != 0;
    }
    static void push(lua_State* L, bool value) { lua_pushboolean(L, value ? 1 : 0); }
};

template <class I> struct value_traits<I, std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, bool>>>
{
    static I read(lua_State* L, int index) { return detail::to_integer<I>(lua_tonumber(L, index)); }
    static void push(lua_State* L, I value) { lua_pushnumber(L, static_cast<lua_Number>(value)); }
};

template <class F> struct value_traits<F, std::enable_if_t<std::is_floating_point_v<F>>>
{
    static F read(lua_State* L, int index) { return static_cast<F>(lua_tonumber(L, index)); }
    static void push(lua_State* L, F value) { lua_pushnumber(L, static_cast<lua_Number>(value)); }
};

template <class P> struct value_traits<P, std::enable_if_t<detail::is_bound_pointer_v<P>>>
{
    using T = std::remove_cv_t<std::remove_pointer_t<P>>;
    static P read(lua_State* L, int index) { return detail::object_at<T>(L, index); }
    static void push(lua_State* L, P value) { push_object<T>(L, const_cast<T*>(value)); }
};

// The invoker of one bound method: a native closure whose upvalue holds the member-function pointer
// F of a class C related to T (T itself, a base of it, or a class derived from it).
template <class T, class F, class C, class R, class... A> struct invoker_impl
{
    static int invoke(lua_State* L)
    {
        C* self = static_cast<C*>(detail::self_at_1<T>(L));
        F fn =
            *detail::payload_of<F>(static_cast<detail::box_header*>(lua_touserdata(L, lua_upvalueindex(1))));
        return call_with(L, self, fn, std::index_sequence_for<A...>{});
    }

    // Arguments come from stack positions 2, 3, ... in declaration order.
    template <size_t... I> static int call_with(lua_State* L, C* self, F fn, std::index_sequence<I...>)
    {
        bool thrown = false;
        if constexpr (std::is_void_v<R>)
        {
            try
            {
                (self->*fn)(value_traits<std::decay_t<A>>::read(L, 2 + static_cast<int>(I))...);
            }
            catch (...)
            {
                thrown = true;
            }
            if (thrown) return raise_exception(L);
            return 0;
        }
        else
        {
            std::decay_t<R> result{};
            try
            {
                result = (self->*fn)(value_traits<std::decay_t<A>>::read(L, 2 + static_cast<int>(I))...);
            }
            catch (...)
            {
                thrown = true;
            }
            if (thrown) return raise_exception(L);
            value_traits<std::decay_t<R>>::push(L, result);
            return 1;
        }
    }

    static int raise_exception(lua_State* L)
    {
        return luaL_error(L, "lua_tinker: the launcher operation failed");
    }
};

template <class T, class F> struct method_invoker;

template <class T, class C, class R, class... A>
struct method_invoker<T, R (C::*)(A...)> : invoker_impl<T, R (C::*)(A...), C, R, A...>
{
};

template <class T, class C, class R, class... A>
struct method_invoker<T, R (C::*)(A...) const> : invoker_impl<T, R (C::*)(A...) const, C, R, A...>
{
};

// Accessor of a member variable of type V in T.
template <class T, class V> struct mem_var final : var_base
{
    static_assert(!std::is_pointer_v<V>,
                  "a text member must own its text: bind lua_tinker::owned_text, never a char pointer");

    explicit mem_var(V T::*member) : m_member(member) {}

    void get(lua_State* L) override
    {
        T* self = detail::object_at<T>(L, 1);
        if (!self)
        {
            lua_pushnil(L);
            return;
        }
        if constexpr (std::is_same_v<V, owned_text>)
            value_traits<const char*>::push(L, (self->*m_member).c_str());
        else
            value_traits<V>::push(L, self->*m_member);
    }

    void set(lua_State* L) override
    {
        T* self = detail::object_at<T>(L, 1);
        if (!self) return;
        if constexpr (std::is_same_v<V, owned_text>)
        {
            size_t length = 0;
            int t = lua_type(L, 3);
            const char* text = t == LUA_TSTRING || t == LUA_TNUMBER ? lua_tolstring(L, 3, &length) : nullptr;
            bool thrown = false;
            try
            {
                (self->*m_member).assign(text, length);
            }
            catch (...)
            {
                thrown = true;
            }
            if (thrown) luaL_error(L, "lua_tinker: not enough memory for a text member");
        }
        else
        {
            self->*m_member = value_traits<V>::read(L, 3);
        }
    }

    V T::*m_member;
};

// Metamethods of every class table.
int class_index(lua_State* L);
int class_newindex(lua_State* L);
int collect_user(lua_State* L);

// Creates the class table of T as the global `name` and remembers the name for T.
template <class T> void add_class(lua_State* L, const char* name)
{
    class_name<T>::set(name);
    lua_newtable(L);
    lua_pushstring(L, "__name");
    lua_pushstring(L, class_name<T>::name);
    lua_rawset(L, -3);
    lua_pushstring(L, "__index");
    lua_pushcclosure(L, class_index, 0);
    lua_rawset(L, -3);
    lua_pushstring(L, "__newindex");
    lua_pushcclosure(L, class_newindex, 0);
    lua_rawset(L, -3);
    lua_pushstring(L, "__gc");
    lua_pushcclosure(L, collect_user, 0);
    lua_rawset(L, -3);
    lua_setglobal(L, class_name<T>::name);
}

// Binds a member function of T (or of a class related to T) as the method `name` of T's class.
template <class T, class F> void define_method(lua_State* L, const char* name, F fn)
{
    static_assert(std::is_member_function_pointer_v<F>);
    lua_getglobal(L, class_name<T>::name);
    if (lua_istable(L, -1))
    {
        lua_pushstring(L, name);
        detail::new_box<F>(L, &detail::method_kind, fn);
        lua_pushcclosure(L, &method_invoker<T, F>::invoke, 1);
        lua_rawset(L, -3);
    }
    lua_pop(L, 1);
}

// Binds a member variable of T as `name` of T's class.
template <class T, class V, class C> void define_member(lua_State* L, const char* name, V C::*member)
{
    lua_getglobal(L, class_name<T>::name);
    if (lua_istable(L, -1))
    {
        lua_pushstring(L, name);
        detail::new_box<mem_var<T, V>>(L, &detail::member_kind, static_cast<V T::*>(member));
        lua_rawset(L, -3);
    }
    lua_pop(L, 1);
}

template <class T> void set_global_object(lua_State* L, const char* name, T* object)
{
    push_object<T>(L, object);
    lua_setglobal(L, name);
}

// Runs a chunk named "lua_tinker::dobuffer()"; errors are reported, never raised.
void dobuffer(lua_State* L, const char* bytes, size_t length);

// Calls the global function `name` with at most one argument and returns its first result as a
// 32-bit integer: the library's number conversion truncated toward zero, 0 for anything that is
// not a number. A missing function is reported and gives 0 (or the value of a global that holds a
// number); a run-time error is reported with its call stack and gives 0.
int call(lua_State* L, const char* name);
int call(lua_State* L, const char* name, const char* text);
int call(lua_State* L, const char* name, bool value);
int call_number(lua_State* L, const char* name, lua_Number number);
template <class N>
requires(std::is_arithmetic_v<N> && !std::is_same_v<N, bool>) int call(lua_State* L, const char* name,
                                                                       N number)
{
    return call_number(L, name, static_cast<lua_Number>(number));
}

// Formats (4096 bytes at most) and hands the text to the script's global _ALERT function, or
// writes it with a line end to the standard output when there is none.
void report_error(lua_State* L, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// The error handler of every protected call made here: reports the error and the call stack.
int on_script_error(lua_State* L);
void dump_call_stack(lua_State* L, int level);

} // namespace lua_tinker
