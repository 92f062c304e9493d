#pragma once
// The GUI setup component: texts, addresses and the font that the script may change before the
// launcher window is built. The window reads the check box texts, the font and the notice address;
// the options read the start page and the shortcut settings.
#include "launcher/app/Components.h"

#include <cstddef>
#include <string>

// The portal's web site: default start page and shortcut target.
inline constexpr const wchar_t* kPortalAddress = L"https://www.velmora.example/";

// Script texts are cut to this many characters, as the script functions hand them over.
constexpr size_t kGUISetupTextChars = 255;

struct sGUISetupSettings
{
    std::wstring CheckBoxText01 = L"바탕화면에 벨모라 바로가기를 생성합니다.";
    std::wstring CheckBoxText02 = L"벨모라를 시작페이지로 설정합니다. (Internet Explorer)";
    std::wstring CheckBoxText03 = L"게임 시작과 더불어 모든 화면을 최소화합니다.";
    std::wstring IEStartPage = kPortalAddress;
    std::wstring ShortcutURL = kPortalAddress;
    std::wstring ShortcutName = L"벨모라";
    std::wstring ShortcutIncludeIconFileName;
    std::wstring DefaultFont = L"굴림";
    int DefaultFontSize = 8;
    std::wstring NoticeURL;
};

class CDefaultGUISetup : public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    // The font file is a Windows font-table entry; fonts here come from the system's font set, so
    // nothing is registered. Always 1.
    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }
    sGUISetupSettings& GetSettings() { return m_settings; }

    // The script's setters: narrow text in the current script's code page.
    void SetCheckBoxText(unsigned index, const char* text);
    void SetIEStartPage(const char* text) { Assign(m_settings.IEStartPage, text); }
    void SetShortcutURL(const char* text) { Assign(m_settings.ShortcutURL, text); }
    void SetShortcutName(const char* text) { Assign(m_settings.ShortcutName, text); }
    void SetShortcutIncludeIconFileName(const char* text)
    {
        Assign(m_settings.ShortcutIncludeIconFileName, text);
    }
    void SetDefaultFont(const char* text) { Assign(m_settings.DefaultFont, text); }
    void SetDefaultFontSize(int points) { m_settings.DefaultFontSize = points; }
    void SetNoticeURL(const char* text) { Assign(m_settings.NoticeURL, text); }
    // The game area has no image here; kept so scripts that call it run.
    void SetImageForGameArea(const char*) {}

private:
    static void Assign(std::wstring& field, const char* text);

    CObjectConnector* m_connector = nullptr;
    sGUISetupSettings m_settings;
};
