#include "platform/fs/FileReplace.h"

#include "platform/fs/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform::fs
{
namespace
{

// Only the permission bits travel to the new file: set-id bits stay behind.
constexpr mode_t kCopiedModeBits = 0777;
constexpr mode_t kNewFileMode = 0666; // the umask applies
constexpr size_t kCopyBlock = 1 << 20;

bool WriteWhole(int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        ssize_t n = ::write(fd, data, size);
        if (n < 0)
        {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The rename is only lasting once the folder entry is on disk too.
void FlushFolderOf(const std::string& native)
{
    size_t slash = native.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : native.substr(0, slash));
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A ".part" file being filled; removed again unless it took the target's place.
class CPartFile
{
public:
    explicit CPartFile(std::wstring_view target) : m_target(NativePath(target))
    {
        if (!m_target.empty()) m_part = m_target + ".part";
    }
    ~CPartFile()
    {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_renamed && !m_part.empty()) ::unlink(m_part.c_str());
    }
    CPartFile(const CPartFile&) = delete;
    CPartFile& operator=(const CPartFile&) = delete;

    // modeSource: the file whose permission bits the new one gets; none when it does not exist.
    bool Create(const std::string& modeSource)
    {
        if (m_part.empty()) return false;
        // A leftover of a killed run; O_EXCL then makes sure no link planted there is followed.
        ::unlink(m_part.c_str());
        m_fd = ::open(m_part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (m_fd < 0) return false;
        struct stat st;
        if (!modeSource.empty() && ::stat(modeSource.c_str(), &st) == 0 &&
            ::fchmod(m_fd, st.st_mode & kCopiedModeBits) != 0)
            return false;
        return true;
    }

    bool Write(const void* data, size_t size)
    {
        return WriteWhole(m_fd, static_cast<const char*>(data), size);
    }

    eReplaceResult Commit()
    {
        if (::fsync(m_fd) != 0) return eReplaceResult::WriteFailed;
        int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) return eReplaceResult::WriteFailed;
        if (::rename(m_part.c_str(), m_target.c_str()) != 0) return eReplaceResult::RenameFailed;
        m_renamed = true;
        FlushFolderOf(m_target);
        return eReplaceResult::Done;
    }

    const std::string& Target() const { return m_target; }

private:
    std::string m_target;
    std::string m_part;
    int m_fd = -1;
    bool m_renamed = false;
};

} // namespace

std::wstring ReplacePartPath(std::wstring_view target)
{
    return std::wstring(target) + L".part";
}

eReplaceResult ReplaceFileContents(std::wstring_view target, const void* data, size_t size)
{
    CPartFile part(target);
    if (!part.Create(part.Target())) return eReplaceResult::CreateFailed;
    if (size > 0 && !part.Write(data, size)) return eReplaceResult::WriteFailed;
    return part.Commit();
}

eReplaceResult ReplaceFileWithCopy(std::wstring_view source, std::wstring_view target)
{
    std::string from = NativePath(source);
    int in = from.empty() ? -1 : ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return eReplaceResult::CreateFailed;
    CPartFile part(target);
    eReplaceResult result = eReplaceResult::CreateFailed;
    if (part.Create(from))
    {
        result = eReplaceResult::WriteFailed;
        std::vector<char> buffer(kCopyBlock);
        for (;;)
        {
            ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) break;
            if (n == 0)
            {
                result = part.Commit();
                break;
            }
            if (!part.Write(buffer.data(), static_cast<size_t>(n))) break;
        }
    }
    ::close(in);
    return result;
}

} // namespace platform::fs
