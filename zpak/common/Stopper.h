#pragma once
// The process-wide stop flag that every long loop polls. A forced end of a worker raises it; the
// loops notice it at their next poll and end, usually with 14085.

namespace ZP
{

class CStopper
{
public:
    static void EnsureStopper();
    static bool IsStopRequested();
    static void SetStopRequested(bool value);
};

} // namespace ZP
