#include "launcher/app/LauncherMessage.h"

#include "platform/text/TextCodec.h"
#include "zpak/message/MessageTables.h"

namespace
{
// Sorted by code.
const ZP::sMessageEntry kLauncherMessages[] = {
    {14091, L"하드 디스크 용량 부족"},
    {14092, L"런처 파일명 변경 오류"},
    {14093, L"클론 생성 오류"},
    {14094, L"윈도우 리소스 생성 오류"},
    {14095, L"윈도우 리소스 로딩 오류"},
    {14096, L"쓰레드 생성 오류"},
    {14097, L"동일한 런처 버젼"},
    {14098, L"서로 다른 런처 버젼"},
    {14099, L"재시작 필요"},
    {14100, L"업데이트 필요"},
    {14101, L"중복실행 오류"},
    {14102, L"런처 중복 실행_동일한 게임"},
    {14103, L"런처 중복 실행_다른 게임"},
    {14104, L"런처 중복 실행_게임 실행 중"},
    {14105, L"런처 중복 실행_패처 실행 중"},
    {14106, L"게임 설치 중 오류"},
    {14110, L"서버 파일리스트에 허용되지 않는 파일 이름이 있어 일부 파일을 받지 않았습니다."},
};
const size_t kLauncherMessageCount = sizeof(kLauncherMessages) / sizeof(kLauncherMessages[0]);
} // namespace

const wchar_t* CLauncherMessage::GetMessage(int code)
{
    const wchar_t* library = ZP::CPatchSystemMessage::GetMessage(code);
    if (platform::text::CompareNoCase(library, ZP::kUnknownErrorText) != 0)
        return library;
    const wchar_t* own = ZP::FindMessage(kLauncherMessages, kLauncherMessageCount, code);
    return own ? own : ZP::kUnknownErrorText;
}
