#pragma once
// The lock every writer of a game folder or pak set holds for its whole run, and readers hold
// shared: a lock file inside the folder (".zpak.lock", hidden, so folder scans pass it by). A
// second writer, or a writer while a reader inspects, is refused at once with kErrorPakLocked or
// waits when asked to. Only top-level runs lock: two locks of one process on the same folder
// exclude each other like two processes do.
#include "platform/sync/FileLock.h"

#include <memory>
#include <string>
#include <vector>

namespace ZP
{

class CPakLock
{
public:
    CPakLock() = default;
    ~CPakLock() { Release(); }
    CPakLock(const CPakLock&) = delete;
    CPakLock& operator=(const CPakLock&) = delete;

    // Locks each folder (a folder named twice is locked once), in the order given. write: exclusive,
    // the lock file is created when missing; read: shared, and a folder without a lock file (never
    // written by a locking run) or whose lock file cannot be opened is read unlocked. Returns 1,
    // kErrorPakLocked (another run holds one of them; nothing stays locked), or kErrorFileCreate
    // (a writer cannot make the lock file). Locks held before are released first.
    int Acquire(const std::vector<std::wstring>& folders, bool write, bool wait);
    void Release();
    bool IsHeld() const { return !m_locks.empty(); }

    // The folder a pak set is locked by: the one that holds its main file.
    static std::wstring FolderOfPak(const std::wstring& pakPath);
    static std::wstring LockFilePath(const std::wstring& folder);

    static constexpr const wchar_t* kFileName = L".zpak.lock";

private:
    std::vector<std::unique_ptr<platform::sync::FileLock>> m_locks;
};

} // namespace ZP
