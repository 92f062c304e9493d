#include "launcher/script/StartProcess.h"

#include "platform/process/CommandLine.h"
#include "platform/ui/EventPump.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/log/ZpakLog.h"

#include <algorithm>
#include <chrono>

namespace proc = platform::process;

namespace
{
// How long a wait sleeps before it looks at the user-interface events again.
constexpr int kInputPollMs = 10;

std::wstring TextOf(const wchar_t* text)
{
    return text ? std::wstring(text) : std::wstring();
}
} // namespace

int IStartProcessBase::StartElevated(const wchar_t* path, const wchar_t* parameters)
{
    // Elevation is never needed here: the shell's plain open does the start.
    proc::Process process;
    proc::ShellOpen(TextOf(path), TextOf(parameters), process);
    return 1;
}

int IStartProcessBase::CheckStart(const wchar_t* path, const char* operation, int line)
{
    if (m_started)
    {
        ZP_LOG_ERROR(0, operation, line);
        return 0;
    }
    if (!path || !ZP::FileExists(path))
    {
        ZP_LOG_ERROR(ZP::kErrorFileMissing, operation, line);
        return ZP::kErrorFileMissing;
    }
    return 1;
}

int IStartProcessBase::CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments)
{
    if (m_started) return 0;
    return path && ZP::FileExists(path) ? 1 : ZP::kErrorFileMissing;
}

int IStartProcessBase::StartNewProcess(const wchar_t* path, const wchar_t* arguments)
{
    int r = CreateCurrentProcess(path, arguments);
    if (r == 1)
    {
        CloseProcessHandles();
        return 1;
    }
    ZP_LOG_ERROR(r, "IStartProcessBase::StartNewProcess", 52);
    return r;
}

void IStartProcessBase::CloseProcessHandles()
{
    m_process.Release();
    m_started = false;
}

bool IStartProcessBase::WaitForEndWithMessages()
{
    return m_started && WaitWithMessages(-1) != kWaitFailed;
}

int IStartProcessBase::WaitWithMessages(int milliseconds)
{
    if (!m_started) return kWaitFailed;
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    for (;;)
    {
        if (platform::ui::HasPendingEvents()) return kWaitInputAvailable;
        int slice = kInputPollMs;
        if (milliseconds >= 0)
        {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            slice = static_cast<int>(std::clamp<long long>(left, 0, kInputPollMs));
        }
        switch (m_process.Wait(slice))
        {
        case proc::eWait::Ended:
            return kWaitProcessEnded;
        case proc::eWait::Failed:
            return kWaitFailed;
        case proc::eWait::Timeout:
            if (milliseconds >= 0 && Clock::now() >= deadline) return kWaitTimedOut;
            break;
        }
    }
}

int IStartProcess::CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments)
{
    int r = CheckStart(path, "IStartProcess::CreateCurrentProcess", 103);
    if (r != 1) return r;
    std::vector<std::wstring> split =
        arguments ? proc::SplitArguments(arguments) : std::vector<std::wstring>();
    if (m_process.Start(path, split) != 0) return ZP::kErrorProcessCreate;
    m_started = true;
    m_processId = m_process.Id();
    return 1;
}

void IStartProcess::CloseProcessHandles()
{
    IStartProcessBase::CloseProcessHandles();
}

uint32_t IStartProcess::GetExitCode()
{
    uint32_t code = 1;
    return m_process.GetExitCode(code) ? code : 1;
}

int IShellExecute::CreateCurrentProcess(const wchar_t* path, const wchar_t* arguments)
{
    int r = CheckStart(path, "IShellExecute::CreateCurrentProcess", 148);
    if (r != 1) return r;
    if (proc::ShellOpen(path, TextOf(arguments), m_process) != 0) return ZP::kErrorProcessCreate;
    m_started = true;
    m_processId = m_process.Id();
    return 1;
}
