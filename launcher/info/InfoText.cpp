#include "launcher/info/InfoText.h"

#include "platform/text/TextCodec.h"
#include "zpak/message/ResultCodes.h"

int CInfoText::SetWide(const wchar_t* text)
{
    std::wstring value = text ? std::wstring(text) : std::wstring();
    if (value.size() > kMaxChars) return ZP::kErrorBufferOverrun;
    m_wide = std::move(value);
    return 1;
}

const char* CInfoText::GetNarrow(unsigned codePage)
{
    m_narrow = platform::text::WideToMultiByte(m_wide, codePage);
    return m_narrow.c_str();
}

bool CInfoText::SetNarrow(const char* text, unsigned codePage)
{
    if (!text) return false;
    std::wstring wide = platform::text::MultiByteToWide(text, codePage);
    // A cut URL or path would quietly point somewhere else: refuse it whole.
    if (wide.size() > kMaxChars) return false;
    m_narrow = text;
    m_wide = std::move(wide);
    return true;
}

void CInfoText::Clear()
{
    m_wide.clear();
    m_narrow.clear();
}
