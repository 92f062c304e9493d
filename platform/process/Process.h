#pragma once
// Starting programs and waiting for them. A started program is a child of this process; letting it
// go (Release, or destroying the object) never ends it: it keeps running and is reaped in the
// background when it ends, so no child is left behind as a zombie.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::process
{

enum class eWait
{
    Ended,   // the program has ended (also when it had ended before the call)
    Timeout, // still running when the time was up
    Failed,  // nothing to wait for
};

// Exit code reported while the program still runs (as the platform's own query reports it).
constexpr uint32_t kStillActive = 259;

class Process
{
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts the program at path with the arguments after it (path itself becomes argv[0]). The
    // child gets this process's environment and current folder, its own session and default signal
    // handling. 0 on success, else the errno value of the failure (ENOENT, EACCES, ENOEXEC...).
    // A second start on an object that still holds a child lets the first one go.
    int Start(std::wstring_view path, const std::vector<std::wstring>& arguments);
    // The same with a program name looked up through PATH.
    int StartFromPath(std::wstring_view name, const std::vector<std::wstring>& arguments);

    // True while the object holds a child (started, not released).
    bool IsHeld() const { return m_pid > 0; }
    // Id of the last started child; stays readable after the child ended or was released.
    uint32_t Id() const { return m_lastId; }

    // Waits at most timeoutMs (negative: without limit).
    eWait Wait(int timeoutMs);
    // The exit code once the program has ended (a signal n gives 128 + n); kStillActive while it
    // runs. False when nothing is held and no exit was seen.
    bool GetExitCode(uint32_t& code);
    // Lets the child go.
    void Release();

private:
    int StartImpl(const std::string& program, const std::vector<std::wstring>& arguments, bool searchPath);
    bool Reap(bool block);

    int m_pid = 0;
    int m_pidfd = -1;
    uint32_t m_lastId = 0;
    bool m_exited = false;
    uint32_t m_exitCode = 0;
};

// The shell's "open": an executable file is started with the parameters split into arguments; any
// other file or a URL goes to xdg-open (the parameters are then not used). 0 or an errno value.
int ShellOpen(std::wstring_view target, std::wstring_view parameters, Process& out);

} // namespace platform::process
