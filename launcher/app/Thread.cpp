#include "launcher/app/Thread.h"

#include "zpak/common/Stopper.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <system_error>

CThread::CThread()
{
    ZP::CStopper::SetStopRequested(false);
}

CThread::~CThread()
{
    Finalize();
}

void CThread::Finalize()
{
    if (!m_thread.joinable()) return;
    m_stop.store(1);
    Join();
}

int CThread::Start()
{
    std::lock_guard<std::mutex> lock(m_joinLock);
    if (m_running.load())
    {
        ZP_LOG_ERROR(ZP::kErrorThreadCreate, "CThread::Start");
        return ZP::kErrorThreadCreate;
    }
    if (m_thread.joinable()) m_thread.join();
    m_running.store(true);
    try
    {
        m_thread = std::thread(&CThread::Body, this);
    }
    catch (const std::system_error&)
    {
        m_running.store(false);
        ZP_LOG_ERROR(ZP::kErrorThreadCreate, "CThread::Start");
        return ZP::kErrorThreadCreate;
    }
    return ZP::kResultOk;
}

int CThread::Run()
{
    return m_delegate ? m_delegate->Run() : 0;
}

void CThread::ForceTerminate()
{
    ZP::LogWarnF(L"Force Terminate");
    m_stop.store(1);
    ZP::CStopper::SetStopRequested(true);
    if (m_delegate) m_delegate->ForceTerminate();
    Join();
}

void CThread::Body()
{
    m_workerId.store(std::this_thread::get_id());
    int result = Run();
    IThreadProcessCall* listener = m_listener.load();
    if (listener && !IsStopRequested()) listener->OnThreadProcessEnd(result);
    m_running.store(false);
}

void CThread::Join()
{
    // The worker itself may end up here (a listener that closes everything); it cannot wait for
    // its own end.
    if (std::this_thread::get_id() == m_workerId.load()) return;
    std::lock_guard<std::mutex> lock(m_joinLock);
    if (m_thread.joinable()) m_thread.join();
}
