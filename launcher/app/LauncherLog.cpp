#include "launcher/app/LauncherLog.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/log/ZpakLog.h"

void SetupLauncherLogIn(const std::wstring& folder)
{
    std::wstring logFolder = ZP::JoinPath(folder, L"Log");
    if (!ZP::FolderExists(logFolder)) ZP::CreateFolderTree(logFolder);
    ZP::GetLog()->SetLogFileIn(L"LogReport", folder.c_str());
    ZP::CZpakLog::SetWriteThrough(true);
}

void SetupLauncherLog()
{
    SetupLauncherLogIn(ZP::GetFolderPart(platform::fs::ExecutablePath()));
}
