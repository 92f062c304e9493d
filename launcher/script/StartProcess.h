#pragma once
// Process starters: the launcher starts the game, installers, packages and its own successor through
// these, and the script through its "StartProcess" and "ShellExecute" objects.
#include "platform/process/Process.h"
#include "zpak/message/ResultCodes.h"

#include <cstdint>

// Statuses of the waits that also wake on user-interface input.
constexpr int kWaitProcessEnded = 0;
constexpr int kWaitInputAvailable = 1;
constexpr int kWaitTimedOut = 258;
constexpr int kWaitFailed = -1;

class IStartProcessBase
{
public:
    virtual ~IStartProcessBase() = default;

    // Starts the program through the shell, shown; whether it started is not examined: always 1.
    virtual int StartElevated(const wchar_t* path, const wchar_t* parameters);
    // Here a check only: 0 when already started, 1 when the file exists, else 14012.
    virtual int CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments);
    // Starts and lets go: the program keeps running, its id stays readable.
    virtual int StartNewProcess(const wchar_t* path, const wchar_t* arguments);
    virtual void CloseProcessHandles();
    // Waits without limit until the program ends or user-interface input arrives; false when
    // nothing was started or the wait failed.
    virtual bool WaitForEndWithMessages();
    // kWaitProcessEnded, kWaitInputAvailable or kWaitTimedOut; kWaitFailed when nothing was
    // started or there is nothing to wait for.
    virtual int WaitWithMessages(int milliseconds);

    bool IsStarted() const { return m_started; }
    uint32_t GetProcessId() const { return m_processId; }

protected:
    // The shared first two steps of a start: 1 to go on, else the result.
    int CheckStart(const wchar_t* path, const char* operation, int line);

    bool m_started = false;
    platform::process::Process m_process;
    uint32_t m_processId = 0;
};

class IStartProcess : public IStartProcessBase
{
public:
    // Starts path with the arguments split from the text (path itself is the first argument and is
    // never split); 14013 when the system refuses to start it.
    int CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments) override;
    void CloseProcessHandles() override;
    // The exit code; 259 while the program runs; 1 when it cannot be known.
    virtual uint32_t GetExitCode();
};

class IShellExecute : public IStartProcessBase
{
public:
    // Opens path with the shell, hidden: executables start with the arguments, other files and
    // URLs go to the desktop's opener. 14013 when that fails.
    int CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments) override;
};
