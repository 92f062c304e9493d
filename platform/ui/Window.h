#pragma once
// A toolkit-neutral window: controls at rectangles with their texts, bar positions, shown, enabled
// and checked states, and one event queue that the window's own thread works through. Every
// operation may be called from any thread; the state is guarded by the window's lock and a back end
// hears of each change after the lock is released. Button presses and close requests are posted and
// handled on the window's thread. A message box asked from another thread while the loop runs is
// answered on the window's thread, and the asking thread waits for the answer.
#include "platform/ui/SystemMessageBox.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace platform::ui
{

struct sRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

enum class eControlKind
{
    Text,
    Button,
    ProgressBar,
    CheckBox,
    Image,
    Browser,
};

// What a control means to a back end that shows the window without drawing it.
enum class eControlRole
{
    None,
    StatusText,
    CurrentFileText,
    TotalBar,
    FileBar,
    ProceedButton, // the button that carries the user on once the work is done
    CloseButton,
};

struct sControl
{
    int id = 0;
    eControlKind kind = eControlKind::Text;
    eControlRole role = eControlRole::None;
    sRect rect;
    std::wstring text;
    int position = 0; // progress bars: 0-100
    bool visible = true;
    bool enabled = true;
    bool checked = false;
};

// Message box types and answers, numbered as the launcher's home platform numbers them.
constexpr unsigned kBoxOk = 0;
constexpr unsigned kBoxOkCancel = 1;
constexpr unsigned kBoxYesNo = 2;
constexpr unsigned kBoxRetryCancel = 3;
// (OK 1, Cancel 2, Yes 6 and No 7 are those of the system message box.)
constexpr int kAnswerRetry = 4;
constexpr int kAnswerClosed = 8;

struct sMessageRequest
{
    std::wstring text;
    std::wstring caption;
    unsigned type = kBoxOk;
};

// Show states.
constexpr int kShowHidden = 0;
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;

class CWindow;

// How a window reaches the user. Change notices come on the thread that made the change, with
// copies of the new state; the window's lock is not held, so a back end may call the window back.
class IWindowBackend
{
public:
    virtual ~IWindowBackend() = default;
    virtual void OnControlChanged(CWindow& window, const sControl& control) = 0;
    virtual void OnShowStateChanged(CWindow& /*window*/, int /*state*/) {}
    // Something was posted to the window's queue (a back end with its own main loop wakes it).
    virtual void OnEventPosted(CWindow& /*window*/) {}
    // The window's work has ended with a result (1 success); a back end without a user acts here.
    virtual void OnWorkFinished(CWindow& /*window*/, int /*result*/) {}
    // The window is gone: its loop has ended.
    virtual void OnClosed(CWindow& /*window*/) {}
    // The user's answer. Runs on the window's thread while its loop runs; otherwise (before the
    // loop, while the window closes, after it) on the asking thread; window may then be null.
    virtual int AnswerMessage(CWindow* window, const sMessageRequest& request) = 0;
};

class CWindow
{
public:
    explicit CWindow(std::shared_ptr<IWindowBackend> backend);
    ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    IWindowBackend& Backend() { return *m_backend; }

    void SetTitle(std::wstring title);
    std::wstring GetTitle();
    void SetRect(const sRect& rect);
    sRect GetRect();
    // Stored in every case; a back end shows what it can.
    void SetShowState(int state);
    int GetShowState();

    // False when the id is taken.
    bool AddControl(const sControl& control);
    void RemoveControl(int id);
    void RemoveAllControls();
    bool HasControl(int id);
    std::optional<sControl> GetControl(int id);
    // The id of the first control with the role, -1 when there is none.
    int FindControl(eControlRole role);

    // Each does nothing for an unknown id or an unchanged value. SetPosition clamps to 0-100.
    void SetText(int id, std::wstring_view text);
    void SetPosition(int id, int position);
    void SetVisible(int id, bool visible);
    void SetEnabled(int id, bool enabled);
    void SetChecked(int id, bool checked);
    bool IsChecked(int id);

    // Any thread. Handled in order on the window's thread; whatever is posted after a close
    // request, or after the loop has ended, is dropped.
    void PostCommand(int id);
    void PostClose();

    // Run on the window's thread: a command (button press, check box click) and the close request.
    // A command for a hidden or disabled control is dropped; a check box toggles before its command.
    // The close handler runs once; the loop ends after it.
    void SetCommandHandler(std::function<void(int id)> handler);
    void SetCloseHandler(std::function<void()> handler);

    // Works through the queue on the calling thread, which becomes the window's thread, until the
    // close request has been handled. onOpen runs first, on that thread, once it is the window's
    // thread (what it starts may already ask questions). Returns at once when the window was closed
    // before.
    void RunModal(const std::function<void()>& onOpen = {});
    // Handles what is queued now without waiting; false once the window is closed.
    bool ProcessPending();
    bool IsClosed();
    bool IsClosing();
    bool IsWindowThread();

    // Blocks the caller until the user has answered (see IWindowBackend::AnswerMessage).
    int AskMessage(const sMessageRequest& request);

    // Tells the back end that the window's work has ended.
    void NotifyWorkFinished(int result);

private:
    struct sPendingAnswer
    {
        sMessageRequest request;
        std::optional<int> answer;
    };
    struct sEvent
    {
        enum class eKind
        {
            Command,
            Close,
            Message,
        } kind = eKind::Command;
        int id = 0;
        std::shared_ptr<sPendingAnswer> message;
    };

    template <typename Change> void ChangeControl(int id, Change change);
    void Post(sEvent event);
    void Handle(sEvent& event);
    void AnswerQueuedMessages();
    void Answer(sPendingAnswer& pending, CWindow* window);

    std::shared_ptr<IWindowBackend> m_backend;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<int, sControl> m_controls;
    std::wstring m_title;
    sRect m_rect;
    int m_showState = kShowNormal;
    std::deque<sEvent> m_queue;
    std::function<void(int)> m_commandHandler;
    std::function<void()> m_closeHandler;
    std::thread::id m_loopThread;
    bool m_looping = false;
    bool m_closeRequested = false;
    bool m_closing = false;
    bool m_closed = false;
};

} // namespace platform::ui
