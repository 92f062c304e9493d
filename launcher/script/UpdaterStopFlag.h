#pragma once
// The updater's stop byte as the script functions need it: the waits and downloads that a script
// starts end when it is set (by the updater's forced termination on another thread). The
// application object, which owns the updater, provides it beside its connector interface; an
// application without it never stops them early.
class CObjectConnector;

class IUpdaterStopFlag
{
public:
    virtual ~IUpdaterStopFlag() = default;
    // Read without a lock, as often as every 100 ms.
    virtual bool IsUpdaterStopRequested() = 0;
};

// False when the connector is null or does not provide the flag.
bool IsUpdaterStopRequested(CObjectConnector* connector);
