#include "platform/fs/FileSystem.h"

#include "platform/text/TextCodec.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform::fs
{
namespace
{

sTimeSpec ToTimeSpec(const struct timespec& ts)
{
    return sTimeSpec{static_cast<int64_t>(ts.tv_sec), static_cast<uint32_t>(ts.tv_nsec)};
}

void FillStat(const struct stat& st, std::string_view baseName, sFileStat& out)
{
    out.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    out.lastWrite = ToTimeSpec(st.st_mtim);
    out.lastAccess = ToTimeSpec(st.st_atim);
    out.isDirectory = S_ISDIR(st.st_mode);
    uint32_t attrs = 0;
    if (out.isDirectory) attrs |= kAttrDirectory;
    if ((st.st_mode & S_IWUSR) == 0) attrs |= kAttrReadOnly;
    if (!baseName.empty() && baseName[0] == '.') attrs |= kAttrHidden;
    if (attrs == 0) attrs = kAttrNormal;
    out.attributes = attrs;
}

std::string_view BaseNameOf(std::string_view native)
{
    size_t pos = native.find_last_of('/');
    return pos == std::string_view::npos ? native : native.substr(pos + 1);
}

// Empties the folder open at dirFd (which it takes over). Entries are examined as they are, never
// through a link, and every step is relative to the open folder: a folder swapped for a link while
// the walk runs is removed as a link, not entered.
bool RemoveContentsAt(int dirFd)
{
    DIR* dir = ::fdopendir(dirFd);
    if (!dir)
    {
        ::close(dirFd);
        return false;
    }
    std::vector<std::string> names;
    while (struct dirent* e = ::readdir(dir))
    {
        std::string_view name = e->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    const int fd = ::dirfd(dir);
    bool ok = true;
    for (const std::string& name : names)
    {
        struct stat st;
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        {
            ok = ok && errno == ENOENT;
            continue;
        }
        if (S_ISDIR(st.st_mode))
        {
            int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0)
            {
                if ((errno == ELOOP || errno == ENOTDIR) && ::unlinkat(fd, name.c_str(), 0) == 0) continue;
                ok = false;
                continue;
            }
            if (!RemoveContentsAt(sub) || ::unlinkat(fd, name.c_str(), AT_REMOVEDIR) != 0) ok = false;
        }
        else if (::unlinkat(fd, name.c_str(), 0) != 0 && errno != ENOENT)
            ok = false;
    }
    ::closedir(dir);
    return ok;
}

std::wstring EnvPath(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? FromNativePath(v) : std::wstring();
}

} // namespace

std::string NativePath(std::wstring_view path)
{
    std::string out = text::WideToUtf8(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::wstring FromNativePath(std::string_view path)
{
    return text::Utf8ToWide(path);
}

bool Stat(std::wstring_view path, sFileStat& out)
{
    std::string native = NativePath(path);
    struct stat st;
    if (native.empty() || ::stat(native.c_str(), &st) != 0) return false;
    FillStat(st, BaseNameOf(native), out);
    return true;
}

bool IsSymlink(std::wstring_view path)
{
    std::string native = NativePath(path);
    struct stat st;
    return !native.empty() && ::lstat(native.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool Exists(std::wstring_view path)
{
    sFileStat st;
    return Stat(path, st);
}

bool IsDirectory(std::wstring_view path)
{
    sFileStat st;
    return Stat(path, st) && st.isDirectory;
}

bool IsRegularFile(std::wstring_view path)
{
    sFileStat st;
    return Stat(path, st) && !st.isDirectory;
}

bool CreateOneDirectory(std::wstring_view path)
{
    std::string native = NativePath(path);
    return !native.empty() && ::mkdir(native.c_str(), 0777) == 0;
}

bool RemoveEmptyDirectory(std::wstring_view path)
{
    std::string native = NativePath(path);
    return !native.empty() && ::rmdir(native.c_str()) == 0;
}

bool CreatePrivateDirectory(std::wstring_view parent, std::wstring_view prefix, std::wstring& out)
{
    std::string pattern = NativePath(parent);
    while (pattern.size() > 1 && pattern.back() == '/')
        pattern.pop_back();
    if (pattern.empty() || NativePath(prefix).find('/') != std::string::npos) return false;
    pattern += "/" + NativePath(prefix) + "XXXXXX";
    // mkdtemp creates the folder with mode 0700 and fails rather than take over an existing name.
    if (!::mkdtemp(pattern.data())) return false;
    out = FromNativePath(pattern);
    return true;
}

bool RemoveTree(std::wstring_view path)
{
    std::string native = NativePath(path);
    struct stat st;
    if (native.empty()) return false;
    if (::lstat(native.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return ::unlink(native.c_str()) == 0 || errno == ENOENT;
    int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return (errno == ELOOP || errno == ENOTDIR) && ::unlink(native.c_str()) == 0;
    bool emptied = RemoveContentsAt(fd);
    return ::rmdir(native.c_str()) == 0 && emptied;
}

bool RemoveFile(std::wstring_view path)
{
    std::string native = NativePath(path);
    return !native.empty() && ::unlink(native.c_str()) == 0;
}

bool RenameFile(std::wstring_view from, std::wstring_view to)
{
    std::string a = NativePath(from);
    std::string b = NativePath(to);
    return !a.empty() && !b.empty() && ::rename(a.c_str(), b.c_str()) == 0;
}

bool CopyOneFile(std::wstring_view from, std::wstring_view to, bool failIfExists)
{
    File in;
    if (!in.Open(from, eOpenMode::Read)) return false;
    if (failIfExists && Exists(to)) return false;
    File out;
    if (!out.Open(to, eOpenMode::CreateAlways)) return false;
    std::vector<char> buffer(1 << 20);
    for (;;)
    {
        int64_t n = in.Read(buffer.data(), buffer.size());
        if (n < 0) return false;
        if (n == 0) break;
        if (!out.WriteAll(buffer.data(), static_cast<size_t>(n))) return false;
    }
    sFileStat st;
    if (in.GetStat(st)) out.SetLastWriteTime(st.lastWrite);
    return true;
}

bool SetReadOnly(std::wstring_view path, bool readOnly)
{
    std::string native = NativePath(path);
    struct stat st;
    if (native.empty() || ::stat(native.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    return ::chmod(native.c_str(), mode) == 0;
}

bool SetLastWriteTime(std::wstring_view path, const sTimeSpec& time)
{
    std::string native = NativePath(path);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(time.seconds);
    times[1].tv_nsec = static_cast<long>(time.nanoseconds);
    return !native.empty() && ::utimensat(AT_FDCWD, native.c_str(), times, 0) == 0;
}

bool ListDirectory(std::wstring_view path, std::vector<sDirEntry>& out)
{
    out.clear();
    std::string native = NativePath(path);
    if (native.empty()) native = ".";
    DIR* dir = ::opendir(native.c_str());
    if (!dir) return false;
    while (struct dirent* e = ::readdir(dir))
    {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string full = native;
        if (full.back() != '/') full.push_back('/');
        full.append(name);
        struct stat st;
        if (::lstat(full.c_str(), &st) != 0) continue;
        bool isLink = S_ISLNK(st.st_mode);
        struct stat target;
        // A link reports its target's data; a dangling link is still an entry, with the link's own.
        if (isLink && ::stat(full.c_str(), &target) == 0) st = target;
        sDirEntry entry;
        entry.name = FromNativePath(name);
        FillStat(st, name, entry.stat);
        entry.stat.isSymlink = isLink;
        out.push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
}

bool FreeBytesAvailable(std::wstring_view path, uint64_t& bytes)
{
    std::string native = NativePath(path);
    if (native.empty()) native = ".";
    struct statvfs sv;
    while (::statvfs(native.c_str(), &sv) != 0)
    {
        size_t pos = native.find_last_of('/');
        if (pos == std::string::npos)
            native = ".";
        else if (pos == 0)
            native = "/";
        else
            native.resize(pos);
        if (native == "." || native == "/")
        {
            if (::statvfs(native.c_str(), &sv) != 0) return false;
            break;
        }
    }
    bytes = static_cast<uint64_t>(sv.f_bavail) * static_cast<uint64_t>(sv.f_frsize);
    return true;
}

std::wstring CurrentDirectory()
{
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof(buf))) return std::wstring();
    return FromNativePath(buf);
}

bool SetCurrentDirectory(std::wstring_view path)
{
    std::string native = NativePath(path);
    return !native.empty() && ::chdir(native.c_str()) == 0;
}

std::wstring ExecutablePath()
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return std::wstring();
    return FromNativePath(std::string_view(buf, static_cast<size_t>(n)));
}

std::wstring TempDirectory()
{
    std::wstring t = EnvPath("TMPDIR");
    return t.empty() ? std::wstring(L"/tmp") : t;
}

std::wstring HomeDirectory()
{
    std::wstring h = EnvPath("HOME");
    return h.empty() ? std::wstring(L"/") : h;
}

std::wstring DesktopDirectory()
{
    // xdg-user-dirs keeps the desktop folder in a small shell-style file; read it rather than run a tool.
    std::wstring home = HomeDirectory();
    std::wstring config = EnvPath("XDG_CONFIG_HOME");
    if (config.empty()) config = home + L"/.config";
    File f;
    if (f.Open(config + L"/user-dirs.dirs", eOpenMode::Read))
    {
        std::string content;
        char buf[4096];
        int64_t n;
        while ((n = f.Read(buf, sizeof(buf))) > 0)
            content.append(buf, static_cast<size_t>(n));
        size_t pos = content.find("XDG_DESKTOP_DIR=\"");
        if (pos != std::string::npos)
        {
            pos += 17;
            size_t end = content.find('"', pos);
            if (end != std::string::npos)
            {
                std::string value = content.substr(pos, end - pos);
                if (value.rfind("$HOME", 0) == 0) return home + FromNativePath(value.substr(5));
                if (!value.empty() && value[0] == '/') return FromNativePath(value);
            }
        }
    }
    return home + L"/Desktop";
}

std::wstring ProgramFilesDirectory()
{
    std::wstring data = EnvPath("XDG_DATA_HOME");
    return data.empty() ? HomeDirectory() + L"/.local/share" : data;
}

File::~File()
{
    Close();
}

File::File(File&& other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other)
    {
        Close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool File::Open(std::wstring_view path, eOpenMode mode)
{
    Close();
    std::string native = NativePath(path);
    if (native.empty()) return false;
    int flags = O_CLOEXEC;
    switch (mode)
    {
    case eOpenMode::Read:
        flags |= O_RDONLY;
        break;
    case eOpenMode::ReadWrite:
        flags |= O_RDWR;
        break;
    case eOpenMode::CreateAlways:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    case eOpenMode::OpenAlways:
        flags |= O_RDWR | O_CREAT;
        break;
    case eOpenMode::Append:
        flags |= O_WRONLY | O_CREAT | O_APPEND;
        break;
    case eOpenMode::CreateNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    case eOpenMode::WriteOnly:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    }
    int fd = ::open(native.c_str(), flags, 0666);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))
    {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void File::Close()
{
    if (m_fd >= 0)
    {
        ::close(m_fd);
        m_fd = -1;
    }
}

int64_t File::Read(void* buffer, size_t size)
{
    if (m_fd < 0) return -1;
    for (;;)
    {
        ssize_t n = ::read(m_fd, buffer, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

int64_t File::Write(const void* buffer, size_t size)
{
    if (m_fd < 0) return -1;
    for (;;)
    {
        ssize_t n = ::write(m_fd, buffer, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool File::WriteAll(const void* buffer, size_t size)
{
    const char* p = static_cast<const char*>(buffer);
    while (size > 0)
    {
        int64_t n = Write(p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool File::Seek(int64_t offset, eSeekOrigin origin, int64_t* newPosition)
{
    if (m_fd < 0) return false;
    int whence = origin == eSeekOrigin::Begin     ? SEEK_SET
                 : origin == eSeekOrigin::Current ? SEEK_CUR
                                                  : SEEK_END;
    off_t r = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (r < 0) return false;
    if (newPosition) *newPosition = r;
    return true;
}

int64_t File::Tell() const
{
    if (m_fd < 0) return -1;
    return ::lseek(m_fd, 0, SEEK_CUR);
}

int64_t File::Size() const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return -1;
    return st.st_size;
}

bool File::Truncate(int64_t size)
{
    return m_fd >= 0 && ::ftruncate(m_fd, static_cast<off_t>(size)) == 0;
}

bool File::Flush()
{
    return m_fd >= 0 && ::fdatasync(m_fd) == 0;
}

bool File::GetStat(sFileStat& out) const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return false;
    FillStat(st, {}, out);
    return true;
}

bool File::SetLastWriteTime(const sTimeSpec& time)
{
    if (m_fd < 0) return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(time.seconds);
    times[1].tv_nsec = static_cast<long>(time.nanoseconds);
    return ::futimens(m_fd, times) == 0;
}

} // namespace platform::fs
