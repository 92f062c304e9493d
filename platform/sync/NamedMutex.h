#pragma once
// Named mutexes shared by every process of the machine, as lock files under the runtime folder
// ($XDG_RUNTIME_DIR/velmora, else /tmp/velmora-<uid>). Every holder keeps a shared lock on the
// file; a name "already exists" while any process holds it. Locks vanish with their process.
#include <string>
#include <string_view>

namespace platform::sync
{

class NamedMutex
{
public:
    NamedMutex() = default;
    ~NamedMutex() { Close(); }
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Opens or creates the name and holds it. alreadyExisted tells whether another holder (in
    // this or another process) had it before. False when the lock file cannot be used.
    bool Create(std::wstring_view name, bool& alreadyExisted);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // The lock file a name maps to.
    static std::string LockPath(std::wstring_view name);

private:
    int m_fd = -1;
};

} // namespace platform::sync
