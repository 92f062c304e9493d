#pragma once
// The process-wide message box behind ShowMessage. Until the launcher window installs its skinned
// box, a plain CGUIMessageBox stands in: it shows nothing and answers 1.
#include <memory>
#include <string>

class CGUIMessageBox
{
public:
    virtual ~CGUIMessageBox() = default;
    // 0 notice, 2 Yes/No question.
    virtual void SetType(unsigned type) { m_type = type; }
    virtual void SetText(const wchar_t* text) { m_text = text ? text : L""; }
    // The answer: 1 for a notice, 6 (Yes) or 7 (No) for a question.
    virtual int Show() { return 1; }

    unsigned GetType() const { return m_type; }
    const std::wstring& GetText() const { return m_text; }

private:
    unsigned m_type = 0;
    std::wstring m_text;
};

// Message box types and the Yes answer.
constexpr unsigned kMessageNotice = 0;
constexpr unsigned kMessageYesNo = 2;
constexpr int kMessageAnswerYes = 6;

// Any thread may install, remove or show. A box being shown stays alive until its Show returns,
// even when another box is installed meanwhile: the process and every running ShowMessage share it.
// Two threads showing at once on the same box is the box's concern (type and text are per box).
std::shared_ptr<CGUIMessageBox> GetCurrentMessageBox();
void InstallMessageBox(std::shared_ptr<CGUIMessageBox> box);
// Drops the installed box (it goes once no ShowMessage is using it).
void RemoveMessageBox();

// Sets the type, then the text, shows the box and returns its answer. Without an installed box a
// plain CGUIMessageBox is installed first.
int ShowMessage(const wchar_t* text, unsigned type);
