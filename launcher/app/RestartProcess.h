#pragma once
// The restart process as the other components reach it through the connector: the component that
// holds the launcher information record (filled from "LauncherInfo.dat") and replaces the launcher
// when a new version exists.
#include "launcher/app/Components.h"

class CLauncherInfo;

class CRestartProcess : public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    // The record lives as long as the component.
    virtual CLauncherInfo* GetLauncherInfo() = 0;
};
