#include "tools/zpak/Progress.h"

#include "platform/ui/Console.h"
#include "zpak/common/NotifyHooks.h"

#include <cstdio>

namespace zpak_cli
{
namespace
{
CProgressLine* g_hooked = nullptr;
void ByteHook(uint64_t total, uint64_t done)
{
    if (g_hooked)
        g_hooked->Update(done, total);
}
} // namespace

CProgressLine::CProgressLine(std::string unit) : m_unit(std::move(unit)), m_terminal(platform::ui::StderrIsTerminal())
{
}

CProgressLine::~CProgressLine()
{
    Finish();
    if (m_hooked)
    {
        ZP::GetNotifyHooks().byteProgress = nullptr;
        g_hooked = nullptr;
    }
}

void CProgressLine::AttachByteHook()
{
    g_hooked = this;
    m_hooked = true;
    ZP::GetNotifyHooks().byteProgress = ByteHook;
}

void CProgressLine::Update(uint64_t done, uint64_t total)
{
    int percent = total ? static_cast<int>(done * 100 / total) : 100;
    auto now = std::chrono::steady_clock::now();
    bool finished = done >= total;
    if (m_terminal ? (!finished && now - m_lastPrint < std::chrono::milliseconds(100)) : percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    m_lastPrint = now;
    std::fprintf(stderr, m_terminal ? "\r%3d%% %llu / %llu %s" : "%3d%% %llu / %llu %s\n", percent,
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total), m_unit.c_str());
    m_open = m_terminal;
}

void CProgressLine::Finish()
{
    if (m_open)
        std::fputc('\n', stderr);
    m_open = false;
}

} // namespace zpak_cli
