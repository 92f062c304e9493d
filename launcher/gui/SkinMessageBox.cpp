#include "launcher/gui/SkinMessageBox.h"

#include "platform/ui/SystemMessageBox.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

namespace
{
// The plain box's caption.
constexpr const wchar_t* kPlainCaption = L"Caution";
// The system style of the Retry/Cancel buttons (OK, OK/Cancel and Yes/No are named by the platform).
constexpr unsigned kStyleRetryCancel = 0x5;
} // namespace

CSkinMessageBox::CSkinMessageBox(std::shared_ptr<platform::ui::IWindowBackend> backend,
                                 std::shared_ptr<IMessageBoxSkin> skin)
    : m_backend(std::move(backend)), m_skin(std::move(skin))
{
}

int CSkinMessageBox::InitializeGUI()
{
    if (!m_skin || !m_backend || !m_skin->LoadTemplate()) return ZP::kResultFail;
    // Missing positions leave the parts at their template places.
    m_skin->LoadPositions();
    if (!m_skin->LoadFrameBitmaps())
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidData, "CSkinMessageBox::InitializeGUI", 119);
        return ZP::kErrorInvalidData;
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_initialised = true;
    return ZP::kResultOk;
}

void CSkinMessageBox::FinalizeGUI()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_initialised = false;
}

void CSkinMessageBox::SetOwnerWindow(platform::ui::CWindow* window)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_owner = window;
}

int CSkinMessageBox::AnswerForButton(unsigned type, int buttonId)
{
    switch (buttonId)
    {
    case kMessageButtonLeft:
        return type == platform::ui::kBoxYesNo         ? platform::ui::kAnswerYes
               : type == platform::ui::kBoxRetryCancel ? platform::ui::kAnswerRetry
                                                       : platform::ui::kAnswerOk;
    case kMessageButtonRight:
        return type == platform::ui::kBoxYesNo ? platform::ui::kAnswerNo : platform::ui::kAnswerCancel;
    case kMessageButtonClose:
        return platform::ui::kAnswerClosed;
    default:
        return 0;
    }
}

unsigned CSkinMessageBox::PlainStyle(unsigned type)
{
    switch (type)
    {
    case platform::ui::kBoxOkCancel:
        return platform::ui::kStyleOkCancel;
    case platform::ui::kBoxYesNo:
        return platform::ui::kStyleYesNo;
    case platform::ui::kBoxRetryCancel:
        return kStyleRetryCancel;
    default:
        return platform::ui::kStyleOk;
    }
}

int CSkinMessageBox::Show()
{
    bool ready;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        ready = m_initialised;
    }
    if (!ready) ready = InitializeGUI() == ZP::kResultOk;
    if (!ready) return platform::ui::SystemMessageBox(GetText(), kPlainCaption, PlainStyle(GetType()));

    platform::ui::sMessageRequest request;
    request.text = GetText();
    request.type = GetType();
    platform::ui::CWindow* owner;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        owner = m_owner;
    }
    return owner ? owner->AskMessage(request) : m_backend->AnswerMessage(nullptr, request);
}
