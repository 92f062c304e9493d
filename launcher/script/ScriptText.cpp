#include "launcher/script/ScriptText.h"

#include "launcher/app/Components.h"
#include "launcher/script/LauncherScript.h"
#include "platform/text/TextCodec.h"

#include <cstring>

namespace script_text
{

unsigned CodePageOf(CObjectConnector* connector)
{
    CLauncherScript* script = connector ? connector->GetScript() : nullptr;
    return script ? script->GetCodePage() : platform::text::kCodePageUtf8;
}

std::wstring ToWide(const char* text, unsigned codePage, size_t bufferChars)
{
    if (!text || bufferChars == 0) return std::wstring();
    std::wstring wide = platform::text::MultiByteToWide(text, codePage);
    if (wide.size() > bufferChars - 1) wide.resize(bufferChars - 1);
    return wide;
}

size_t CharacterBoundary(std::string_view bytes, size_t maxBytes, unsigned codePage)
{
    if (bytes.size() <= maxBytes) return bytes.size();
    if (codePage == platform::text::kCodePageUtf8)
    {
        size_t n = maxBytes;
        // The byte after the cut continues a character that began before it: cut before that one.
        while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
            --n;
        return n;
    }
    // A lead byte of 0x81 or above starts a two-byte character.
    size_t i = 0;
    while (i < bytes.size())
    {
        size_t step = static_cast<unsigned char>(bytes[i]) >= 0x81 && i + 1 < bytes.size() ? 2 : 1;
        if (i + step > maxBytes) break;
        i += step;
    }
    return i;
}

char* ToBuffer(std::wstring_view text, unsigned codePage, char* buffer, size_t bufferBytes)
{
    if (!buffer || bufferBytes == 0) return buffer;
    std::string bytes = platform::text::WideToMultiByte(text, codePage);
    size_t n = CharacterBoundary(bytes, bufferBytes - 1, codePage);
    std::memcpy(buffer, bytes.data(), n);
    buffer[n] = '\0';
    return buffer;
}

char* CopyToBuffer(const char* text, unsigned codePage, char* buffer, size_t bufferBytes)
{
    if (!buffer || bufferBytes == 0) return buffer;
    std::string_view bytes = text ? std::string_view(text) : std::string_view();
    size_t n = CharacterBoundary(bytes, bufferBytes - 1, codePage);
    std::memcpy(buffer, bytes.data(), n);
    buffer[n] = '\0';
    return buffer;
}

} // namespace script_text
