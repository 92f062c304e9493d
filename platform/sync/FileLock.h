#pragma once
// An advisory lock on one file, shared by every process of the machine: writers hold it
// exclusively, readers shared. The kernel drops it when the holder closes it or dies, so a killed
// run never leaves a stale lock behind; the file itself stays (removing it would let two processes
// lock two different files of the same name).
#include <string_view>

namespace platform::sync
{

enum class eLockResult
{
    Acquired,
    Busy,    // another holder has it in a way that excludes this request (only without wait)
    Missing, // the lock file does not exist and was not to be created
    Failed,  // the lock file could not be opened or created
};

class FileLock
{
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // exclusive: one holder at a time (writers); else any number of shared holders (readers).
    // create: make the file (mode 0644) when missing; a symbolic link in its place is refused.
    // wait: block until the lock can be had instead of answering Busy.
    // A lock already held by this object is released first. Thread contract: one object belongs to
    // one thread; two objects of one process on the same file exclude each other like two processes.
    eLockResult Acquire(std::wstring_view path, bool exclusive, bool create, bool wait);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform::sync
