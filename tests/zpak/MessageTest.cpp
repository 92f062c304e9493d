#include "zpak/message/PatchSystemMessage.h"

#include <gtest/gtest.h>

TEST(PatchSystemMessage, TableTextsAndUnknownCodes)
{
    ZP::CPatchSystemMessage provider;
    struct
    {
        int code;
        const wchar_t* text;
    } cases[] = {
        {0, L"실패"},
        {1, L"성공"},
        {12002, L"타임아웃 때문에 종료되었습니다."},
        {12029, L"접속할 수 없습니다."},
        {12034, L"ERROR_INTERNET_NEED_UI"},
        {12112, L"Passive 모드가 아닙니다."},
        {14003, L"사용할 수 없는 포인터입니다."},
        {14054, L"404 에러"},
        {14089, L"파일을 복사하는데 실패했습니다."},
        // holes in the table and codes outside it
        {12035, L"알수없는 Error"},
        {12058, L"알수없는 Error"},
        {14001, L"알수없는 Error"},
        {14090, L"알수없는 Error"},
        {14097, L"알수없는 Error"},
        {-1, L"알수없는 Error"},
        {12345678, L"알수없는 Error"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(provider.GetMessage(c.code), c.text) << c.code;
}

TEST(PatchSystemMessage, ProviderRegistry)
{
    struct CCustom : ZP::CPatchSystemMessage
    {
        const wchar_t* GetMessage(int) override { return L"custom"; }
    };
    ZP::CPatchSystemMessage* initial = ZP::GetMessageProvider();
    EXPECT_STREQ(ZP::GetMessageText(14003), L"사용할 수 없는 포인터입니다.");

    auto* custom = new CCustom;
    ZP::SetMessageProvider(custom);
    EXPECT_STREQ(ZP::GetMessageText(1), L"custom");
    ZP::CPatchSystemMessage* previous = ZP::RestoreDefaultMessageProvider();
    EXPECT_EQ(previous, custom);
    delete previous;
    EXPECT_EQ(ZP::GetMessageProvider(), initial);
    EXPECT_EQ(ZP::RestoreDefaultMessageProvider(), nullptr) << "the default is never handed out for deletion";
}
