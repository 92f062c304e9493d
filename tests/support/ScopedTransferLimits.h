#pragma once
// Shorter transfer limits for one test, put back when the test ends, failed assertions included.
#include "zpak/file/ResumableCopy.h"

namespace testsupport
{

class ScopedTransferLimits
{
public:
    explicit ScopedTransferLimits(const ZP::sTransferLimits& limits) : m_saved(ZP::GetTransferLimits())
    {
        ZP::SetTransferLimits(limits);
    }
    ~ScopedTransferLimits() { ZP::SetTransferLimits(m_saved); }
    ScopedTransferLimits(const ScopedTransferLimits&) = delete;
    ScopedTransferLimits& operator=(const ScopedTransferLimits&) = delete;

private:
    ZP::sTransferLimits m_saved;
};

} // namespace testsupport
