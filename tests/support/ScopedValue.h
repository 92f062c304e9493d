#pragma once
// Sets a variable (a process-wide hook, a flag) for one scope and puts the previous value back when
// the scope ends, also when a failed assertion leaves the test early. OnScopeExit does the same for
// settings that are made through a call (install/remove pairs).
#include <functional>
#include <type_traits>
#include <utility>

namespace testsupport
{

template <class T> class ScopedValue
{
public:
    // Keeps the current value to put back; the scope may change the variable as it likes.
    explicit ScopedValue(T& slot) : m_slot(slot), m_old(slot) {}
    ScopedValue(T& slot, std::type_identity_t<T> value) : m_slot(slot), m_old(std::move(slot))
    {
        m_slot = std::move(value);
    }
    ~ScopedValue() { m_slot = std::move(m_old); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& m_slot;
    T m_old;
};

template <class T> ScopedValue(T&, std::type_identity_t<T>) -> ScopedValue<T>;

class OnScopeExit
{
public:
    explicit OnScopeExit(std::function<void()> undo) : m_undo(std::move(undo)) {}
    ~OnScopeExit()
    {
        if (m_undo) m_undo();
    }
    OnScopeExit(const OnScopeExit&) = delete;
    OnScopeExit& operator=(const OnScopeExit&) = delete;

private:
    std::function<void()> m_undo;
};

} // namespace testsupport
