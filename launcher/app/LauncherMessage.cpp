#include "launcher/app/LauncherMessage.h"

#include "platform/text/TextCodec.h"
#include "zpak/message/MessageTables.h"
#include "zpak/message/ResultCodes.h"

namespace
{
// Sorted by code.
const ZP::sMessageEntry kLauncherMessages[] = {
    {ZP::kErrorDiskFull, L"하드 디스크 용량 부족"},
    {ZP::kErrorLauncherRename, L"런처 파일명 변경 오류"},
    {ZP::kErrorCloneCreate, L"클론 생성 오류"},
    {ZP::kErrorWindowResourceCreate, L"윈도우 리소스 생성 오류"},
    {ZP::kErrorWindowResourceLoad, L"윈도우 리소스 로딩 오류"},
    {ZP::kErrorThreadCreate, L"쓰레드 생성 오류"},
    {ZP::kLauncherVersionSame, L"동일한 런처 버젼"},
    {ZP::kLauncherVersionDiffers, L"서로 다른 런처 버젼"},
    {ZP::kRestartNeeded, L"재시작 필요"},
    {ZP::kUpdateNeeded, L"업데이트 필요"},
    {ZP::kErrorInstanceMutex, L"중복실행 오류"},
    {ZP::kErrorLauncherSameGameRuns, L"런처 중복 실행_동일한 게임"},
    {ZP::kErrorLauncherOtherGameRuns, L"런처 중복 실행_다른 게임"},
    {ZP::kErrorApplicationRuns, L"런처 중복 실행_게임 실행 중"},
    {ZP::kErrorPatcherRuns, L"런처 중복 실행_패처 실행 중"},
    {ZP::kErrorGameInstall, L"게임 설치 중 오류"},
    {ZP::kErrorRefusedServerNames,
     L"서버 파일리스트에 허용되지 않는 파일 이름이 있어 일부 파일을 받지 않았습니다."},
};
const size_t kLauncherMessageCount = sizeof(kLauncherMessages) / sizeof(kLauncherMessages[0]);
} // namespace

const wchar_t* CLauncherMessage::GetMessage(int code)
{
    const wchar_t* library = ZP::CPatchSystemMessage::GetMessage(code);
    if (platform::text::CompareNoCase(library, ZP::kUnknownErrorText) != 0) return library;
    const wchar_t* own = ZP::FindMessage(kLauncherMessages, kLauncherMessageCount, code);
    return own ? own : ZP::kUnknownErrorText;
}
