#pragma once
// The window back end without a display. It prints the status line, the current file and both
// bars (one line rewritten in place on a terminal, a line for each tenth of the total bar
// otherwise), prints every message box with the answer it gives (Yes/No from
// VELMORA_HEADLESS_ANSWER, default 7 = No; OK for notices; Cancel for the other questions), and
// acts for the absent user when the window's work ends: result 1 presses the proceed button, any
// other result is printed and the close button is pressed.
#include "platform/ui/Window.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace platform::ui
{

class CHeadlessBackend : public IWindowBackend
{
public:
    // terminal: whether out is a terminal (progress is then redrawn on one line).
    CHeadlessBackend(std::FILE* out, bool terminal);

    void OnControlChanged(CWindow& window, const sControl& control) override;
    void OnWorkFinished(CWindow& window, int result) override;
    void OnClosed(CWindow& window) override;
    int AnswerMessage(CWindow* window, const sMessageRequest& request) override;

    // The answer to a box of the type under the current environment.
    static int HeadlessAnswer(unsigned type);

private:
    void EndOpenLine();
    void DrawProgress();

    std::FILE* m_out;
    bool m_terminal;
    std::mutex m_lock;
    std::wstring m_file;
    int m_total = 0;
    int m_current = 0;
    int m_lastTenth = -1;
    bool m_lineOpen = false;
};

} // namespace platform::ui
