#include "platform/ui/HeadlessBackend.h"

#include "platform/text/TextCodec.h"

#include <cstdlib>
#include <string>

namespace platform::ui
{
CHeadlessBackend::CHeadlessBackend(std::FILE* out, bool terminal) : m_out(out), m_terminal(terminal) {}

int CHeadlessBackend::HeadlessAnswer(unsigned type)
{
    switch (type)
    {
    case kBoxYesNo:
    {
        const char* env = std::getenv("VELMORA_HEADLESS_ANSWER");
        const int answer = env && *env ? std::atoi(env) : kAnswerNo;
        return answer > 0 ? answer : kAnswerNo;
    }
    case kBoxOkCancel:
    case kBoxRetryCancel:
        // Nobody can fix what a retry needs, and nobody confirms for the user.
        return kAnswerCancel;
    default:
        return kAnswerOk;
    }
}

void CHeadlessBackend::EndOpenLine()
{
    if (m_lineOpen) std::fputc('\n', m_out);
    m_lineOpen = false;
}

void CHeadlessBackend::DrawProgress()
{
    const std::string file = text::WideToUtf8(m_file);
    if (m_terminal)
    {
        std::fprintf(m_out, "\r[total %3d%%] [file %3d%%] %-50.50s", m_total, m_current, file.c_str());
        m_lineOpen = true;
    }
    else if (m_total / 10 != m_lastTenth)
    {
        m_lastTenth = m_total / 10;
        std::fprintf(m_out, "[total %3d%%] [file %3d%%] %s\n", m_total, m_current, file.c_str());
    }
    std::fflush(m_out);
}

void CHeadlessBackend::OnControlChanged(CWindow&, const sControl& control)
{
    std::lock_guard<std::mutex> hold(m_lock);
    switch (control.role)
    {
    case eControlRole::StatusText:
        if (control.text.empty()) return;
        EndOpenLine();
        std::fprintf(m_out, "%s\n", text::WideToUtf8(control.text).c_str());
        std::fflush(m_out);
        return;
    case eControlRole::CurrentFileText:
        m_file = control.text;
        if (m_terminal) DrawProgress();
        return;
    case eControlRole::TotalBar:
        m_total = control.position;
        DrawProgress();
        return;
    case eControlRole::FileBar:
        m_current = control.position;
        if (m_terminal) DrawProgress();
        return;
    default:
        return;
    }
}

void CHeadlessBackend::OnWorkFinished(CWindow& window, int result)
{
    if (result == 1)
    {
        const int proceed = window.FindControl(eControlRole::ProceedButton);
        if (proceed >= 0) window.PostCommand(proceed);
        return;
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        EndOpenLine();
        std::fprintf(m_out, "[finished] result %d\n", result);
        std::fflush(m_out);
    }
    const int close = window.FindControl(eControlRole::CloseButton);
    if (close >= 0) window.PostCommand(close);
}

void CHeadlessBackend::OnClosed(CWindow&)
{
    std::lock_guard<std::mutex> hold(m_lock);
    EndOpenLine();
    std::fflush(m_out);
}

int CHeadlessBackend::AnswerMessage(CWindow*, const sMessageRequest& request)
{
    const int answer = HeadlessAnswer(request.type);
    std::lock_guard<std::mutex> hold(m_lock);
    EndOpenLine();
    std::string caption = text::WideToUtf8(request.caption);
    std::fprintf(m_out, "[message%s%s] %s -> %d\n", caption.empty() ? "" : " ", caption.c_str(),
                 text::WideToUtf8(request.text).c_str(), answer);
    std::fflush(m_out);
    return answer;
}

} // namespace platform::ui
