#include "launcher/app/MessageBox.h"

#include <mutex>

namespace
{
// Worker threads may ask for a box too (the updater); the pointer itself is guarded, the box's own
// behaviour is the box's concern.
std::mutex g_lock;
CGUIMessageBox* g_box = nullptr;
} // namespace

CGUIMessageBox* GetCurrentMessageBox()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_box;
}

void InstallMessageBox(CGUIMessageBox* box)
{
    CGUIMessageBox* old = nullptr;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_box != box) old = g_box;
        g_box = box;
    }
    delete old;
}

void RemoveMessageBox()
{
    InstallMessageBox(nullptr);
}

int ShowMessage(const wchar_t* text, unsigned type)
{
    CGUIMessageBox* box = nullptr;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (!g_box) g_box = new CGUIMessageBox;
        box = g_box;
    }
    box->SetType(type);
    box->SetText(text);
    return box->Show();
}
