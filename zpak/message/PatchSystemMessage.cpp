#include "zpak/message/PatchSystemMessage.h"

#include "zpak/message/MessageTables.h"

#include <algorithm>
#include <atomic>

namespace ZP
{

const wchar_t* const kUnknownErrorText = L"알수없는 Error";

const wchar_t* FindMessage(const sMessageEntry* table, size_t count, int code)
{
    const sMessageEntry* end = table + count;
    const sMessageEntry* it =
        std::lower_bound(table, end, code, [](const sMessageEntry& e, int c) { return e.code < c; });
    return (it != end && it->code == code) ? it->text : nullptr;
}

const wchar_t* CPatchSystemMessage::GetMessage(int code)
{
    const wchar_t* text = FindMessage(kLibraryMessages, kLibraryMessageCount, code);
    return text ? text : kUnknownErrorText;
}

namespace
{
// Provider pointers change only while the application object is built or torn down, before and
// after the worker threads; atomics keep readers on other threads well-defined all the same.
std::atomic<CPatchSystemMessage*> g_current{nullptr};

CPatchSystemMessage* DefaultProvider()
{
    static CPatchSystemMessage provider;
    return &provider;
}
} // namespace

CPatchSystemMessage* GetMessageProvider()
{
    CPatchSystemMessage* current = g_current.load();
    if (!current)
    {
        CPatchSystemMessage* expected = nullptr;
        g_current.compare_exchange_strong(expected, DefaultProvider());
        current = g_current.load();
    }
    return current;
}

void SetMessageProvider(CPatchSystemMessage* provider)
{
    DefaultProvider();
    g_current.store(provider ? provider : DefaultProvider());
}

CPatchSystemMessage* RestoreDefaultMessageProvider()
{
    // The default provider is never handed out for deletion.
    CPatchSystemMessage* previous = g_current.exchange(DefaultProvider());
    return previous == DefaultProvider() ? nullptr : previous;
}

const wchar_t* GetMessageText(int code)
{
    return GetMessageProvider()->GetMessage(code);
}

} // namespace ZP
