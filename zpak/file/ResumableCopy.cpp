#include "zpak/file/ResumableCopy.h"

#include "platform/net/HttpReader.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/FileHttp.h"
#include "zpak/message/ResultCodes.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace ZP
{
namespace
{
using Clock = std::chrono::steady_clock;

struct sLimitsState
{
    std::mutex lock;
    sTransferLimits limits;
};

sLimitsState& LimitsState()
{
    static sLimitsState state;
    return state;
}

// Counts what arrives per window; a window that ends below the floor is a stall.
class CFloorRate
{
public:
    explicit CFloorRate(const sTransferLimits& limits) : m_limits(limits), m_start(Clock::now()) {}

    bool Below(uint32_t arrived)
    {
        m_bytes += arrived;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start);
        if (m_limits.floorBytesPerSecond == 0 || elapsed < m_limits.floorWindow) return false;
        if (m_bytes * 1000 < uint64_t(m_limits.floorBytesPerSecond) * uint64_t(elapsed.count())) return true;
        m_start = Clock::now();
        m_bytes = 0;
        return false;
    }

private:
    sTransferLimits m_limits;
    Clock::time_point m_start;
    uint64_t m_bytes = 0;
};
} // namespace

sTransferLimits GetTransferLimits()
{
    sLimitsState& s = LimitsState();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.limits;
}

void SetTransferLimits(const sTransferLimits& limits)
{
    sLimitsState& s = LimitsState();
    std::lock_guard<std::mutex> guard(s.lock);
    s.limits = limits;
}

bool ICopyListener::StopRequested()
{
    return false;
}
void ICopyListener::OnPiece(uint32_t, uint32_t, uint32_t) {}
void ICopyListener::OnRestart() {}

int ShortBodyCode(IFileBase* source)
{
    auto* http = dynamic_cast<CFileHttp*>(source);
    int net = http ? http->GetLastInternetError() : 0;
    return net != 0 ? net : kErrorDownload;
}

bool CFileCopyTarget::Restart()
{
    if (m_truncate) return m_file->Truncate(m_base) && m_file->Seek(m_base) == m_base;
    return m_file->Seek(m_base) == m_base;
}

bool CFileCopyTarget::Write(const char* data, uint32_t count)
{
    return m_file->Write(data, count) == count;
}

int CopyResumable(IFileBase* source, ICopyTarget& target, const sCopyRequest& request,
                  ICopyListener* listener, uint32_t* done)
{
    ICopyListener quiet;
    ICopyListener& hear = listener ? *listener : quiet;
    uint32_t held = request.held;
    const uint32_t total = request.total;
    auto finish = [&](int result)
    {
        if (done) *done = held;
        return result;
    };
    if (!source || !source->IsOpened()) return finish(kErrorInvalidPointer);
    if (held > total)
    {
        if (!target.Restart()) return finish(kErrorFileWrite);
        held = 0;
        hear.OnRestart();
    }
    if (held == total && !request.toEnd) return finish(1);

    // A resource whose transfer failed is asked again even where it stands: its request is spent.
    const uint32_t wanted = request.sourceBase + held;
    auto* http = dynamic_cast<CFileHttp*>(source);
    if (source->GetPosition() != wanted || (http && http->GetLastInternetError() != 0))
    {
        const uint32_t landed = source->Seek(wanted);
        if (landed != wanted)
        {
            if (!source->IsOpened() || source->GetPosition() != request.sourceBase)
                return finish(ShortBodyCode(source));
            // The whole resource comes again from its start: never splice it onto the part.
            if (held > 0)
            {
                if (!target.Restart()) return finish(kErrorFileWrite);
                held = 0;
                hear.OnRestart();
            }
        }
    }

    const uint32_t block = std::max<uint32_t>(1, request.block);
    std::vector<char> piece(request.toEnd ? block : std::min(block, total - held));
    CFloorRate floor(GetTransferLimits());
    while (held < total)
    {
        const uint32_t want = std::min<uint32_t>(total - held, static_cast<uint32_t>(piece.size()));
        const uint32_t got = source->Read(piece.data(), want);
        if (got == 0)
        {
            if (request.toEnd && (!http || http->GetLastInternetError() == 0)) return finish(1);
            return finish(ShortBodyCode(source));
        }
        if (!target.Write(piece.data(), got)) return finish(kErrorFileWrite);
        held += got;
        hear.OnPiece(total, held, got);
        // Polled after each piece, so a piece that was read is never thrown away.
        if (held < total && (hear.StopRequested() || CStopper::IsStopRequested()))
            return finish(kErrorStopped);
        if (held < total && floor.Below(got)) return finish(platform::net::kInternetTimeout);
    }
    // A body without a length that would outgrow the ceiling is not the resource asked for.
    return finish(request.toEnd ? kErrorDataSize : 1);
}

} // namespace ZP
