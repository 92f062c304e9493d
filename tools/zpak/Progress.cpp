#include "tools/zpak/Progress.h"

#include "platform/ui/Console.h"
#include "zpak/common/NotifyHooks.h"

#include <cstdio>

namespace zpak_cli
{
CProgressLine::CProgressLine(std::string unit)
    : m_unit(std::move(unit)), m_terminal(platform::ui::StderrIsTerminal())
{
}

CProgressLine::~CProgressLine()
{
    m_byteHook.reset();
    Finish();
}

void CProgressLine::AttachByteHook()
{
    if (m_byteHook) return;
    ZP::sNotifyHooks hooks;
    hooks.byteProgress = [this](uint64_t total, uint64_t done) { Update(done, total); };
    m_byteHook = std::make_unique<ZP::CNotifyHooksScope>(hooks);
}

void CProgressLine::Update(uint64_t done, uint64_t total)
{
    int percent = total ? static_cast<int>(done * 100 / total) : 100;
    auto now = std::chrono::steady_clock::now();
    bool finished = done >= total;
    if (m_terminal ? (!finished && now - m_lastPrint < std::chrono::milliseconds(100))
                   : percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    m_lastPrint = now;
    std::fprintf(stderr, m_terminal ? "\r%3d%% %llu / %llu %s" : "%3d%% %llu / %llu %s\n", percent,
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total),
                 m_unit.c_str());
    m_open = m_terminal;
}

void CProgressLine::Finish()
{
    if (m_open) std::fputc('\n', stderr);
    m_open = false;
}

} // namespace zpak_cli
