#include "launcher/app/MessageBox.h"

#include <mutex>
#include <utility>

namespace
{
// The lock guards the pointer only; Show runs outside it, since a box asked from a worker waits
// for the window thread, which may itself want the box.
std::mutex g_lock;
std::shared_ptr<CGUIMessageBox> g_box;
} // namespace

std::shared_ptr<CGUIMessageBox> GetCurrentMessageBox()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_box;
}

void InstallMessageBox(std::shared_ptr<CGUIMessageBox> box)
{
    std::shared_ptr<CGUIMessageBox> old;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        old = std::exchange(g_box, std::move(box));
    }
    // The old box, when this was its last owner, goes here, outside the lock.
}

void RemoveMessageBox()
{
    InstallMessageBox(nullptr);
}

int ShowMessage(const wchar_t* text, unsigned type)
{
    std::shared_ptr<CGUIMessageBox> box;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (!g_box) g_box = std::make_shared<CGUIMessageBox>();
        box = g_box;
    }
    box->SetType(type);
    box->SetText(text);
    return box->Show();
}
