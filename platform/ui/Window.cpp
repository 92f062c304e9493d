#include "platform/ui/Window.h"

#include <algorithm>
#include <utility>

namespace platform::ui
{

CWindow::CWindow(std::shared_ptr<IWindowBackend> backend) : m_backend(std::move(backend)) {}

CWindow::~CWindow()
{
    // A worker may still wait for an answer that the loop can no longer give.
    AnswerQueuedMessages();
}

void CWindow::SetTitle(std::wstring title)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_title = std::move(title);
}

std::wstring CWindow::GetTitle()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_title;
}

void CWindow::SetRect(const sRect& rect)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_rect = rect;
}

sRect CWindow::GetRect()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_rect;
}

void CWindow::SetShowState(int state)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_showState = state;
    }
    m_backend->OnShowStateChanged(*this, state);
}

int CWindow::GetShowState()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_showState;
}

bool CWindow::AddControl(const sControl& control)
{
    sControl added = control;
    added.position = std::clamp(added.position, 0, 100);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!m_controls.emplace(control.id, added).second) return false;
    }
    m_backend->OnControlChanged(*this, added);
    return true;
}

void CWindow::RemoveControl(int id)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_controls.erase(id);
}

void CWindow::RemoveAllControls()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_controls.clear();
}

bool CWindow::HasControl(int id)
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_controls.count(id) != 0;
}

std::optional<sControl> CWindow::GetControl(int id)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_controls.find(id);
    if (it == m_controls.end()) return std::nullopt;
    return it->second;
}

int CWindow::FindControl(eControlRole role)
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (const auto& [id, control] : m_controls)
        if (control.role == role) return id;
    return -1;
}

template <typename Change> void CWindow::ChangeControl(int id, Change change)
{
    sControl copy;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = m_controls.find(id);
        if (it == m_controls.end() || !change(it->second)) return;
        copy = it->second;
    }
    m_backend->OnControlChanged(*this, copy);
}

void CWindow::SetText(int id, std::wstring_view text)
{
    ChangeControl(id,
                  [&](sControl& c)
                  {
                      if (c.text == text) return false;
                      c.text = std::wstring(text);
                      return true;
                  });
}

void CWindow::SetPosition(int id, int position)
{
    const int clamped = std::clamp(position, 0, 100);
    ChangeControl(id, [&](sControl& c) { return std::exchange(c.position, clamped) != clamped; });
}

void CWindow::SetVisible(int id, bool visible)
{
    ChangeControl(id, [&](sControl& c) { return std::exchange(c.visible, visible) != visible; });
}

void CWindow::SetEnabled(int id, bool enabled)
{
    ChangeControl(id, [&](sControl& c) { return std::exchange(c.enabled, enabled) != enabled; });
}

void CWindow::SetChecked(int id, bool checked)
{
    ChangeControl(id, [&](sControl& c) { return std::exchange(c.checked, checked) != checked; });
}

bool CWindow::IsChecked(int id)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_controls.find(id);
    return it != m_controls.end() && it->second.checked;
}

void CWindow::SetCommandHandler(std::function<void(int id)> handler)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_commandHandler = std::move(handler);
}

void CWindow::SetCloseHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_closeHandler = std::move(handler);
}

void CWindow::Post(sEvent event)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_closeRequested || m_closed) return;
        if (event.kind == sEvent::eKind::Close) m_closeRequested = true;
        m_queue.push_back(std::move(event));
    }
    m_changed.notify_all();
    m_backend->OnEventPosted(*this);
}

void CWindow::PostCommand(int id)
{
    sEvent event;
    event.kind = sEvent::eKind::Command;
    event.id = id;
    Post(std::move(event));
}

void CWindow::PostClose()
{
    sEvent event;
    event.kind = sEvent::eKind::Close;
    Post(std::move(event));
}

bool CWindow::IsClosed()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_closed;
}

bool CWindow::IsClosing()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_closing || m_closed;
}

bool CWindow::IsWindowThread()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_looping && m_loopThread == std::this_thread::get_id();
}

void CWindow::Answer(sPendingAnswer& pending, CWindow* window)
{
    const int answer = m_backend->AnswerMessage(window, pending.request);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        pending.answer = answer;
    }
    m_changed.notify_all();
}

void CWindow::AnswerQueuedMessages()
{
    std::deque<sEvent> queued;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (auto it = m_queue.begin(); it != m_queue.end();)
        {
            if (it->kind == sEvent::eKind::Message)
            {
                queued.push_back(std::move(*it));
                it = m_queue.erase(it);
            }
            else
                ++it;
        }
    }
    for (sEvent& event : queued)
        Answer(*event.message, nullptr);
}

void CWindow::Handle(sEvent& event)
{
    switch (event.kind)
    {
    case sEvent::eKind::Message:
        Answer(*event.message, this);
        break;
    case sEvent::eKind::Command:
    {
        std::function<void(int)> handler;
        std::optional<sControl> toggled;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            auto it = m_controls.find(event.id);
            if (it != m_controls.end())
            {
                // Nobody can press what is hidden or disabled.
                if (!it->second.visible || !it->second.enabled) return;
                // A check box changes before its owner hears of the click.
                if (it->second.kind == eControlKind::CheckBox)
                {
                    it->second.checked = !it->second.checked;
                    toggled = it->second;
                }
            }
            handler = m_commandHandler;
        }
        if (toggled) m_backend->OnControlChanged(*this, *toggled);
        if (handler) handler(event.id);
        break;
    }
    case sEvent::eKind::Close:
    {
        std::function<void()> handler;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            // From here on questions are answered on the asking thread: the close handler may wait
            // for a worker that is about to ask one.
            m_closing = true;
            handler = m_closeHandler;
        }
        AnswerQueuedMessages();
        if (handler) handler();
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_closed = true;
            m_queue.clear();
        }
        m_changed.notify_all();
        m_backend->OnClosed(*this);
        break;
    }
    }
}

bool CWindow::ProcessPending()
{
    for (;;)
    {
        sEvent event;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_closed) return false;
            if (m_queue.empty()) return true;
            event = std::move(m_queue.front());
            m_queue.pop_front();
        }
        Handle(event);
    }
}

void CWindow::RunModal(const std::function<void()>& onOpen)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_closed) return;
        m_looping = true;
        m_loopThread = std::this_thread::get_id();
    }
    if (onOpen) onOpen();
    while (ProcessPending())
    {
        std::unique_lock<std::mutex> hold(m_lock);
        m_changed.wait(hold, [this] { return !m_queue.empty() || m_closed; });
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_looping = false;
}

int CWindow::AskMessage(const sMessageRequest& request)
{
    auto pending = std::make_shared<sPendingAnswer>();
    pending->request = request;
    {
        std::unique_lock<std::mutex> hold(m_lock);
        const bool onWindowThread = m_looping && m_loopThread == std::this_thread::get_id();
        if (m_looping && !m_closing && !m_closed && !onWindowThread)
        {
            sEvent event;
            event.kind = sEvent::eKind::Message;
            event.message = pending;
            m_queue.push_back(std::move(event));
            hold.unlock();
            m_changed.notify_all();
            m_backend->OnEventPosted(*this);
            hold.lock();
            m_changed.wait(hold, [&] { return pending->answer.has_value(); });
            return *pending->answer;
        }
        if (onWindowThread && !m_closing)
        {
            hold.unlock();
            return m_backend->AnswerMessage(this, request);
        }
    }
    return m_backend->AnswerMessage(nullptr, request);
}

void CWindow::NotifyWorkFinished(int result)
{
    m_backend->OnWorkFinished(*this, result);
}

} // namespace platform::ui
