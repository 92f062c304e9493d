#pragma once
// The system message box (no owner window). Until a windowing back end installs its own handler,
// boxes are answered headlessly: the text goes to stderr and Yes/No questions get the answer from
// VELMORA_HEADLESS_ANSWER (default 7 = No).
#include <functional>
#include <string_view>

namespace platform::ui
{

// Answers as the platform gives them.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Style bits that matter for the answer.
constexpr unsigned kStyleOk = 0x0;
constexpr unsigned kStyleOkCancel = 0x1;
constexpr unsigned kStyleYesNo = 0x4;
constexpr unsigned kStyleSetForeground = 0x10000;

using MessageBoxHandler =
    std::function<int(std::wstring_view text, std::wstring_view caption, unsigned style)>;

int SystemMessageBox(std::wstring_view text, std::wstring_view caption, unsigned style);
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace platform::ui
