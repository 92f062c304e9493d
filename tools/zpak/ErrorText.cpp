// How the tool reports a failure: the code, its message and the file it concerns.
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "zpak/message/PatchSystemMessage.h"

#include <cstdio>

namespace zpak_cli
{

std::string PrintableText(const std::wstring& text)
{
    std::string out;
    for (unsigned char c : platform::text::WideToUtf8(text))
    {
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
            out += escaped;
        }
        else
            out.push_back(static_cast<char>(c));
    }
    return out;
}

int PrintError(int code) { return PrintError(code, std::wstring()); }

int PrintError(int code, const std::wstring& subject)
{
    std::string message = platform::text::WideToUtf8(ZP::GetMessageText(code));
    if (subject.empty())
        std::fprintf(stderr, "error %d: %s\n", code, message.c_str());
    else
        std::fprintf(stderr, "%s: error %d: %s\n", PrintableText(subject).c_str(), code, message.c_str());
    return 1;
}

} // namespace zpak_cli
