#pragma once
// The component framework: every component initialises and finalises through IAbsInitializer and
// receives the application object as its connector, through which it reaches every other component.

class CFWLauncherGUI;
class CRestartProcess;
class CLauncherUpdater;
class CPatchSystemProcess;
class CGameInfoManagerBase;
class CLauncherScript;
class CLauncherStringTable;
class CProcessStatus;
class CLauncherImplement;

class IAbsInitializer
{
public:
    virtual ~IAbsInitializer() = default;
    virtual int Initialize() = 0;
    virtual void Finalize() = 0;
};

class CObjectConnector;

class CObjectConnectorReceiver
{
public:
    virtual ~CObjectConnectorReceiver() = default;
    virtual void SetConnector(CObjectConnector* connector) = 0;
};

// Accessors of the application object; each returns null before creation and after teardown.
class CObjectConnector
{
public:
    virtual ~CObjectConnector() = default;
    virtual CFWLauncherGUI* GetLauncherGUI() = 0;
    virtual CRestartProcess* GetRestartProcess() = 0;
    virtual CLauncherUpdater* GetUpdater() = 0;
    virtual CPatchSystemProcess* GetPatchSystem() = 0;
    virtual CGameInfoManagerBase* GetGameInfoManager() = 0;
    virtual CLauncherScript* GetScript() = 0;
    virtual CLauncherStringTable* GetStringTable() = 0;
    virtual CProcessStatus* GetProcessStatus() = 0;
    virtual CLauncherImplement* GetImplement() = 0;
};
