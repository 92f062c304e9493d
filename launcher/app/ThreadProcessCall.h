#pragma once
// The listener a worker thread hands its run's result to when the run ends on its own (not when it
// was told to stop). The launcher implementation listens to the updater thread this way.
class IThreadProcessCall
{
public:
    virtual ~IThreadProcessCall() = default;
    // Called on the worker thread.
    virtual void OnThreadProcessEnd(int result) = 0;
};
