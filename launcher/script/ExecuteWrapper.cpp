#include "launcher/script/ExecuteWrapper.h"

#include "launcher/script/ScriptText.h"
#include "launcher/script/StartProcess.h"
#include "zpak/log/ZpakLog.h"

CExecuteWrapper::CExecuteWrapper(CObjectConnector* connector, std::unique_ptr<IStartProcessBase> starter)
    : m_connector(connector), m_starter(std::move(starter))
{
}

CExecuteWrapper::~CExecuteWrapper() = default;

uint32_t CExecuteWrapper::CreateAppProcess(const char* path, const char* arguments)
{
    unsigned codePage = script_text::CodePageOf(m_connector);
    std::wstring widePath = script_text::ToWide(path, codePage);
    std::wstring wideArguments =
        arguments && *arguments ? script_text::ToWide(arguments, codePage) : std::wstring();
    ZP::LogF(L"CreateAppProcess : %s, %s", widePath.c_str(), wideArguments.c_str());
    if (!m_starter) return 0;
    // A nil path names no program.
    if (!path) return m_starter->CreateCurrentProcess(nullptr, nullptr);
    return static_cast<uint32_t>(m_starter->CreateCurrentProcess(widePath.c_str(), wideArguments.c_str()));
}

uint32_t CExecuteWrapper::GetProcessIdOfStarted()
{
    return m_starter ? m_starter->GetProcessId() : 0;
}

CStartProcessWrapper::CStartProcessWrapper(CObjectConnector* connector)
    : CExecuteWrapper(connector, std::make_unique<IStartProcess>())
{
}

CShellExecuteWrapper::CShellExecuteWrapper(CObjectConnector* connector)
    : CExecuteWrapper(connector, std::make_unique<IShellExecute>())
{
}
