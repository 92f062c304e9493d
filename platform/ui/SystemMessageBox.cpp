#include "platform/ui/SystemMessageBox.h"

#include "platform/text/TextCodec.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace platform::ui
{
namespace
{
std::mutex g_handlerLock;
MessageBoxHandler g_handler;

int HeadlessAnswer(unsigned style)
{
    unsigned kind = style & 0xF;
    if (kind == kStyleYesNo || kind == 0x3 /* yes/no/cancel */)
    {
        const char* env = std::getenv("VELMORA_HEADLESS_ANSWER");
        int answer = env && *env ? std::atoi(env) : kAnswerNo;
        return answer > 0 ? answer : kAnswerNo;
    }
    return kAnswerOk;
}
} // namespace

int SystemMessageBox(std::wstring_view text, std::wstring_view caption, unsigned style)
{
    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> guard(g_handlerLock);
        handler = g_handler;
    }
    if (handler) return handler(text, caption, style);
    std::string line = "[" + text::WideToUtf8(caption) + "] " + text::WideToUtf8(text) + "\n";
    std::fputs(line.c_str(), stderr);
    return HeadlessAnswer(style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard<std::mutex> guard(g_handlerLock);
    MessageBoxHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

} // namespace platform::ui
