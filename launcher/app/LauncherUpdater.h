#pragma once
// The updater: the worker thread that the launcher window starts when it opens. It runs the first
// steps of the launcher workflow (self-update, install check, distribution packages, patching) and
// hands the result to its completion listener (the launcher implementation).
#include "launcher/app/Thread.h"

// The workflow steps the updater runs, in this order. The launcher implementation provides them
// beside CLauncherImplement; each returns 1 to go on or a result code.
class ILauncherUpdateSteps
{
public:
    virtual ~ILauncherUpdateSteps() = default;
    virtual int CheckLauncherUpdateAndRestart() = 0;
    virtual int CheckInstallVM() = 0;
    virtual int UpdateDistPackages() = 0;
    virtual int ProcessPatchSystem() = 0;
};

// The updater as the connector hands it out.
class CLauncherUpdater : public CThread
{
};

class CDefaultLauncherUpdater : public CLauncherUpdater
{
public:
    // 1 when every step gave 1 or a stop was asked for between steps; otherwise the first other
    // result (14099 when this launcher must end for its successor); 14003 without an implementation.
    int Run() override;
};
