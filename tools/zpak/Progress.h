#pragma once
// Progress of a long command on stderr: one line redrawn in place on a terminal, one line per
// whole percent otherwise.
#include "zpak/common/NotifyHooks.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace zpak_cli
{

class CProgressLine
{
public:
    explicit CProgressLine(std::string unit = "bytes");
    ~CProgressLine();
    void Update(uint64_t done, uint64_t total);
    // Ends a redrawn line so the next output starts on a fresh one.
    void Finish();

    // Routes the library's byte-progress hook of this thread to this line while it lives.
    void AttachByteHook();

private:
    std::string m_unit;
    bool m_terminal;
    bool m_open = false;
    std::unique_ptr<ZP::CNotifyHooksScope> m_byteHook;
    int m_lastPercent = -1;
    std::chrono::steady_clock::time_point m_lastPrint;
};

} // namespace zpak_cli
