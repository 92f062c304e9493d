#include "platform/process/Process.h"

#include "platform/fs/FileSystem.h"
#include "platform/process/CommandLine.h"
#include "platform/text/TextCodec.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform::process
{
namespace
{
int OpenPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    long fd = ::syscall(SYS_pidfd_open, pid, 0);
    return fd >= 0 ? static_cast<int>(fd) : -1;
#else
    (void)pid;
    return -1;
#endif
}

uint32_t ExitCodeOf(int status)
{
    if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return 128u + static_cast<uint32_t>(WTERMSIG(status));
    return 1;
}

// A child that is let go while it runs gets a thread of its own that waits for its end.
void ReapInBackground(pid_t pid, int pidfd)
{
    try
    {
        std::thread(
            [pid, pidfd]
            {
                int status = 0;
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
                {
                }
                if (pidfd >= 0) ::close(pidfd);
            })
            .detach();
    }
    catch (...)
    {
        // No thread: the child stays a zombie until this process ends, which is harmless.
        if (pidfd >= 0) ::close(pidfd);
    }
}

class SpawnAttributes
{
public:
    SpawnAttributes()
    {
        m_ok = ::posix_spawnattr_init(&m_attr) == 0;
        if (!m_ok) return;
        sigset_t empty;
        sigemptyset(&empty);
        // Signals this process ignores or blocks (a library may ignore SIGPIPE) are not the child's.
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int s : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2, SIGALRM})
            sigaddset(&defaults, s);
        ::posix_spawnattr_setsigmask(&m_attr, &empty);
        ::posix_spawnattr_setsigdefault(&m_attr, &defaults);
        // Its own session: a program started by the launcher outlives the launcher's terminal.
        ::posix_spawnattr_setflags(&m_attr,
                                   POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    }
    ~SpawnAttributes()
    {
        if (m_ok) ::posix_spawnattr_destroy(&m_attr);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    const posix_spawnattr_t* Get() const { return m_ok ? &m_attr : nullptr; }

private:
    posix_spawnattr_t m_attr;
    bool m_ok = false;
};
} // namespace

Process::~Process()
{
    Release();
}

int Process::Start(std::wstring_view path, const std::vector<std::wstring>& arguments)
{
    return StartImpl(fs::NativePath(path), arguments, false);
}

int Process::StartFromPath(std::wstring_view name, const std::vector<std::wstring>& arguments)
{
    return StartImpl(text::WideToUtf8(name), arguments, true);
}

int Process::StartImpl(const std::string& program, const std::vector<std::wstring>& arguments,
                       bool searchPath)
{
    if (program.empty()) return ENOENT;
    Release();
    std::vector<std::string> storage;
    storage.reserve(arguments.size() + 1);
    storage.push_back(program);
    for (const std::wstring& a : arguments)
        storage.push_back(text::WideToUtf8(a));
    std::vector<char*> argv;
    for (std::string& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    SpawnAttributes attributes;
    pid_t pid = 0;
    int r = searchPath
                ? ::posix_spawnp(&pid, program.c_str(), nullptr, attributes.Get(), argv.data(), environ)
                : ::posix_spawn(&pid, program.c_str(), nullptr, attributes.Get(), argv.data(), environ);
    if (r != 0) return r;
    m_pid = pid;
    m_pidfd = OpenPidFd(pid);
    m_lastId = static_cast<uint32_t>(pid);
    m_exited = false;
    m_exitCode = 0;
    return 0;
}

// True when nothing is held any more: the child was reaped now, or it is no longer ours to reap.
bool Process::Reap(bool block)
{
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    while (r < 0 && errno == EINTR);
    if (r == 0) return false;
    if (r == m_pid)
    {
        m_exited = true;
        m_exitCode = ExitCodeOf(status);
    }
    if (m_pidfd >= 0) ::close(m_pidfd);
    m_pidfd = -1;
    m_pid = 0;
    return true;
}

eWait Process::Wait(int timeoutMs)
{
    if (m_pid <= 0) return m_exited ? eWait::Ended : eWait::Failed;
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;)
    {
        int left = -1;
        if (timeoutMs >= 0)
        {
            auto rest =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            left = rest > 0 ? static_cast<int>(rest) : 0;
        }
        if (m_pidfd >= 0)
        {
            pollfd p{m_pidfd, POLLIN, 0};
            int r = ::poll(&p, 1, left);
            if (r < 0 && errno == EINTR) continue;
            if (r == 0) return eWait::Timeout;
            if (r > 0)
            {
                Reap(true);
                return m_exited ? eWait::Ended : eWait::Failed;
            }
            // The descriptor failed: go on with polling.
            ::close(m_pidfd);
            m_pidfd = -1;
            continue;
        }
        // Without a process descriptor: poll the child's state in short steps.
        if (Reap(false)) return m_exited ? eWait::Ended : eWait::Failed;
        if (left == 0) return eWait::Timeout;
        std::this_thread::sleep_for(std::chrono::milliseconds(left < 0 || left > 2 ? 2 : left));
    }
}

bool Process::GetExitCode(uint32_t& code)
{
    if (m_pid > 0 && !Reap(false))
    {
        code = kStillActive;
        return true;
    }
    if (!m_exited) return false;
    code = m_exitCode;
    return true;
}

void Process::Release()
{
    if (m_pid <= 0) return;
    if (!Reap(false)) ReapInBackground(m_pid, m_pidfd);
    m_pid = 0;
    m_pidfd = -1;
}

int ShellOpen(std::wstring_view target, std::wstring_view parameters, Process& out)
{
    if (target.empty()) return ENOENT;
    std::string native = fs::NativePath(target);
    if (fs::IsRegularFile(target) && ::access(native.c_str(), X_OK) == 0)
    {
        return out.Start(target, SplitArguments(parameters));
    }
    return out.StartFromPath(L"xdg-open", {std::wstring(target)});
}

} // namespace platform::process
