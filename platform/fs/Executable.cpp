#include "platform/fs/Executable.h"

#include "platform/fs/FileSystem.h"

#include <sys/stat.h>

namespace platform::fs
{

bool MarkExecutable(std::wstring_view path)
{
    std::string native = NativePath(path);
    struct stat st
    {
    };
    if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    mode_t mode = st.st_mode & 07777;
    // Execute follows read: a file only its owner may read becomes executable by its owner only.
    if (mode & S_IRUSR) mode |= S_IXUSR;
    if (mode & S_IRGRP) mode |= S_IXGRP;
    if (mode & S_IROTH) mode |= S_IXOTH;
    return ::chmod(native.c_str(), mode) == 0;
}

bool IsProgramFile(std::wstring_view path)
{
    File file;
    if (!file.Open(path, eOpenMode::Read)) return false;
    unsigned char head[4] = {};
    const int64_t got = file.Read(head, sizeof(head));
    if (got >= 2 && head[0] == '#' && head[1] == '!') return true;
    return got == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F';
}

} // namespace platform::fs
