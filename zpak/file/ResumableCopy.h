#pragma once
// The one copy of a server's body into a destination that every download uses: the launcher's
// direct download, the script's download and the patch transfers. It continues a partial
// destination with a range request and starts over whenever the server's answer cannot be joined
// to what is already there, so a download either ends complete or fails with a code.
#include <chrono>
#include <cstdint>

namespace ZP
{

class IFileBase;

// Limits of every transfer from a server. A read that brings no byte for stall ends the transfer
// (the HTTP reader enforces it); so does any stretch of floorWindow in which fewer than
// floorBytesPerSecond arrived on average, which catches a server that drips a byte now and then.
// Both end with the internet timeout code (12002).
struct sTransferLimits
{
    static constexpr std::chrono::milliseconds kStall{60'000};
    static constexpr uint32_t kFloorBytesPerSecond = 1024;
    static constexpr std::chrono::milliseconds kFloorWindow{60'000};

    std::chrono::milliseconds stall = kStall;
    uint32_t floorBytesPerSecond = kFloorBytesPerSecond;
    std::chrono::milliseconds floorWindow = kFloorWindow;
};

// The limits that transfers started from now on use; tests shorten them.
sTransferLimits GetTransferLimits();
void SetTransferLimits(const sTransferLimits& limits);

// Where the copied bytes go.
class ICopyTarget
{
public:
    virtual ~ICopyTarget() = default;
    // The source starts again from its first byte: drop everything the target holds.
    virtual bool Restart() = 0;
    virtual bool Write(const char* data, uint32_t count) = 0;
};

// What the caller hears of a copy, and how it stops one. Called on the copying thread.
class ICopyListener
{
public:
    virtual ~ICopyListener() = default;
    // Polled after every piece, together with the library's stop flag.
    virtual bool StopRequested();
    // After each piece written: the target now holds done of total bytes.
    virtual void OnPiece(uint32_t total, uint32_t done, uint32_t pieceBytes);
    // The server answered from the start: the partial copy was dropped.
    virtual void OnRestart();
};

struct sCopyRequest
{
    uint32_t sourceBase = 0; // source position of the resource's first byte
    uint32_t held = 0;       // bytes the target already holds (a prefix of the resource)
    uint32_t total = 0;      // size of the resource
    uint32_t block = 100000; // largest single read
    // The size is not known (a body without a length): copy until the body ends cleanly; total
    // is then only a ceiling.
    bool toEnd = false;
};

// Copies bytes held..total of source (an open file object, usually an HTTP resource) to target.
// - held above total: the target cannot be a prefix of the resource; it restarts from 0.
// - the source not at sourceBase + held: Seek there (for HTTP a range request, which moves only on
//   206 with Content-Range at that offset); landing at sourceBase (a server that ignored the range
//   answers 200 from the start) restarts the target, anywhere else fails.
// - a read that brings nothing before total fails: the network's code when there is one (12002
//   for a stall), else 14042; the target keeps what arrived, for a later resume.
// - the floor rate of GetTransferLimits() is checked as bytes arrive; below it: 12002.
// - a stop (listener or library flag) seen after a piece ends it with 14085; a failed write with 14016.
// Returns 1 when the target holds all total bytes. done (optional) receives the bytes the target
// holds at the end.
int CopyResumable(IFileBase* source, ICopyTarget& target, const sCopyRequest& request,
                  ICopyListener* listener = nullptr, uint32_t* done = nullptr);

// The code for a body that ended before its size: the HTTP resource's last internet error when it
// has one, else 14042.
int ShortBodyCode(IFileBase* source);

// A file object written from position base on. Restart goes back to base, and with truncate also
// cuts the file there (a download's own file; never a pak, whose later data must stay).
class CFileCopyTarget : public ICopyTarget
{
public:
    CFileCopyTarget(IFileBase* file, uint32_t base, bool truncate)
        : m_file(file), m_base(base), m_truncate(truncate)
    {
    }
    bool Restart() override;
    bool Write(const char* data, uint32_t count) override;

private:
    IFileBase* m_file;
    uint32_t m_base;
    bool m_truncate;
};

} // namespace ZP
