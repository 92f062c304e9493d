#pragma once
// A re-entrant lock and its scoped holder. The holder may leave early and enter again; each
// call does nothing when the holder is already in that state.
#include <mutex>

namespace ZP
{

class CCriticalSection
{
public:
    void Enter() { m_mutex.lock(); }
    void Leave() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

class CCriticalSectionMgr
{
public:
    explicit CCriticalSectionMgr(CCriticalSection* section) : m_section(section) { Enter(); }
    ~CCriticalSectionMgr() { Leave(); }
    CCriticalSectionMgr(const CCriticalSectionMgr&) = delete;
    CCriticalSectionMgr& operator=(const CCriticalSectionMgr&) = delete;

    void Enter()
    {
        if (m_section && !m_entered)
        {
            m_section->Enter();
            m_entered = true;
        }
    }
    void Leave()
    {
        if (m_section && m_entered)
        {
            m_section->Leave();
            m_entered = false;
        }
    }

private:
    CCriticalSection* m_section;
    bool m_entered = false;
};

} // namespace ZP
