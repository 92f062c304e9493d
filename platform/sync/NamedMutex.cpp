#include "platform/sync/NamedMutex.h"

#include "platform/text/TextCodec.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::sync
{

std::string NamedMutex::LockPath(std::wstring_view name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime ? std::string(runtime) + "/velmora"
                                             : "/tmp/velmora-" + std::to_string(::getuid());
    std::string file = text::WideToUtf8(name);
    // "Global\\..." and any other separator become plain characters of one file name.
    for (char& c : file)
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    if (file.empty() || file == "." || file == "..") file = "_" + file;
    return folder + "/" + file + ".lock";
}

bool NamedMutex::Create(std::wstring_view name, bool& alreadyExisted)
{
    Close();
    alreadyExisted = false;
    std::string path = LockPath(name);
    std::string folder = path.substr(0, path.rfind('/'));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // Nobody else holds the name exactly when an exclusive lock can be had at once.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) alreadyExisted = true;
    if (::flock(fd, LOCK_SH) != 0)
    {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void NamedMutex::Close()
{
    if (m_fd >= 0)
    {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace platform::sync
