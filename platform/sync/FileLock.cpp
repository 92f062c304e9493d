#include "platform/sync/FileLock.h"

#include "platform/fs/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::sync
{

eLockResult FileLock::Acquire(std::wstring_view path, bool exclusive, bool create, bool wait)
{
    Release();
    std::string native = fs::NativePath(path);
    // A planted link must not make a writer create or lock a file somewhere else.
    int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    int fd = ::open(native.c_str(), flags, 0644);
    if (fd < 0) return errno == ENOENT && !create ? eLockResult::Missing : eLockResult::Failed;
    int operation = (exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
    int r;
    do
        r = ::flock(fd, operation);
    while (r != 0 && errno == EINTR);
    if (r != 0)
    {
        bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? eLockResult::Busy : eLockResult::Failed;
    }
    m_fd = fd;
    return eLockResult::Acquired;
}

void FileLock::Release()
{
    if (m_fd >= 0)
    {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace platform::sync
