// How the tool reports a failure: the code, its message and the file it concerns.
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/Printable.h"
#include "zpak/message/PatchSystemMessage.h"

#include <cstdio>

namespace zpak_cli
{

int PrintError(int code)
{
    return PrintError(code, std::wstring());
}

int PrintError(int code, const std::wstring& subject)
{
    std::string message = platform::text::WideToUtf8(ZP::GetMessageText(code));
    if (subject.empty())
        std::fprintf(stderr, "error %d: %s\n", code, message.c_str());
    else
        std::fprintf(stderr, "%s: error %d: %s\n", PrintableName(subject).c_str(), code, message.c_str());
    return 1;
}

} // namespace zpak_cli
