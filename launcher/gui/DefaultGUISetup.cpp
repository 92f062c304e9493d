#include "launcher/gui/DefaultGUISetup.h"

#include "launcher/app/CurrentScript.h"
#include "platform/text/TextCodec.h"

void CDefaultGUISetup::Assign(std::wstring& field, const char* text)
{
    std::wstring wide = platform::text::MultiByteToWide(text ? text : "", CurrentScriptCodePage());
    if (wide.size() > kGUISetupTextChars) wide.resize(kGUISetupTextChars);
    field = std::move(wide);
}

void CDefaultGUISetup::SetCheckBoxText(unsigned index, const char* text)
{
    std::wstring* fields[] = {&m_settings.CheckBoxText01, &m_settings.CheckBoxText02,
                              &m_settings.CheckBoxText03};
    if (index < 3) Assign(*fields[index], text);
}
