#include "launcher/gui/DefaultGUISetup.h"
#include "launcher/app/CurrentScript.h"

#include <gtest/gtest.h>

namespace
{
class CCodePageScript : public IScriptRunner
{
public:
    explicit CCodePageScript(unsigned codePage) : m_codePage(codePage) {}
    int RunScriptBuffer(const char*, uint32_t) override { return 1; }
    int CallScriptFunction(const char*) override { return 0; }
    unsigned GetCodePage() override { return m_codePage; }

private:
    unsigned m_codePage;
};
} // namespace

TEST(DefaultGUISetup, ScriptTextsFollowTheScriptsCodePageAndAreCut)
{
    CDefaultGUISetup setup;
    EXPECT_EQ(setup.GetSettings().ShortcutName, L"벨모라");
    EXPECT_EQ(setup.GetSettings().DefaultFontSize, 8);

    setup.SetCheckBoxText(0, "바로가기");
    setup.SetNoticeURL(std::string(300, 'a').c_str());
    setup.SetCheckBoxText(3, "ignored");
    EXPECT_EQ(setup.GetSettings().CheckBoxText01, L"바로가기");
    EXPECT_EQ(setup.GetSettings().NoticeURL, std::wstring(255, L'a'));

    // A script without a byte-order mark speaks the ANSI code page (CP949).
    CCodePageScript ansi(0);
    SetCurrentScript(&ansi);
    setup.SetShortcutName("\xBA\xA7\xB8\xF0\xB6\xF3");
    SetCurrentScript(nullptr);
    EXPECT_EQ(setup.GetSettings().ShortcutName, L"벨모라");
}
