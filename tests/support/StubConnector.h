#pragma once
// A stand-in application object: every component accessor answers null until a test overrides the
// ones its subject reaches, and the updater's stop flag is a plain atomic the test sets.
#include "launcher/app/Components.h"
#include "launcher/app/UpdaterStopFlag.h"

#include <atomic>

namespace testsupport
{

class CStubConnector : public CObjectConnector, public IUpdaterStopFlag
{
public:
    CFWLauncherGUI* GetLauncherGUI() override { return nullptr; }
    CRestartProcess* GetRestartProcess() override { return nullptr; }
    CLauncherUpdater* GetUpdater() override { return nullptr; }
    CPatchSystemProcess* GetPatchSystem() override { return nullptr; }
    CGameInfoManagerBase* GetGameInfoManager() override { return nullptr; }
    CLauncherScript* GetScript() override { return nullptr; }
    CLauncherStringTable* GetStringTable() override { return nullptr; }
    CProcessStatus* GetProcessStatus() override { return nullptr; }
    CLauncherImplement* GetImplement() override { return nullptr; }
    bool IsUpdaterStopRequested() override { return stop.load(); }

    std::atomic<bool> stop{false};
};

} // namespace testsupport
