#pragma once
// The script's process starters ("StartProcess" and "ShellExecute" objects): each owns one starter,
// which keeps its process handle while the wrapper lives, so one object starts one program.
#include <cstdint>
#include <memory>

class CObjectConnector;
class IStartProcessBase;

class CExecuteWrapper
{
public:
    CExecuteWrapper(CObjectConnector* connector, std::unique_ptr<IStartProcessBase> starter);
    virtual ~CExecuteWrapper();
    CExecuteWrapper(const CExecuteWrapper&) = delete;
    CExecuteWrapper& operator=(const CExecuteWrapper&) = delete;

    // 1 started, 0 already started, 14012 no such program, 14013 refused by the system.
    virtual uint32_t CreateAppProcess(const char* path, const char* arguments);
    // Script name "GetCurrentProcessId": the id of the started program, 0 before a start.
    virtual uint32_t GetProcessIdOfStarted();

    IStartProcessBase* GetStarter() const { return m_starter.get(); }

private:
    CObjectConnector* m_connector;
    std::unique_ptr<IStartProcessBase> m_starter;
};

class CStartProcessWrapper : public CExecuteWrapper
{
public:
    explicit CStartProcessWrapper(CObjectConnector* connector);
};

class CShellExecuteWrapper : public CExecuteWrapper
{
public:
    explicit CShellExecuteWrapper(CObjectConnector* connector);
};
