#pragma once
// The updater's stop byte, as the loops outside the pak library see it. A forced end of the
// updater sets it together with the pak library's stop flag (CStopper), and those two are the only
// stop state: the pak library's loops poll CStopper, the patch run and the script's waits and
// downloads poll this byte between their steps. The application object, which owns the updater,
// provides it beside its connector interface; an application without it never stops them early.
// Only the owner of the updater clears the two, before it starts a run, so a stop raised before a
// loop begins is never lost.
class CObjectConnector;

class IUpdaterStopFlag
{
public:
    virtual ~IUpdaterStopFlag() = default;
    // Read without a lock from any thread, as often as every 100 ms.
    virtual bool IsUpdaterStopRequested() = 0;
};

// False when the connector is null or does not provide the flag.
bool IsUpdaterStopRequested(CObjectConnector* connector);
