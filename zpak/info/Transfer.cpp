// The four routines that move one file's data between file objects, computing and checking the
// integrity values on the way.
#include "zpak/codec/EncodeMgr.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/Stopper.h"
#include "zpak/crc/Crc32.h"
#include "zpak/file/FileBase.h"
#include "zpak/file/ResumableCopy.h"
#include "zpak/info/FileInfoUtil.h"

#include <cstring>
#include <memory>
#include <vector>

namespace ZP
{
namespace
{
constexpr int kAttempts = 3;
// Largest read of a transfer into memory: what the HTTP reader buffers at most.
constexpr uint32_t kMemoryPiece = 1u << 20;

struct sBufferDeleter
{
    void operator()(char* p) const { FreeBuffer(p); }
};
using BufferPtr = std::unique_ptr<char, sBufferDeleter>;

bool BothOpen(IFileBase* a, IFileBase* b)
{
    return a && b && a->IsOpened() && b->IsOpened();
}

// CRC-32 of length bytes of file from position, read back in pieces; the position is left after them.
bool CrcOfRange(IFileBase* file, uint32_t position, uint32_t length, uint32_t& crc)
{
    if (file->Seek(position) != position) return false;
    std::vector<char> piece(length < (1u << 20) ? length : (1u << 20));
    crc = 0;
    uint32_t done = 0;
    while (done < length)
    {
        uint32_t want = length - done < piece.size() ? length - done : static_cast<uint32_t>(piece.size());
        uint32_t got = file->Read(piece.data(), want);
        if (got == 0) return false;
        crc = CCrc32::Get().Update(piece.data(), got, crc);
        done += got;
    }
    return true;
}

// Byte progress of a transfer from a server, through the run's hook.
class CByteProgress : public ICopyListener
{
public:
    void OnPiece(uint32_t total, uint32_t done, uint32_t) override
    {
        Notify(GetNotifyHooks().byteProgress, static_cast<uint64_t>(total), static_cast<uint64_t>(done));
    }
};

// The received stream of one record, held whole for its check and decoding.
class CMemoryTarget : public ICopyTarget
{
public:
    CMemoryTarget(char* buffer, uint32_t capacity) : m_buffer(buffer), m_capacity(capacity) {}
    bool Restart() override
    {
        m_length = 0;
        return true;
    }
    bool Write(const char* data, uint32_t count) override
    {
        if (count > m_capacity - m_length) return false;
        std::memcpy(m_buffer + m_length, data, count);
        m_length += count;
        return true;
    }

private:
    char* m_buffer;
    uint32_t m_capacity;
    uint32_t m_length = 0;
};

// The destination file from its start position on, with the CRC-32 of what was written.
class CCrcFileTarget : public ICopyTarget
{
public:
    CCrcFileTarget(IFileBase* file, uint32_t base) : m_file(file, base, false) {}
    bool Restart() override
    {
        crc = 0;
        return m_file.Restart();
    }
    bool Write(const char* data, uint32_t count) override
    {
        if (!m_file.Write(data, count)) return false;
        crc = CCrc32::Get().Update(data, count, crc);
        return true;
    }

    uint32_t crc = 0;

private:
    CFileCopyTarget m_file;
};
} // namespace

uint32_t CFileInfoUtil::CopyPlain(IFileBase* source, IFileBase* destination, uint32_t size, CFileInfo* record)
{
    if (!BothOpen(source, destination) || size == 0) return 0;
    // Pieces that stay in the cache between the read, the CRC and the write are far faster than
    // one large chunk; the progress hook just runs more often.
    constexpr uint32_t kPiece = 1u << 20;
    const uint32_t chunk = size < kPiece ? size : kPiece;
    std::vector<char> buffer(chunk);
    CCrc32& crc32 = CCrc32::Get();
    sNotifyHooks& hooks = GetNotifyHooks();
    uint32_t total = 0;
    uint32_t crc = 0;
    int32_t sum = 0;
    while (total < size && !CStopper::IsStopRequested())
    {
        uint32_t want = size - total < chunk ? size - total : chunk;
        uint32_t got = source->Read(buffer.data(), want);
        if (got == 0) break;
        // A short write is a failed copy, not a shorter file.
        if (destination->Write(buffer.data(), got) != got) return 0;
        crc = crc32.Update(buffer.data(), got, crc, &sum);
        total += got;
        Notify(hooks.byteProgress, static_cast<uint64_t>(size), static_cast<uint64_t>(total));
    }
    if (record)
    {
        record->base.OrgCrc = record->base.ZipCrc = crc;
        record->base.OrgSum = record->base.ZipSum = static_cast<uint32_t>(sum);
        record->base.CrcSign = CRC_SIGN;
    }
    return total;
}

uint32_t CFileInfoUtil::StoreCoded(IFileBase* source, IFileBase* destination, uint32_t size,
                                   CFileInfo* record)
{
    if (!BothOpen(source, destination) || size == 0 || !record) return 0;
    BufferPtr plain(AllocBuffer(size));
    if (!plain || source->Read(plain.get(), size) != size) return 0;
    CCrc32& crc32 = CCrc32::Get();
    int32_t sum = 0;
    record->base.OrgCrc = crc32.Update(plain.get(), size, 0, &sum);
    record->base.OrgSum = static_cast<uint32_t>(sum);

    BufferPtr current = std::move(plain);
    uint32_t length = size;
    if (record->base.zip > 0)
    {
        char* packed = nullptr;
        uint32_t packedLength = 0;
        if (Compress(static_cast<int>(record->base.zip & 0xFF), &packed, &packedLength, current.get(),
                     length))
        {
            record->base.unzipsize = length;
            current.reset(packed);
            length = packedLength;
        }
        else
            record->base.zip = 0; // the record must say what is really stored
    }
    if (record->base.enc > 0)
    {
        char* sealed = nullptr;
        uint32_t sealedLength = 0;
        if (Encrypt(static_cast<int>(record->base.enc & 0xFF), &sealed, &sealedLength, current.get(), length))
        {
            record->base.EncSize = length;
            current.reset(sealed);
            length = sealedLength;
        }
        else
            record->base.enc = 0; // stored in the clear: say so, or the record could never be read
    }
    record->base.size = length;
    uint32_t written = destination->Write(current.get(), length);
    if (written != length) return 0;
    Notify(GetNotifyHooks().byteProgress, static_cast<uint64_t>(written), static_cast<uint64_t>(written));
    sum = 0;
    record->base.ZipCrc = crc32.Update(current.get(), length, 0, &sum);
    record->base.ZipSum = static_cast<uint32_t>(sum);
    record->base.CrcSign = CRC_SIGN;
    return written;
}

uint32_t CFileInfoUtil::DownloadDecode(IFileBase* source, IFileBase* destination, CFileInfo* record)
{
    if (!BothOpen(source, destination) || !record || record->base.size == 0) return 0;
    const uint32_t sourceStart = source->GetPosition();
    const uint32_t destinationStart = destination->GetPosition();
    const uint32_t size = record->base.size;
    const bool checked = record->HasCrc();
    CCrc32& crc32 = CCrc32::Get();
    BufferPtr received(AllocBuffer(size));
    if (!received) return 0;
    CMemoryTarget target(received.get(), size);
    CByteProgress progress;
    // A failed attempt continues where the data stopped; data that fails its checks comes again whole.
    uint32_t held = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt)
    {
        int r = CopyResumable(source, target,
                              {.sourceBase = sourceStart, .held = held, .total = size, .block = kMemoryPiece},
                              &progress, &held);
        if (r == kErrorStopped) return 0;
        if (r != 1) continue;
        held = 0;
        target.Restart();
        if (checked && crc32.Update(received.get(), size, 0) != record->base.ZipCrc) continue;
        char* plain = nullptr;
        if (!Decompress(kZipZlib, &plain, record->base.unzipsize, received.get(), size)) continue;
        BufferPtr decoded(plain);
        const uint32_t plainLength = record->base.unzipsize;
        uint32_t plainCrc = crc32.Update(decoded.get(), plainLength, 0);
        if (checked && plainCrc != record->base.OrgCrc) continue;
        for (int write = 0; write < kAttempts; ++write)
        {
            if (destination->Seek(destinationStart) != destinationStart) break;
            uint32_t written = destination->Write(decoded.get(), plainLength);
            Notify(GetNotifyHooks().byteProgress, static_cast<uint64_t>(plainLength),
                   static_cast<uint64_t>(written));
            uint32_t back = 0;
            if (written == plainLength && record->base.Loc == kLocPak &&
                CrcOfRange(destination, destinationStart, plainLength, back) && back == plainCrc)
                return written;
        }
    }
    return 0;
}

uint32_t CFileInfoUtil::DownloadRaw(IFileBase* source, IFileBase* destination, CFileInfo* record)
{
    if (!BothOpen(source, destination) || !record) return 0;
    const uint32_t sourceStart = source->GetPosition();
    const uint32_t destinationStart = destination->GetPosition();
    const uint32_t size = record->base.size;
    CCrcFileTarget target(destination, destinationStart);
    CByteProgress progress;
    // A failed attempt continues where the data stopped; data that fails its checks comes again whole.
    uint32_t held = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt)
    {
        if (destination->Seek(destinationStart + held) != destinationStart + held) return 0;
        int r = CopyResumable(source, target,
                              {.sourceBase = sourceStart, .held = held, .total = size, .block = kRawPiece},
                              &progress, &held);
        if (r == kErrorStopped) return 0;
        if (r != 1) continue;
        const uint32_t crc = target.crc;
        held = 0;
        target.Restart();
        if (record->HasCrc() && crc != record->base.ZipCrc) continue;
        uint32_t back = 0;
        if (CrcOfRange(destination, destinationStart, size, back) && back == crc) return size;
    }
    return 0;
}

} // namespace ZP
